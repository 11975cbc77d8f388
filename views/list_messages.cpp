#include "views/list_messages.h"

#include <commctrl.h>
#include <string.h>

#include "base/plugin_state.h"

namespace {

bool listBusy() { return session.listMessages > 0 || session.listDeletions > 0; }

// Still the list we dropped: a list view, made under the same instance, and
// not the one we show now.
bool stillDropped(const DroppedList& dropped)
{
    char className[32] = "";
    return dropped.list != session.resultList && IsWindow(dropped.list) &&
           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dropped.list, GWLP_HINSTANCE)) == dropped.instance &&
           GetClassNameA(dropped.list, className, sizeof className) > 0 && strcmp(className, WC_LISTVIEWA) == 0;
}

}  // namespace

LRESULT sendToList(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Room for the lists this message may see dropped, taken before it goes.
    session.listsToDestroy.reserve(MAX_LIST_DROPS + 1);
    ++session.listMessages;
    LRESULT result = SendMessageA(list, message, wParam, lParam);
    --session.listMessages;
    destroyDroppedLists();
    return result;
}

void destroyListWhenSafe(HWND list)
{
    if (listBusy() && session.listsToDestroy.size() < session.listsToDestroy.capacity())
        session.listsToDestroy.push_back(
            {list, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list, GWLP_HINSTANCE))});
    else
        DestroyWindow(list);  // takes its image list with it
}

void destroyDroppedLists()
{
    // Destroying one lets the host run, and it may drop another meanwhile:
    // that one waits for this loop.
    while (!listBusy() && !session.listsToDestroy.empty()) {
        DroppedList gone = session.listsToDestroy.back();
        session.listsToDestroy.pop_back();
        if (!stillDropped(gone))
            continue;
        ++session.listMessages;
        DestroyWindow(gone.list);
        --session.listMessages;
    }
}
