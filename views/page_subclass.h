// The host's page windows whose procedure we replaced so that the result
// list's notifications reach us. Each page keeps its own saved procedure, so
// any number of pages, in any order, each get their own back. A page keeps
// its character width: a Unicode page is subclassed with the wide calls and
// forwarded to with CallWindowProcW, so its texts never pass a code page.
#pragma once

#include <windows.h>

enum class Release;  // plugin_state.h, which keeps the table of these pages

// One page of ours (session.pages).
struct SubclassedPage {
    HWND page;
    WNDPROC saved;  // the procedure it had before ours
    bool wide;      // subclassed with the wide calls: forwarded and given back with them
};

// Puts proc in front of page's procedure; false when it could not (a page of
// another process, or no memory to remember it). A page already ours stays
// as it is, with the procedure it was first saved with.
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
// Whether another procedure stands in front of ours on a page, as our page
// procedure sees it: it forwards to us, and nothing can take us out of its
// chain.
bool standsBehindAnother(HWND page, WNDPROC proc);
// The same for any page we know.
bool anyPageBehindAnother(WNDPROC proc);
// Gives page its own procedure back, when ours is still the one in front.
// If another procedure was put in front of ours since, ours must stay in the
// chain: the page is kept to forward its messages, and the library is kept
// loaded (lifetime.h), so the chain never leads into freed code.
void releasePage(HWND page, WNDPROC proc, Release moment);
// releasePage for every page we know.
void releaseAllPages(WNDPROC proc, Release moment);
// The page is being destroyed: forget it.
void forgetPage(HWND page);
