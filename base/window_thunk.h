// Window procedures that live outside our image: a few instructions in front
// of each window we subclass, of our window class, and of the export itself
// (message_dispatch.cpp).
//
// A host may put its own procedure in front of ours and keep forwarding to
// whatever it found there, long after it unloaded us. What it found must then
// still be code: so it finds a thunk, never an address in our image. While
// this copy is loaded, the thunk calls our procedure for the messages it acts
// on, holding a reference to the library for the length of the message (a
// host that frees us inside it unmaps us only once the message is back in
// the thunk); every other message goes straight to the procedure we replaced,
// with no reference, so a page never waits for the loader's lock. Once we are
// let go, one aligned write retargets it: it hands every message straight to
// the procedure we replaced, through CallWindowProcA or CallWindowProcW; and
// a page whose procedure it is again (whoever stood in front of it went) gets
// the one we replaced back at its next message. That write is all an unload
// does to a window, so DllMain stays within what the loader's lock allows.
//
// A page of thunks is two: the code, written once and then only readable and
// executable, and the data each thunk reads (a WindowThunk each), writable
// and never run. Every copy of us in the process (a later one, or a second
// one beside us) finds the pages again through an environment variable whose
// name carries the code's layout, and runs a page's code only if it is byte
// for byte what it would have written itself. A thunk left forwarding is used
// again once its window is gone or given back. At most THUNK_ARENAS_MAX pages
// of THUNKS_PER_ARENA thunks each exist at once.
#pragma once

#include <windows.h>
#include <commctrl.h>

const int THUNK_ARENAS_MAX = 8;
const int THUNKS_PER_ARENA = 15;
// The messages a thunk hands to our procedure; null: every message.
const int THUNK_ACTS_MAX = 3;
struct ThunkActs {
    UINT message[THUNK_ACTS_MAX];  // a list shorter than the maximum repeats a message
};

enum ThunkState : LONG { THUNK_FREE = 0, THUNK_LIVE = 1, THUNK_FORWARDING = 2 };

// One thunk's data: what its code reads, on the data page. Each field that
// changes is changed by one aligned write.
struct WindowThunk {
    // Written when the page is made, never again: a message's way back out
    // of the thunk reads only these, so a thunk may be freed and used again
    // while a message is still inside it.
    void* getModuleHandleEx;
    void* freeLibrary;
    void* volatile target;     // the way in: enter, filter or forward
    void* volatile procedure;  // ours, in our image
    void* volatile saved;      // what we replaced
    void* volatile callWindowProc;
    void* volatile getWindowLong;  // of the window's width
    void* volatile setWindowLong;
    void* volatile defSubclassProc;  // of the comctl32 whose chain the keep-alive entry is in
    volatile UINT acts[THUNK_ACTS_MAX];
    HWND window;  // the page; for a class, the instance it is registered under
    volatile LONG state;
    LONG forClass;
    LONG wide;
};

// The pages of thunks this copy knows (session.thunkArenas): found at its
// first need, looked for again before it makes a page, kept until unload, as
// the pages outlive us all.
struct ThunkArenas {
    bool found = false;
    int count = 0;
    void* arena[THUNK_ARENAS_MAX] = {};
};

// Our procedure behind a thunk: it is handed the thunk the message came
// through, which says what the window had before us.
typedef LRESULT(CALLBACK* ThunkProcedure)(WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A thunk that calls procedure (ours, in this image) for window (a page; for
// a class, the instance it is registered under) for the messages in acts
// (null: all), hands the others to the procedure set by setThunkSaved, and,
// once we are let go, forwards every message there. Never the thunk whose
// entry is leadingThere (a window already leads there: the host copied it).
// Null when the bound is reached or Windows gives no memory that may run.
WindowThunk* makeWindowThunk(ThunkProcedure procedure, HWND window, bool wide, bool forClass, WNDPROC leadingThere,
                             const ThunkActs* acts);
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

// The environment variable that names the pages of this code's layout, and
// whether the page at arena is one this copy would have written itself.
const char* thunkArenasVariable();
bool isOwnArena(const void* arena);
