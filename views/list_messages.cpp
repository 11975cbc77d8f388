#include "views/list_messages.h"

#include "base/plugin_state.h"

LRESULT sendToList(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Room for the lists this message may see dropped, taken before it goes.
    session.listsToDestroy.reserve(MAX_LIST_DROPS + 1);
    ++session.listMessages;
    LRESULT result = SendMessageA(list, message, wParam, lParam);
    // Destroying one lets the host run, and it may drop another meanwhile.
    while (--session.listMessages == 0 && !session.listsToDestroy.empty()) {
        HWND gone = session.listsToDestroy.back();
        session.listsToDestroy.pop_back();
        ++session.listMessages;
        DestroyWindow(gone);
    }
    return result;
}
