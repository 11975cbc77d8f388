// Runs a script of user actions against the stand-in messenger and prints
// what a user would see: result rows, windows opened, host actions, the log.
#pragma once

#include <stdio.h>
#include <string>
#include <vector>

#include "host/messenger.h"

namespace host {

// Script lines (UTF-8); "#" starts a comment. Throws HostError on a bad line.
void runScript(Messenger& messenger, StandInHost& host, const std::vector<std::string>& lines, FILE* out);
// Splits "a; b; c" into lines.
std::vector<std::string> splitCommands(const std::string& text);

extern const char SCRIPT_HELP[];

}  // namespace host
