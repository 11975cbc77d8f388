// The result list: a list view the plug-in places in the host's page slot,
// with network icons, header-click sorting and double click.
#pragma once

#include <windows.h>
#include <map>

#include "plugin/host_abi.h"

// Network number -> image index in the list's small image list. A lookup of
// an absent network adds it with image 0, the general icon.
typedef std::map<int, int> NetIconMap;

extern HWND resultList;          // null while there is no list
extern NetIconMap netIcons;
extern WNDPROC prevPageProc;     // the page's procedure before ours
extern bool sortAscending;       // flipped before every header-click sort

struct SortParams {
    int listColumn;              // the clicked column, 0 or 1
    unsigned char ascending;
};

intptr_t createResultList(ActionEvent* event);
intptr_t destroyResultList(ActionEvent* event);
LRESULT CALLBACK pageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// LVM_SORTITEMS callback: item1 and item2 are the rows' item data.
int CALLBACK compareRows(LPARAM item1, LPARAM item2, LPARAM params);
// Asks the host to run one of its actions for the focused row's contact.
void requestContactAction(int hostAction, int hostGroup);
