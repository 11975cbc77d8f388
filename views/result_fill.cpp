// The fill: the list emptied and one row inserted per hit, in the order the
// hits were found, each row's item data its hit's index.
#include "views/result_fill.h"

#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "base/host_calls.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "search/found_contacts.h"
#include "views/list_messages.h"

namespace {

// Passes of one fill at most: a host that replaces the list during every
// pass gets an empty list and a search at its next event. Three: a
// replacement during the fill, and one during the refill, are what a page
// rebuilt by its host produces; more is a host looping.
const int MAX_FILL_PASSES = 3;

// Drawing stops while the list is filled (a visible list view repaints after
// every insert) and resumes on every way out, an exception included.
class DrawingPaused {
public:
    explicit DrawingPaused(HWND list) : list_(list)
    {
        if (list_)
            sendToList(list_, WM_SETREDRAW, FALSE, 0);
    }
    ~DrawingPaused()
    {
        if (list_ && IsWindow(list_)) {
            sendToList(list_, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(list_, nullptr, TRUE);
        }
    }
    DrawingPaused(const DrawingPaused&) = delete;
    DrawingPaused& operator=(const DrawingPaused&) = delete;

private:
    HWND list_;
};

// Every log line and every insert may call the host, which may call us back
// and destroy or replace the list. Destroyed: the remaining rows are only
// logged. Replaced: false, and the fill starts again on the new list.
// A search the host asks for meanwhile waits (search_run.h), so the result
// set stays what the fill began with.
bool listStillOurs(HWND& list, unsigned generation)
{
    LUNETKA_INVARIANT(generation == search.generation);
    if (session.resultList == list)
        return true;
    list = nullptr;
    return session.resultList == nullptr;
}

void insertRow(HWND list, size_t hit, int image)
{
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(hit);  // at the end: a list view puts an index past its rows there
    item.pszText = const_cast<char*>(displayNameOf(search.foundContacts[hit]).text);
    item.iImage = image;
    // The hit's own index, not the row's: a row that failed to go in must
    // not shift every later row onto the previous contact.
    item.lParam = static_cast<LPARAM>(hit);
    int row = static_cast<int>(sendToList(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    // A row the list refused has no second column to set; a list the host
    // replaced from the insert's notification is not ours to write to.
    if (row < 0 || session.resultList != list)
        return;
    memset(&item, 0, sizeof item);
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(matchedValueOf(search.foundContacts[hit]).text);
    sendToList(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// One pass of the fill into list; false when it must start again.
bool fillPass(HWND list)
{
    unsigned generation = search.generation;
    DrawingPaused paused(list);
    if (list)
        sendToList(list, LVM_DELETEALLITEMS, 0, 0);
    session.foreignRows = false;  // every row from here on is ours, or noticed (result_list.cpp)
    for (size_t i = 0; i < search.foundContacts.size(); ++i) {
        int net = search.foundContacts[i].net;
        int image = session.netIcons[net];
        logLine("net %d, used icon number %d", net, image);
        if (!listStillOurs(list, generation))
            return false;
        if (list)
            insertRow(list, i, image);
        if (!listStillOurs(list, generation))
            return false;
    }
    return true;
}

}  // namespace

bool fillResultList()
{
    session.forgetRanks();  // they ranked the hits of the search before
    for (int pass = 0; pass < MAX_FILL_PASSES; ++pass) {
        if (fillPass(session.resultList))
            return true;
    }
    // A pass gives up only on a list that replaced its own, and nothing runs since.
    LUNETKA_INVARIANT(session.resultList);
    sendToList(session.resultList, LVM_DELETEALLITEMS, 0, 0);
    logLine("result list replaced during each of %d fills: left empty", MAX_FILL_PASSES);
    return false;
}
