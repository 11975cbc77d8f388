// The plug-in's single entry: the host delivers every message here.
#pragma once

#include "plugin/host_abi.h"

extern "C" intptr_t __stdcall IMessageProc(HostMessage* message);

// The second switch: an action event, by action id and notification code.
intptr_t routeActionEvent(ActionEvent* event);
