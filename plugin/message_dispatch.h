// The plug-in's single entry: the host delivers every message here.
//
// Adding a message (the README's "Adding a message" walks through one):
//   1. its number in host_messages.h, and a row of messageRoutes
//      (message_dispatch.cpp); an action event, a row of eventRoutes
//      (action_router.cpp) and its id in action_ids.h;
//   2. the row's Needs column is the state check: dispatch() makes it once;
//   3. after each host call, what host_calls.h lists is checked again;
//   4. what it keeps goes into plugin_state.h, and any resource of Windows
//      or the host into the table in lifetime.cpp.
#pragma once

#include <stdint.h>

// The records are host_abi.h's: only the files that read one include it.
struct ActionEvent;
struct HostMessage;

extern "C" intptr_t __stdcall IMessageProc(HostMessage* message);

// At load: the export goes through a thunk that holds the library for the
// length of each message (message_dispatch.cpp). At unload: it no longer
// does, and the thunk is free. Memory only: DllMain calls both.
void armEntryThunk();
void disarmEntryThunk();

// The second switch: an action event, by action id and notification code.
intptr_t routeActionEvent(ActionEvent* event);
