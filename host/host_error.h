#pragma once

#include <stdexcept>
#include <string>

namespace host {

// A problem with the host's input (a file, the plug-in, the command line),
// reported to the user in one line.
class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace host
