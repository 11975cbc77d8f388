#include "host/result_list_reader.h"

#include <commctrl.h>
#include <string.h>

#include "host/host_window.h"

namespace host {

namespace {

std::string itemText(HWND list, int row, int column, size_t limit)
{
    std::vector<char> text(limit + 1, '\0');
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(limit);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    text[limit - 1] = '\0';  // a longer text is cut without a terminator
    return text.data();
}

}  // namespace

std::vector<ResultRow> readResultRows(HWND list, size_t textLimit)
{
    std::vector<ResultRow> rows;
    if (!list)
        return rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        ResultRow row;
        row.contact = itemText(list, i, 0, textLimit);
        row.value = itemText(list, i, 1, textLimit);
        LVITEMA item;
        memset(&item, 0, sizeof item);
        item.mask = LVIF_IMAGE | LVIF_PARAM;
        item.iItem = i;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        row.image = item.iImage;
        row.itemData = item.lParam;
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> shownNames(HWND list)
{
    std::vector<std::string> names;
    for (const ResultRow& row : readResultRows(list))
        names.push_back(row.contact);
    return names;
}

std::vector<std::string> shownValues(HWND list)
{
    std::vector<std::string> values;
    for (const ResultRow& row : readResultRows(list))
        values.push_back(row.value);
    return values;
}

int insertRow(HWND list, int row, const char* name, LPARAM itemData, const char* value)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(name);
    item.lParam = itemData;
    int inserted = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (inserted >= 0 && value)
        setListText(list, inserted, 1, value);
    return inserted;
}

void setItemData(HWND list, int row, LPARAM itemData)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = itemData;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void clickHeader(HWND list, int column)
{
    // A press and release on the header item: the header tells the list view,
    // which reports LVN_COLUMNCLICK to its parent, as under a real mouse.
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT item;
    if (!header || !SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item)))
        return;
    LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(header, WM_LBUTTONUP, 0, point);
}

void focusRow(HWND list, int row, bool select)
{
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | (select ? LVIS_SELECTED : 0);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void doubleClickRow(HWND list, int row)
{
    RECT bounds;
    memset(&bounds, 0, sizeof bounds);
    bounds.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    LPARAM point = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
}

}  // namespace host
