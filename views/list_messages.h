// Every message we send a list of ours. The host may stop us, or have us drop
// the list, from inside one (the list notifies its page, a host's subclass of
// it runs): a list view destroyed inside its own message would go on with its
// freed self, so a list dropped meanwhile waits in session.listsToDestroy and
// is destroyed once every such message has returned. So does one dropped
// while our list tells its page of rows it deletes of its own accord (the
// host's delete, or its destruction with its page: destroyed again inside
// that, Wine's list view frees its rows twice).
#pragma once

#include <windows.h>

// Lists dropped at most before one 220 keeps its own: a host may have us make
// another list while the previous one is being destroyed. Each may be
// waiting for a message to return.
const int MAX_LIST_DROPS = 3;

LRESULT sendToList(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// Destroys a dropped list now, or once no message or deletion notice of a
// list is under way.
void destroyListWhenSafe(HWND list);
// Destroys the lists held back, if none is under way now; those that are
// gone already (with their page, say) are passed over.
void destroyDroppedLists();
