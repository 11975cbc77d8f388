#include "views/result_list.h"

#include <commctrl.h>
#include <string.h>
#include <algorithm>
#include <map>
#include <vector>

#include "plugin/action_ids.h"
#include "plugin/entry_guard.h"
#include "plugin/host_calls.h"
#include "plugin/invariant.h"
#include "plugin/lifetime.h"
#include "plugin/persistent.h"
#include "search/found_contacts.h"
#include "ui/texts.h"
#include "views/page_subclass.h"
#include "views/sort_order.h"

namespace {

// Network number -> image index in the list's small image list. A lookup of
// an absent network adds it with image 0, the general icon.
typedef std::map<int, int> NetIconMap;

HWND resultList = nullptr;       // null while there is no list
HWND resultPage = nullptr;       // the page it lives in
// Read by the fill and kept for the next list; never destroyed by the
// runtime (persistent.h), like everything a page procedure may reach.
Persistent<NetIconMap> netIcons;  // always describes the current list's images
bool sortAscending = true;       // flipped before every header-click sort

// Passes of one fill at most: a host that replaces the list during every
// pass gets an empty list and a search at its next event. Three: a
// replacement during the fill, and one during the refill, are what a page
// rebuilt by its host produces; more is a host looping.
const int MAX_FILL_PASSES = 3;
// Lists dropped at most before one 220 keeps its own: a host may have us make
// another list while the previous one is being destroyed.
const int MAX_LIST_DROPS = 3;

// The list lives in the page we know it by (the page may outlive a list the
// host destroyed; Windows may refuse to let us subclass it).
void checkListAndPage()
{
    LUNETKA_INVARIANT(!resultList || resultPage);
    LUNETKA_INVARIANT(!resultList || !IsWindow(resultList) || GetParent(resultList) == resultPage);
}

const int LIST_WIDTH = 415;
const int LIST_HEIGHT = 200;
// In the tab order, so that a keyboard user reaches the rows.
const DWORD LIST_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT;
const DWORD LIST_EXTENDED_STYLE = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;

void addColumn(HWND list, int index, const char* header, int width)
{
    LVCOLUMNA column;
    memset(&column, 0, sizeof column);
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(header);
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

// An image list that is destroyed unless someone takes it.
class OwnedImages {
public:
    OwnedImages() : images_(ImageList_Create(16, 16, ILC_COLOR32, 1, 1)) {}
    ~OwnedImages()
    {
        if (images_)
            ImageList_Destroy(images_);
    }
    OwnedImages(const OwnedImages&) = delete;
    OwnedImages& operator=(const OwnedImages&) = delete;
    HIMAGELIST get() const { return images_; }
    HIMAGELIST release()
    {
        HIMAGELIST images = images_;
        images_ = nullptr;
        return images;
    }

private:
    HIMAGELIST images_;
};

// Appends the host's icon to the image list; the list keeps its own copy.
int appendHostIcon(HIMAGELIST images, intptr_t iconId)
{
    HICON icon = reinterpret_cast<HICON>(hostSend(HM_ICON_GET, iconId, 1));
    int index = ImageList_ReplaceIcon(images, -1, icon);
    if (icon)
        DestroyIcon(icon);
    return index;
}

void buildNetworkImages(HIMAGELIST images, NetIconMap& icons)
{
    icons[0] = appendHostIcon(images, ICON_ID_GENERAL);
    int positions = static_cast<int>(hostSendTagged(HM_PLUGIN_COUNT, 0, -1, 0, 0));
    for (int position = 1; position < positions; ++position) {
        int plugin = static_cast<int>(hostSendTagged(HM_PLUGIN_ID_AT, 0, 0, position, 0));
        if (!(pluginSend(HM_PLUGIN_TYPE, plugin, 0, 0) & PLUGIN_TYPE_NETWORK))
            continue;
        int net = static_cast<int>(pluginSend(HM_PLUGIN_NET, plugin, 0, 0));
        int index = appendHostIcon(images, networkIconId(net));
        icons[net] = index;
        logLine("adding icon for net %d on pos %d", net, index);
    }
}

// The text that a row shows in the sorted column; item data that names no
// entry sorts as an empty text.
HitText shownText(LPARAM itemData, int listColumn)
{
    const FoundContact* hit = foundContactAt(itemData);
    if (!hit)
        return {"", 0};
    return listColumn == 0 ? displayNameOf(*hit) : matchedValueOf(*hit);
}

int compareShown(LPARAM item1, LPARAM item2, int listColumn, bool ascending)
{
    HitText first = shownText(item1, listColumn), second = shownText(item2, listColumn);
    return compareShownTexts(first.text, first.length, second.text, second.length, ascending);
}

// The rank of a row's item data; one that names no hit ranks as an empty text.
int rankOf(const int* ranks, LPARAM itemData)
{
    size_t none = foundContacts.size();
    return ranks[foundContactAt(itemData) ? static_cast<size_t>(itemData) : none];
}

// Each hit's place in a column's order, from one in-memory sort with the
// very comparison the rows would use: the list view's sort then compares two
// numbers instead of folding two texts at every step. Kept per column until
// the next search. Equal texts share a place, so the order is the same.
struct ColumnRanks {
    unsigned generation = 0;
    std::vector<int> rank;  // by hit; the last entry: item data naming no hit
};
Persistent<ColumnRanks> columnRanks[2];

void forgetRanks()
{
    for (Persistent<ColumnRanks>& ranks : columnRanks)
        std::vector<int>().swap(ranks->rank);
}

const int* ranksOf(int listColumn)
{
    LUNETKA_INVARIANT(listColumn == 0 || listColumn == 1);
    ColumnRanks& ranks = *columnRanks[listColumn];
    size_t count = foundContacts.size() + 1;
    if (ranks.generation == foundContactsGeneration && ranks.rank.size() == count)
        return ranks.rank.data();
    try {
        SortTexts texts;
        texts.reserve(count);
        std::vector<int> order(count);
        for (size_t i = 0; i < count; ++i) {
            order[i] = static_cast<int>(i);
            HitText shown = shownText(static_cast<LPARAM>(i), listColumn);
            texts.add(shown.text, shown.length);
        }
        auto less = [&texts](int a, int b) { return texts.less(static_cast<size_t>(a), static_cast<size_t>(b)); };
        std::sort(order.begin(), order.end(), less);
        std::vector<int> rank(count);
        for (size_t k = 0; k < count; ++k)
            rank[static_cast<size_t>(order[k])] =
                k > 0 && !less(order[k - 1], order[k]) ? rank[static_cast<size_t>(order[k - 1])] : static_cast<int>(k);
        ranks.rank.swap(rank);
        ranks.generation = foundContactsGeneration;
        return ranks.rank.data();
    } catch (const std::bad_alloc&) {  // GCOVR_EXCL_BR_LINE: nothing else is thrown in a rank sort
        return nullptr;  // no memory for the ranks: the texts are compared
    }
}

void sortByColumn(int listColumn)
{
    // A column the host added, or none: our comparison knows only our own two.
    if (listColumn != 0 && listColumn != 1)
        return;
    sortAscending = !sortAscending;
    SortParams params;
    params.listColumn = listColumn;
    params.ascending = sortAscending ? 1 : 0;
    params.ranks = ranksOf(listColumn);
    params.generation = foundContactsGeneration;
    // LVM_SORTITEMS hands the comparison each row's item data; reading texts
    // back from the control during a sort gives stale rows on some list views.
    SendMessageA(resultList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&params),
                 reinterpret_cast<LPARAM>(compareRows));
}

void onListNotify(const NMHDR* header, LPARAM lParam)
{
    if (header->code == LVN_COLUMNCLICK)
        sortByColumn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
    else if (header->code == NM_DBLCLK || header->code == NM_RETURN)  // Enter on a row is a double click
        requestContactAction(HOST_ACTION_PROPERTIES, HOST_GROUP_PROPERTIES);
}

void onPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        // Only our own list's notifications: the page may hold other controls.
        if (header && resultList && header->hwndFrom == resultList)
            onListNotify(header, lParam);
        break;
    }
    case WM_PARENTNOTIFY:
        // The host destroyed our list itself: its handle must not outlive it.
        if (LOWORD(wParam) == WM_DESTROY && resultList && reinterpret_cast<HWND>(lParam) == resultList)
            resultList = nullptr;
        break;
    case WM_NCDESTROY:
        forgetPage(page);
        if (page == resultPage) {
            resultList = nullptr;
            resultPage = nullptr;
        }
        break;
    }
}

