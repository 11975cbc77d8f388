// Every message we send a list of ours. The host may stop us, or have us drop
// the list, from inside one (the list notifies its page, a host's subclass of
// it runs): a list view destroyed inside its own message would go on with its
// freed self, so a list dropped meanwhile waits in session.listsToDestroy and
// is destroyed once every such message has returned.
#pragma once

#include <windows.h>

// Lists dropped at most before one 220 keeps its own: a host may have us make
// another list while the previous one is being destroyed. Each may be
// waiting for a message to return.
const int MAX_LIST_DROPS = 3;

LRESULT sendToList(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
