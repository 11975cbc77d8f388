// The host's page windows whose procedure we replaced so that the result
// list's notifications reach us. Each page leads to us through a thunk of its
// own (window_thunk.h) that keeps the procedure it had before, so any number
// of pages, in any order, each get their own back, and a page whose new
// procedure the host put in front of ours forwards past us once we let it go.
// A page keeps its character width: a Unicode page is subclassed with the
// wide calls and forwarded to with CallWindowProcW, so its texts never pass a
// code page.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/plugin_state.h"
#include "base/window_thunk.h"

// Puts a thunk in front of page's procedure that calls proc for the
// messages in acts; false when it could not (a page of another process, no
// memory to remember it, or no thunk left).
bool subclassPage(HWND page, ThunkProcedure proc, const ThunkActs& acts);
// Hands a message that came through thunk on to what its page had before us.
// The host may have copied a page's procedure onto another window of its
// own: whether the message is the page's, the caller asks pagesOwnMessage.
LRESULT forwardPageMessage(const WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool pagesOwnMessage(const WindowThunk* thunk, HWND hwnd);
// Lets page go: its own procedure back when ours is still in front; if the
// host put another in front of ours since, that one keeps forwarding to our
// thunk, which from now on hands every message past us.
void releasePage(HWND page);
// releasePage for every page we know; at an unload, only the thunks'
// one write each (no window is touched inside the loader's lock).
void releaseAllPages(Release moment);
// The page, one of ours, is being destroyed: forget it, and its thunk with it.
void forgetPage(HWND page);
// For a page's thunk left forwarding: whether the page still leads to it. A
// page whose thunk is still in front gets its procedure back here.
bool leftPageThunkStillNeeded(const WindowThunk* thunk);