// Drawing stops while the list is filled (a visible list view repaints after
// every insert) and resumes on every way out, an exception included.
class DrawingPaused {
public:
    explicit DrawingPaused(HWND list) : list_(list)
    {
        if (list_)
            SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    }
    ~DrawingPaused()
    {
        if (list_ && IsWindow(list_)) {
            SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
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
    LUNETKA_INVARIANT(generation == foundContactsGeneration);
    if (resultList == list)
        return true;
    list = nullptr;
    return resultList == nullptr;
}

void insertRow(HWND list, size_t hit, int image)
{
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(hit);  // at the end: a list view puts an index past its rows there
    item.pszText = const_cast<char*>(displayNameOf(foundContacts[hit]).text);
    item.iImage = image;
    // The hit's own index, not the row's: a row that failed to go in must
    // not shift every later row onto the previous contact.
    item.lParam = static_cast<LPARAM>(hit);
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    // Coverage leaves out its branches: a host that replaces the list from the
    // insert's notification destroys ours, and Wine's list view then answers
    // -1; a list view that answered the row would be caught by the second test.
    if (row < 0 || resultList != list)  // GCOVR_EXCL_BR_LINE
        return;
    memset(&item, 0, sizeof item);
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(matchedValueOf(foundContacts[hit]).text);
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// One pass of the fill into list; false when it must start again.
bool fillPass(HWND list)
{
    unsigned generation = foundContactsGeneration;
    DrawingPaused paused(list);
    if (list)
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < foundContacts.size(); ++i) {
        int net = foundContacts[i].net;
        int image = (*netIcons)[net];
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

// Forgets the list and gives its page back; destroys the list when asked.
// Forgotten first: destroying lets the host run (the page hears of it), and
// whatever it asks of us then must find a consistent state.
void dropResultList(Release moment)
{
    HWND list = resultList;
    HWND page = resultPage;
    resultList = nullptr;
    resultPage = nullptr;
    if (page)
        releasePage(page, pageWindowProc, moment);
    // At unload the list stays in its page: its code is comctl32's.
    if (moment == Release::AtStop && list && IsWindow(list))
        DestroyWindow(list);  // takes its image list with it
}

}  // namespace

bool fillResultList()
{
    checkListAndPage();
    forgetRanks();  // they ranked the hits of the search before
    for (int pass = 0; pass < MAX_FILL_PASSES; ++pass) {
        if (fillPass(resultList))
            return true;
    }
    // A pass gives up only on a list that replaced its own, and nothing runs since.
    LUNETKA_INVARIANT(resultList);
    SendMessageA(resultList, LVM_DELETEALLITEMS, 0, 0);
    logLine("result list replaced during each of %d fills: left empty", MAX_FILL_PASSES);
    return false;
}

void releaseResultList(Release moment)
{
    dropResultList(moment);
    forgetRanks();
    sortAscending = true;  // the next session's first click sorts descending, as a fresh copy's does
}

void releasePages(Release moment)
{
    releaseAllPages(pageWindowProc, moment);
}

void keepLoadedWhilePagesNeedUs()
{
    if (anyPageBehindAnother(pageWindowProc))
        holdLibrary();
    else
        releaseLibraryHold();
}

intptr_t createResultList(ActionEvent* event)
{
    if (event->size < CREATE_CONTROL_EVENT_SIZE)
        return 0;
    ControlSlotEvent* slot = reinterpret_cast<ControlSlotEvent*>(event);
    HWND page = slot->parentWindow;
    int x = slot->x, y = slot->y;
    slot->window = nullptr;
    slot->x += LIST_WIDTH;
    slot->y += LIST_HEIGHT;

    HINSTANCE instance = hostPluginInstance();
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", LIST_STYLE, x, y, LIST_WIDTH, LIST_HEIGHT, page, nullptr,
                                instance, nullptr);
    // One list at a time: the previous one, and any the host had us make
    // while we waited for it (even while the previous one went), go first,
    // with their pages. A host that makes one at every drop keeps its own.
    for (int drops = 0; resultList && drops < MAX_LIST_DROPS; ++drops)
        dropResultList(Release::AtStop);
    if (pluginState() != PluginState::Started || resultList) {  // stopped meanwhile, or a host looping
        DestroyWindow(list);  // refuses a null one
        checkListAndPage();
        return 0;
    }
    resultList = list;
    resultPage = list ? page : nullptr;
    try {
        if (list) {
            SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LIST_EXTENDED_STYLE);
            addColumn(list, 0, TEXT_RESULT_COLUMN_CONTACT, 100);
            addColumn(list, 1, TEXT_RESULT_COLUMN_VALUE, 313);
            subclassPage(page, pageWindowProc);
        }
        OwnedImages images;
        NetIconMap icons;
        buildNetworkImages(images.get(), icons);
        // The host was asked for icons and may have replaced or dropped the
        // list meanwhile; the map must describe the images the list shows.
        if (resultList == list) {
            netIcons->swap(icons);
            if (list)
                SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.release()));
        }
    } catch (...) {
        if (resultList == list)
            dropResultList(Release::AtStop);
        throw;
    }
    slot->window = resultList == list ? list : nullptr;
    checkListAndPage();
    return 0;
}

