// The result list: a list view the plug-in places in the host's page slot,
// with network icons, header-click sorting and double click. One list at a
// time: a new one first releases the one before.
#pragma once

#include <windows.h>

#include "plugin/host_abi.h"

struct SortParams {
    int listColumn;              // the clicked column, 0 or 1
    unsigned char ascending;
};

intptr_t createResultList(ActionEvent* event);
intptr_t destroyResultList(ActionEvent* event);
// Empties the list and inserts one row per entry of foundContacts; with no
// list, only the log lines are written.
void fillResultList();
// At stop: destroys the list and gives every page its own procedure back,
// so nothing of ours is left in the host's windows.
void releaseResultList();
// At unload without a stop: gives the pages their own procedures back.
// Sends no message and calls no host: safe inside the loader's lock.
void releasePagesAtUnload();

LRESULT CALLBACK pageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// LVM_SORTITEMS callback: item1 and item2 are the rows' item data.
int CALLBACK compareRows(LPARAM item1, LPARAM item2, LPARAM params);
// Asks the host to run one of its actions for the focused row's contact.
void requestContactAction(int hostAction, int hostGroup);
