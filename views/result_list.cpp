#include "views/result_list.h"

#include <commctrl.h>
#include <string.h>

#include "base/action_ids.h"
#include "base/entry_guard.h"
#include "base/host_abi.h"
#include "base/host_calls.h"
#include "base/host_requests.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "search/found_contacts.h"
#include "ui/texts.h"
#include "views/list_messages.h"
#include "views/page_subclass.h"
#include "views/result_sort.h"

namespace {

const int LIST_WIDTH = 415;
const int LIST_HEIGHT = 200;
// In the tab order, so that a keyboard user reaches the rows.
const DWORD LIST_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT;
const DWORD LIST_EXTENDED_STYLE = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;

// The list lives in the page we know it by (the page may outlive a list the
// host destroyed; Windows may refuse to let us subclass it), and only while
// we are started: a stop drops it.
void checkListAndPage()
{
    LUNETKA_INVARIANT(!session.resultList || session.resultPage);
    LUNETKA_INVARIANT(!session.resultList || !IsWindow(session.resultList) ||
                      GetParent(session.resultList) == session.resultPage);
    LUNETKA_INVARIANT(!session.resultList || session.lifecycle == PluginState::Started);
}

void addColumn(HWND list, int index, const char* header, int width)
{
    LVCOLUMNA column;
    memset(&column, 0, sizeof column);
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(header);
    sendToList(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
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
    int positions = static_cast<int>(hostSendTagged(HM_PLUGIN_COUNT, -1));
    for (int position = 1; position < positions; ++position) {
        int plugin = static_cast<int>(hostSend(HM_PLUGIN_ID_AT, position, 0));
        if (!(pluginSend(HM_PLUGIN_TYPE, plugin) & PLUGIN_TYPE_NETWORK))
            continue;
        int net = static_cast<int>(pluginSend(HM_PLUGIN_NET, plugin));
        int index = appendHostIcon(images, networkIconId(net));
        icons[net] = index;
        logLine("adding icon for net %d on pos %d", net, index);
    }
}

// A row the host inserted, or whose item data it set, while none of our own
// messages to the list ran: its item data may name no hit of ours, and the
// next sort reads what it shows.
bool hostChangedRows(const NMHDR* header, LPARAM lParam)
{
    if (session.listMessages != 0)
        return false;
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    return header->code == LVN_INSERTITEM || (header->code == LVN_ITEMCHANGED && (change->uChanged & LVIF_PARAM));
}

void onListNotify(const NMHDR* header, LPARAM lParam)
{
    if (hostChangedRows(header, lParam))
        session.foreignRows = true;
    if (header->code == LVN_COLUMNCLICK)
        sortByColumn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
    else if (header->code == NM_DBLCLK || header->code == NM_RETURN)  // Enter on a row is a double click
        requestContactAction(HOST_ACTION_PROPERTIES, HOST_GROUP_PROPERTIES);
}

bool ownListDeletes(const NMHDR* header)
{
    return header && session.resultList && header->hwndFrom == session.resultList &&
           (header->code == LVN_DELETEITEM || header->code == LVN_DELETEALLITEMS);
}

// The page's messages onPageMessage acts on: its thunk hands every other
// straight to the page's own procedure.
const ThunkActs PAGE_ACTS = {{WM_NOTIFY, WM_PARENTNOTIFY, WM_NCDESTROY}};

void onPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        // Only our own list's notifications: the page may hold other controls.
        if (header && session.resultList && header->hwndFrom == session.resultList)
            onListNotify(header, lParam);
    } else if (message == WM_PARENTNOTIFY) {
        // The host destroyed our list itself: its handle must not outlive it.
        if (LOWORD(wParam) == WM_DESTROY && session.resultList &&
            reinterpret_cast<HWND>(lParam) == session.resultList)
            session.resultList = nullptr;
    } else if (ALWAYS(message == WM_NCDESTROY)) {  // the page's thunk hands us nothing else (PAGE_ACTS)
        // The page goes, and our list with it: neither handle may outlive them.
        forgetPage(page);
        if (page == session.resultPage) {
            session.resultList = nullptr;
            session.resultPage = nullptr;
        }
    }
}