intptr_t destroyResultList(ActionEvent* event)
{
    if (event->size < DESTROY_CONTROL_EVENT_SIZE)
        return 0;
    ControlSlotEvent* slot = reinterpret_cast<ControlSlotEvent*>(event);
    // Only ever our own list: a handle from an earlier list may name some
    // other window by now.
    if (resultList && (slot->window == resultList || !slot->window))
        dropResultList(Release::AtStop);
    checkListAndPage();
    releaseLibraryHold();
    return 0;
}

LRESULT CALLBACK pageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Taken first: what we do may forget the page (its last message).
    PageForward forward = pageForward(hwnd);
    // The host put its own procedure in front of ours: it forwards to us,
    // and nothing can take us out of its chain. We stay loaded.
    if (standsBehindAnother(hwnd, pageWindowProc))
        holdLibrary();
    guardEntry("page window", 0, [&] {
        onPageMessage(hwnd, message, wParam, lParam);
        return 0;
    });
    LRESULT result = forwardPageMessage(forward, hwnd, message, wParam, lParam);
    // A page we could not give back while another procedure stood in front
    // of ours goes back at its first message with ours in front again.
    if (hwnd != resultPage)
        releasePage(hwnd, pageWindowProc, Release::AtStop);
    return result;
}

int CALLBACK compareRows(LPARAM item1, LPARAM item2, LPARAM params)
{
    return guardEntry("sort", 0, [&] {
        const SortParams* sort = reinterpret_cast<const SortParams*>(params);
        // Coverage leaves out its branches: nothing calls the host during a sort, so
        // the hits cannot change under it; the check keeps a stale rank table out.
        if (sort->ranks && sort->generation == foundContactsGeneration) {  // GCOVR_EXCL_BR_LINE
            int order = rankOf(sort->ranks, item1) - rankOf(sort->ranks, item2);
            return sort->ascending ? order : -order;
        }
        return compareShown(item1, item2, sort->listColumn, sort->ascending != 0);
    });
}

void requestContactAction(int hostAction, int hostGroup)
{
    // No list, or a window proc running after the host let us go: no row to act on.
    // Coverage leaves out its branches: a stop drops the list, so a live list
    // means a started plug-in; the check is for a procedure run after our stop.
    if (!resultList || pluginState() != PluginState::Started)  // GCOVR_EXCL_BR_LINE
        return;
    int row = static_cast<int>(SendMessageA(resultList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row == -1 || !resultList)  // GCOVR_EXCL_BR_LINE: the list view calls no host to drop the list
        return;
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(resultList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))  // GCOVR_EXCL_BR_LINE
        return;  // GCOVR_EXCL_LINE: the list view just named this row as focused
    const FoundContact* hit = foundContactAt(item.lParam);
    if (!hit)
        return;

    ActionCall call;
    initActionCall(&call);
    call.header.id = hostAction;
    call.header.parent = hostGroup;
    call.header.contact = hit->contactIndex;
    call.header.code = NOTIFY_ACTIVATED;
    hostSend(HM_ACTION_CALL, reinterpret_cast<intptr_t>(&call), 0);
}
