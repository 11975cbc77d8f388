// The result list: a list view the plug-in places in the host's page slot,
// with network icons, header-click sorting and double click. One list at a
// time: a new one first releases the one before.
#pragma once

#include <windows.h>

#include "plugin/host_abi.h"
#include "plugin/lifetime.h"

struct SortParams {
    int listColumn;              // the clicked column, 0 or 1
    unsigned char ascending;
    // Each hit's place in the column's order (entry foundContacts.size() is
    // an item data that names no hit); null: the texts are compared.
    const int* ranks;
    unsigned generation;  // of foundContacts when the ranks were made
};

intptr_t createResultList(ActionEvent* event);
intptr_t destroyResultList(ActionEvent* event);
// Empties the list and inserts one row per entry of foundContacts, each with
// its entry's index as item data; with no list, only the log lines are
// written. False when the host replaced the list during every pass: the
// list is then left empty.
bool fillResultList();
// At stop the list is destroyed; at unload it is only forgotten.
void releaseResultList(Release moment);
// Gives every page we subclassed its own procedure back where ours is still
// in front; sends no message and calls no host.
void releasePages(Release moment);
// At every message of the host's: holds the library if the host put its own
// procedure in front of ours on a page since we last looked (it may unload
// us before the page next speaks), and lets go once none does.
void keepLoadedWhilePagesNeedUs();

LRESULT CALLBACK pageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// LVM_SORTITEMS callback: item1 and item2 are the rows' item data.
int CALLBACK compareRows(LPARAM item1, LPARAM item2, LPARAM params);
// Asks the host to run one of its actions for the focused row's contact.
void requestContactAction(int hostAction, int hostGroup);