// Forgets the list and gives its page back; at a stop (or a 220, 221) it
// destroys the list too, at an unload it leaves it to its page. Forgotten
// first: destroying lets the host run (the page hears of it), and whatever
// it asks of us then must find a consistent state.
void dropResultList(Release moment)
{
    HWND list = session.resultList;
    HWND page = session.resultPage;
    session.resultList = nullptr;
    session.resultPage = nullptr;
    session.activeSort = nullptr;  // a sort of the list that goes has nothing left to compare
    if (page && moment == Release::WithWindows)
        releasePage(page);
    if (moment != Release::WithWindows)
        return;
    if (list && IsWindow(list))
        destroyListWhenSafe(list);
    destroyDroppedLists();
}

// Columns, the page's subclass, the network images: what a new list gets.
// Every host call may drop or replace the list meanwhile; the images go to
// the list only if it is still ours.
void dressResultList(HWND list, HWND page)
{
    if (list) {
        sendToList(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LIST_EXTENDED_STYLE);
        addColumn(list, 0, TEXT_RESULT_COLUMN_CONTACT, 100);
        addColumn(list, 1, TEXT_RESULT_COLUMN_VALUE, 313);
        if (!subclassPage(page, pageWindowProc, PAGE_ACTS))
            logLine("the result list's page could not be subclassed: header clicks and double clicks do nothing");
    }
    OwnedImages images;
    NetIconMap icons;
    buildNetworkImages(images.get(), icons);
    if (session.resultList != list)
        return;
    session.netIcons.swap(icons);  // the map describes the images the list shows
    if (list)
        sendToList(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.release()));
}

}  // namespace

void releaseResultList(Release moment) { dropResultList(moment); }

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
    for (int drops = 0; session.resultList && drops < MAX_LIST_DROPS; ++drops)
        dropResultList(Release::WithWindows);
    if (session.resultList)
        logLine("result list asked for during each of %d drops: the host's newest stays", MAX_LIST_DROPS);
    // Stopped meanwhile, a host looping, or the page destroyed while the
    // previous list went, and the new list with it: none is handed back.
    bool listLives = list && IsWindow(list);
    if (session.lifecycle != PluginState::Started || session.resultList || (list && !listLives)) {
        if (listLives)
            DestroyWindow(list);
        checkListAndPage();
        return 0;
    }
    session.resultList = list;
    session.resultPage = list ? page : nullptr;
    try {
        dressResultList(list, page);
    } catch (...) {
        if (session.resultList == list)
            dropResultList(Release::WithWindows);
        throw;
    }
    slot->window = session.resultList == list ? list : nullptr;
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
    if (session.resultList && (slot->window == session.resultList || !slot->window))
        dropResultList(Release::WithWindows);
    checkListAndPage();
    return 0;
}

LRESULT CALLBACK pageWindowProc(WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A window the host copied a page's procedure onto is not a page of ours.
    bool ours = pagesOwnMessage(thunk, hwnd);
    // Our list deleting rows of its own accord goes on with them once the
    // notice is back: a list the host has us drop meanwhile waits.
    bool deletion = ours && message == WM_NOTIFY && ownListDeletes(reinterpret_cast<const NMHDR*>(lParam));
    session.listDeletions += deletion;
    if (ours)
        guardEntry("page window", 0, [&] {
            onPageMessage(hwnd, message, wParam, lParam);
            return 0;
        });
    // The thunk keeps what the page had before us even once it is forgotten.
    LRESULT answer = forwardPageMessage(thunk, hwnd, message, wParam, lParam);
    session.listDeletions -= deletion;
    return answer;
}

void requestContactAction(int hostAction, int hostGroup)
{
    HWND list = session.resultList;
    if (!list)
        return;
    checkListAndPage();
    // A host's subclass of our list may drop or replace it from either
    // message, or refuse the row: then there is no row to act on.
    int row = static_cast<int>(sendToList(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row == -1 || session.resultList != list)
        return;
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!sendToList(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) || session.resultList != list)
        return;
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
