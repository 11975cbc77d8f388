#include "views/result_list.h"

#include <commctrl.h>
#include <string.h>

#include "plugin/action_ids.h"
#include "plugin/host_calls.h"
#include "search/found_contacts.h"
#include "views/sort_order.h"

HWND resultList = nullptr;
NetIconMap netIcons;
WNDPROC prevPageProc = nullptr;
bool sortAscending = true;

namespace {

const int LIST_WIDTH = 415;
const int LIST_HEIGHT = 200;
const DWORD LIST_STYLE = WS_CHILD | WS_VISIBLE | LVS_REPORT;
const DWORD LIST_EXTENDED_STYLE = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
const intptr_t GENERAL_ICON_ID = 0x20000000;
const int PLUGIN_TYPE_NETWORK = 0x20;

HWND subclassedPage = nullptr;

void addColumn(int index, const char* header, int width)
{
    LVCOLUMNA column;
    memset(&column, 0, sizeof column);
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(header);
    SendMessageA(resultList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

// The list view notifies its parent, so the page's procedure must see them
// first. Subclassing a page that is already ours would save our own
// procedure as the one to forward to, and every message would loop.
void subclassPage(HWND page)
{
    if (!IsWindow(page))
        return;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(page, GWLP_WNDPROC)) == pageWindowProc)
        return;
    prevPageProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pageWindowProc)));
    subclassedPage = page;
}

// Gives the page back its own procedure, so no message can reach this
// library once the list is gone and the library may be unloaded.
void releasePage()
{
    if (subclassedPage && IsWindow(subclassedPage) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(subclassedPage, GWLP_WNDPROC)) == pageWindowProc) {
        SetWindowLongPtrA(subclassedPage, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevPageProc));
        subclassedPage = nullptr;
        prevPageProc = nullptr;
    }
}

// Appends the host's icon to the image list; the list keeps its own copy.
int appendHostIcon(HIMAGELIST images, intptr_t iconId)
{
    HICON icon = reinterpret_cast<HICON>(hostSend(HM_ICON_GET, iconId, 1));
    int index = ImageList_ReplaceIcon(images, -1, icon);
    if (icon)
        DestroyIcon(icon);
    return index;
}

HIMAGELIST buildNetworkImages()
{
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    netIcons[0] = appendHostIcon(images, GENERAL_ICON_ID);

    int positions = static_cast<int>(hostSendTagged(HM_PLUGIN_COUNT, 0, -1, 0, 0));
    for (int position = 1; position < positions; ++position) {
        int plugin = static_cast<int>(hostSendTagged(HM_PLUGIN_ID_AT, 0, 0, position, 0));
        if (!(pluginSend(HM_PLUGIN_TYPE, plugin, 0, 0) & PLUGIN_TYPE_NETWORK))
            continue;
        int net = static_cast<int>(pluginSend(HM_PLUGIN_NET, plugin, 0, 0));
        intptr_t iconId = static_cast<intptr_t>(((net & 0xFF) | 0x200)) << 20;
        netIcons[net] = appendHostIcon(images, iconId);
        logLine("adding icon for net %d on pos %d", net, netIcons[net]);
    }
    return images;
}

// The text that a row shows in the sorted column; item data that names no
// entry sorts as an empty text.
const std::string& shownText(LPARAM itemData, int listColumn)
{
    static const std::string none;
    const FoundContact* hit = foundContactAt(itemData);
    if (!hit)
        return none;
    return listColumn == 0 ? hit->displayName : hit->matchedValue;
}

void sortByColumn(int listColumn)
{
    sortAscending = !sortAscending;
    SortParams params;
    params.listColumn = listColumn;
    params.ascending = sortAscending ? 1 : 0;
    // LVM_SORTITEMS hands the comparison each row's item data; reading texts
    // back from the control during a sort gives stale rows on some list views.
    SendMessageA(resultList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&params),
                 reinterpret_cast<LPARAM>(compareRows));
}

}  // namespace

intptr_t createResultList(ActionEvent* event)
{
    if (event->size < CREATE_CONTROL_EVENT_SIZE)
        return 0;
    ControlSlotEvent* slot = reinterpret_cast<ControlSlotEvent*>(event);

    HINSTANCE instance = hostControl->getPluginInstance();
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", LIST_STYLE, slot->x, slot->y, LIST_WIDTH, LIST_HEIGHT,
                                slot->parentWindow, nullptr, instance, nullptr);
    slot->window = list;
    slot->x += LIST_WIDTH;
    slot->y += LIST_HEIGHT;
    resultList = list;

    SendMessageA(resultList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LIST_EXTENDED_STYLE);
    addColumn(0, "Kontakt", 100);
    addColumn(1, "Szukana wartość", 313);
    subclassPage(slot->parentWindow);

    // The control owns its image list (it is not created to share them) and
    // destroys it with itself, so the list is destroyed exactly once.
    HIMAGELIST images = buildNetworkImages();
    if (list)
        SendMessageA(resultList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    else
        ImageList_Destroy(images);  // no control to own it
    return 0;
}

intptr_t destroyResultList(ActionEvent* event)
{
    if (event->size < DESTROY_CONTROL_EVENT_SIZE)
        return 0;
    ControlSlotEvent* slot = reinterpret_cast<ControlSlotEvent*>(event);
    if (slot->window)
        DestroyWindow(slot->window);  // takes its image list with it
    resultList = nullptr;
    releasePage();
    return 0;
}

LRESULT CALLBACK pageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC forwardTo = prevPageProc;
    if (message == WM_NOTIFY && lParam && resultList) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        // Only our own list's notifications: the page may hold other controls.
        if (header->hwndFrom == resultList) {
            if (header->code == LVN_COLUMNCLICK)
                sortByColumn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            else if (header->code == NM_DBLCLK)
                requestContactAction(HOST_ACTION_PROPERTIES, HOST_GROUP_PROPERTIES);
        }
    }
    if (!forwardTo)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    return CallWindowProcA(forwardTo, hwnd, message, wParam, lParam);
}

int CALLBACK compareRows(LPARAM item1, LPARAM item2, LPARAM params)
{
    const SortParams* sort = reinterpret_cast<const SortParams*>(params);
    return compareShownTexts(shownText(item1, sort->listColumn), shownText(item2, sort->listColumn),
                             sort->ascending != 0);
}

void requestContactAction(int hostAction, int hostGroup)
{
    // No list, or a window proc running after the host let us go: no row to act on.
    if (!resultList || !hostControl)
        return;
    int row = static_cast<int>(SendMessageA(resultList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row == -1)
        return;
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(resultList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
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
