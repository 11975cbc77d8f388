// Window procedures that live outside our image: a few bytes of executable
// memory in front of each window we subclass, of our window class, and of
// the export itself (message_dispatch.cpp).
//
// A host may put its own procedure in front of ours and keep forwarding to
// whatever it found there, long after it unloaded us. What it found must then
// still be code: so it finds a thunk, never an address in our image. While
// this copy is loaded, the thunk calls our procedure, holding a reference to
// the library for the length of the message (a host that frees us inside it
// unmaps us only once the message is back in the thunk). Once we are let go,
// one aligned write retargets it: it hands every message straight to the
// procedure we replaced, through CallWindowProcA or CallWindowProcW; and a
// page whose procedure it is again (whoever stood in front of it went) gets
// the one we replaced back at its next message. That write is all an unload
// does to a window, so DllMain stays within what the loader's lock allows.
//
// Thunks sit in pages of this process that every copy of us finds again
// (a later copy, or a second one loaded beside us), so a thunk left
// forwarding is used again once its window is gone or given back. At most
// THUNK_ARENAS_MAX pages of THUNKS_PER_ARENA thunks each exist at once.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct WindowThunk;

const int THUNK_ARENAS_MAX = 8;
const int THUNK_BYTES = 256;
const int THUNKS_PER_ARENA = 4096 / THUNK_BYTES - 1;  // the first slot is the page's header: 15

// The pages of thunks this copy knows (session.thunkArenas): found at its
// first need, then kept until unload, as the pages outlive us all.
struct ThunkArenas {
    bool found = false;
    int count = 0;
    void* arena[THUNK_ARENAS_MAX] = {};
};

// Our procedure behind a thunk: it is handed the thunk the message came
// through, which says what the window had before us.
typedef LRESULT(CALLBACK* ThunkProcedure)(WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A thunk that calls procedure (ours, in this image) for window (a page; for
// a class, the instance it is registered under), and, once we are let go,
// forwards to the procedure set by setThunkSaved. Never the thunk whose entry
// is leadingThere (a window already leads there: the host copied it). Null
// when the bound is reached or Windows gives no memory.
WindowThunk* makeWindowThunk(ThunkProcedure procedure, HWND window, bool wide, bool forClass, WNDPROC leadingThere);
// What the window's procedure is set to.
WNDPROC thunkEntry(const WindowThunk* thunk);
void setThunkSaved(WindowThunk* thunk, WNDPROC saved);
WNDPROC thunkSaved(const WindowThunk* thunk);
bool thunkWide(const WindowThunk* thunk);
HWND thunkWindow(const WindowThunk* thunk);
// The thunk's second way in: a subclass procedure for the common controls'
// chain that hands every message on through defSubclassProc. It lives as
// long as the thunk.
SUBCLASSPROC thunkKeepAlive(WindowThunk* thunk, void* defSubclassProc);

// The class thunk an earlier copy left forwarding that classProc is, or null.
WindowThunk* leftClassThunk(WNDPROC classProc);

// From now on the thunk forwards past us for good; its window may keep it.
void forwardPastUs(WindowThunk* thunk);
// Nothing leads to the thunk any more: it may serve another window.
void freeWindowThunk(WindowThunk* thunk);
// Frees every thunk left forwarding (by an earlier copy, or at a stop behind
// the host's procedure) that stillNeeded says nothing leads to any more.
void tidyLeftThunks(bool (*stillNeeded)(const WindowThunk* thunk, bool forClass));
