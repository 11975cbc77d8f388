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

enum class Release;  // plugin_state.h, which keeps the table of these pages
struct WindowThunk;

// Our entry in the common controls' subclass chain of a page that had one
// when we came (page_subclass.cpp says why).
struct ChainEntry {
    BOOL(WINAPI* remove)(HWND, SUBCLASSPROC, UINT_PTR) = nullptr;  // null: no entry
    SUBCLASSPROC proc = nullptr;
    UINT_PTR id = 0;
};

// One page of ours (session.pages).
struct SubclassedPage {
    HWND page;
    WindowThunk* thunk;  // in front of the page's procedure, calling ours
    ChainEntry chainEntry;
};

// Puts proc in front of page's procedure; false when it could not (a page of
// another process, no memory to remember it, or no thunk left). A page
// already ours stays as it is.
bool subclassPage(HWND page, WNDPROC proc);
// Where a page's messages go after ours. Taken before a message is handled,
// as the handling may forget the page.
struct PageForward {
    WNDPROC saved;  // null for a page we do not know
    bool wide;
};
PageForward pageForward(HWND page);
// Hands a message on; Windows' default for a page we do not know (the host
// copied our procedure onto a window of its own).
LRESULT forwardPageMessage(const PageForward& forward, HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Lets page go: its own procedure back when ours is still in front; if the
// host put another in front of ours since, that one keeps forwarding to our
// thunk, which from now on hands every message past us.
void releasePage(HWND page);
// releasePage for every page we know; at an unload, only the thunks'
// one write each (no window is touched inside the loader's lock).
void releaseAllPages(Release moment);
// The page is being destroyed: forget it, and its thunk with it.
void forgetPage(HWND page);
// For a page's thunk left forwarding: whether the page still leads to it. A
// page whose thunk is still in front gets its procedure back here.
bool leftPageThunkStillNeeded(const WindowThunk* thunk);
