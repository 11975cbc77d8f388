// The host's page windows whose procedure we replaced so that the result
// list's notifications reach us. Each page keeps its own saved procedure, so
// any number of pages, in any order, each get their own back.
#pragma once

#include <windows.h>

// Puts proc in front of page's procedure; false when it could not (no such
// window, or no memory to remember it). A page already ours stays as it is.
bool subclassPage(HWND page, WNDPROC proc);
// The procedure page had before ours; null when we do not know the page.
WNDPROC savedPageProc(HWND page);
// Gives page its own procedure back, when ours is still the one in front.
// If another procedure was put in front of ours since, ours must stay in the
// chain: the page is kept to forward its messages, and the library is kept
// loaded (keepLibraryLoaded), so the chain never leads into freed code.
void releasePage(HWND page, WNDPROC proc);
// releasePage for every page we know.
void releaseAllPages(WNDPROC proc);
// The page is being destroyed: forget it.
void forgetPage(HWND page);
