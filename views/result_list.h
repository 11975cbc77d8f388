// The result list: a list view the plug-in places in the host's page slot,
// with network icons, header-click sorting, double click and Enter. One list
// at a time (session.resultList): a new one first releases the one before.
// Its fill lives in result_fill.cpp, its sort in result_sort.cpp, and every
// message to it goes through list_messages.h.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "base/plugin_state.h"

struct ActionEvent;  // host_abi.h

intptr_t createResultList(ActionEvent* event);
intptr_t destroyResultList(ActionEvent* event);
// At stop the list is destroyed; at unload it is only forgotten.
void releaseResultList(Release moment);

// The page's procedure, behind the page's thunk.
LRESULT CALLBACK pageWindowProc(WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Asks the host to run one of its actions for the focused row's contact.
void requestContactAction(int hostAction, int hostGroup);
