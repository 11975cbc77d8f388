// The result list: a list view the plug-in places in the host's page slot,
// with network icons, header-click sorting, double click and Enter. One list
// at a time (session.resultList): a new one first releases the one before.
// Its fill lives in result_fill.cpp, its sort in result_sort.cpp.
#pragma once

#include <windows.h>

#include "base/host_abi.h"
#include "base/plugin_state.h"

intptr_t createResultList(ActionEvent* event);
intptr_t destroyResultList(ActionEvent* event);
// Empties the list and inserts one row per entry of search.foundContacts,
// each with its entry's index as item data; with no list, only the log
// lines are written. False when the host replaced the list during every
// pass: the list is then left empty.
bool fillResultList();
// At stop the list is destroyed; at unload it is only forgotten.
void releaseResultList(Release moment);
// Lets go of every page we subclassed (page_subclass.h); sends no message
// and calls no host.
void releasePages(Release moment);

// The page's procedure, behind the page's thunk.
LRESULT CALLBACK pageWindowProc(WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Asks the host to run one of its actions for the focused row's contact.
void requestContactAction(int hostAction, int hostGroup);

// Every message we send a list of ours. The host may stop us, or have us
// drop the list, from inside one (the list notifies its page, a host's
// subclass of it runs): a list view destroyed inside its own message would
// go on with its freed self, so a list dropped meanwhile is destroyed once
// every such message has returned.
LRESULT sendToList(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// Between the list's own files.
// A header click on listColumn: sorts our two columns, flipping the
// direction first; a column the host added is not ours to sort.
void sortByColumn(int listColumn);
// The sort ranks describe the hits of one search: forgotten at every fill.
void forgetRanks();
