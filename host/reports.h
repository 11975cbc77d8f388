// What the stand-in host shows people: the exchanges as transcript lines,
// the declared actions as a tree, texts with their control bytes visible.
#pragma once

#include <stdio.h>
#include <string>
#include <vector>

#include "host/exchange_log.h"
#include "host/stand_in_host.h"

namespace host {

// A Windows-1250 text as UTF-8, with control bytes (0x02, 0x03, 0x1A, "\n") as \xNN.
std::string printable(const std::string& cp1250);
// One UTF-8 line per exchange.
std::vector<std::string> transcriptLines(const std::vector<Exchange>& exchanges);
// The declared actions, indented under their parents and groups (UTF-8).
std::string actionTreeText(const std::vector<Action>& actions);
// The result list as the list view holds it, at most limit rows.
void printResultList(FILE* out, HWND list, const char* indent, size_t limit);
// Every request to run a host action (10103) since that exchange.
void printHostActions(FILE* out, const StandInHost& host, size_t fromExchange, const char* indent);

}  // namespace host
