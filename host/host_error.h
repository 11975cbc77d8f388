#pragma once

#include <errno.h>
#include <limits.h>
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
// A whole number from low to high; anything else, an overflow included, is
// an error that names what wanted it.
inline int parseNumber(const std::string& text, const std::string& what, long long low = INT_MIN,
                       long long high = INT_MAX)
{
    char* end = nullptr;
    errno = 0;
    long long value = strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end)
        throw HostError(what + " needs a number, not '" + text + "'");
    if (errno == ERANGE || value < low || value > high)
        throw HostError(what + " takes " + std::to_string(low) + " to " + std::to_string(high) + ", not " + text);
    return static_cast<int>(value);
}

}  // namespace host
