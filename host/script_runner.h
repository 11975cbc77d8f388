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
// The result list as the list view holds it, at most limit rows.
void printResultList(FILE* out, HWND list, const char* indent, size_t limit);
// Every request to run a host action (10103) since that exchange.
void printHostActions(FILE* out, const StandInHost& host, size_t fromExchange, const char* indent);
// Splits "a; b; c" into lines.
std::vector<std::string> splitCommands(const std::string& text);
// The screen area of a window, frame included, as a 24-bit BMP file.
bool saveScreenshot(HWND window, const std::string& path);

extern const char SCRIPT_HELP[];

}  // namespace host
