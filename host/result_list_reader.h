// Reads back and drives the plug-in's result list through the real list-view
// control, as a user's clicks would.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace host {

struct ResultRow {
    std::string contact;  // column 0, Windows-1250
    std::string value;    // column 1
    int image = -1;
    intptr_t itemData = -1;
};

// Each text is read into textLimit bytes, as a host's buffer would be.
std::vector<ResultRow> readResultRows(HWND list, size_t textLimit = 1024);
// The contacts the rows show (column 0), and their values (column 1), top to bottom.
std::vector<std::string> shownNames(HWND list);
std::vector<std::string> shownValues(HWND list);
// A row put in the list as a host would: at row, showing name (and value in
// the second column, when given), with itemData. Returns its row, or -1.
int insertRow(HWND list, int row, const char* name, LPARAM itemData, const char* value = nullptr);
// A row's item data, set as a host would (its texts: setListText, host_window.h).
void setItemData(HWND list, int row, LPARAM itemData);
// The list's header click, as the list view reports it to its parent.
void clickHeader(HWND list, int column);
void focusRow(HWND list, int row, bool select);
// A double click on the row, delivered to the list view itself.
void doubleClickRow(HWND list, int row);

}  // namespace host
