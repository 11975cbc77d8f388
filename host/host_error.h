#pragma once

#include <stdlib.h>
#include <stdexcept>
#include <string>

namespace host {

// A problem with the host's input (a file, the plug-in, the command line),
// reported to the user in one line.
class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& what) : std::runtime_error(what) {}
};

// A whole decimal number, or a HostError naming what wanted it.
inline int parseNumber(const std::string& text, const std::string& what)
{
    char* end = nullptr;
    long value = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end)
        throw HostError(what + " needs a number, not '" + text + "'");
    return static_cast<int>(value);
}

}  // namespace host
