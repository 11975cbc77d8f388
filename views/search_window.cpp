#include "views/search_window.h"

#include <string.h>

#include "base/action_ids.h"
#include "base/entry_guard.h"
#include "base/host_calls.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "base/window_thunk.h"
#include "views/page_subclass.h"
#include "ui/texts.h"

namespace {

const int SMALL_ICON_RESOURCE = ICON_SMALL & 0xFFFF;  // 53259
const DWORD SEARCH_WINDOW_STYLE = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int SEARCH_WINDOW_SIZE = 450;
// The one message our procedure acts on; every other goes to DefWindowProcA
// straight from the class's thunk.
const ThunkActs SEARCH_WINDOW_ACTS = {{WM_DESTROY, WM_DESTROY, WM_DESTROY}};


// Our windows are ours by their class, "Lunetka" registered under the
// instance, whatever procedure the host (a skin, say) put in front of them.
bool ofOurClass(HWND hwnd, HINSTANCE instance)
{
    char name[32];  // longer than ours: a longer name is not cut to ours
    int length = GetClassNameA(hwnd, name, sizeof name);
    if (length != static_cast<int>(strlen(PLUGIN_NAME)) ||
        reinterpret_cast<HINSTANCE>(GetClassLongPtrA(hwnd, GCLP_HMODULE)) != instance)
        return false;
    // Class names match whatever their case.
    for (int i = 0; i < length; ++i)
        if ((name[i] | 0x20) != (PLUGIN_NAME[i] | 0x20))
            return false;
    return true;
}

BOOL CALLBACK destroyIfOfOurClass(HWND hwnd, LPARAM instance)
{
    if (ofOurClass(hwnd, reinterpret_cast<HINSTANCE>(instance)))
        DestroyWindow(hwnd);
    return TRUE;
}

// A class "Lunetka" an earlier copy of us left at its unload leads to a thunk
// of ours that forwards to DefWindowProcA: its windows, which only the user
// could still close, go, and the class is ours again.
bool replaceLeftClass(HINSTANCE instance)
{
    WNDCLASSEXA existing;
    memset(&existing, 0, sizeof existing);
    existing.cbSize = sizeof existing;
    // The class was just found to exist, so its description can be had.
    bool described = GetClassInfoExA(instance, PLUGIN_NAME, &existing) != FALSE;
    WindowThunk* left = described ? leftClassThunk(existing.lpfnWndProc) : nullptr;
    if (NEVER(!described) || !left)
        return false;
    EnumThreadWindows(GetCurrentThreadId(), destroyIfOfOurClass, reinterpret_cast<LPARAM>(instance));
    if (!UnregisterClassA(PLUGIN_NAME, instance))  // a window of it lives on another thread
        return false;
    freeWindowThunk(left);
    bool registered = RegisterClassExA(&session.windowClass) != 0;
    return ALWAYS(registered);  // a name just given up registers again
}

// What earlier copies left forwarding and nothing leads to any more.
bool leftThunkStillNeeded(const WindowThunk* thunk, bool forClass)
{
    if (!forClass)
        return leftPageThunkStillNeeded(thunk);
    WNDCLASSEXA existing;
    memset(&existing, 0, sizeof existing);
    existing.cbSize = sizeof existing;
    return GetClassInfoExA(reinterpret_cast<HINSTANCE>(thunkWindow(thunk)), PLUGIN_NAME, &existing) &&
           existing.lpfnWndProc == thunkEntry(thunk);
}

void onDestroy(HWND hwnd)
{
    // Closing any search window closes the latest one too. The handle is
    // forgotten first, so it never outlives its window nor names it twice.
    HWND latest = session.searchWindow;
    if (latest == hwnd || !IsWindow(latest)) {  // a null one is no window either
        session.searchWindow = nullptr;
    } else {
        session.searchWindow = nullptr;
        DestroyWindow(latest);
    }
}

}  // namespace

int registerSearchWindowClass()
{
    HINSTANCE instance = hostAppInstance();
    WNDCLASSEXA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(hostPluginInstance(), MAKEINTRESOURCEA(SMALL_ICON_RESOURCE));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = PLUGIN_NAME;
    windowClass.hIconSm = LoadIconA(hostPluginInstance(), MAKEINTRESOURCEA(SMALL_ICON_RESOURCE));
    // The host may have stopped us from inside those calls, or started us
    // afresh there, which registered the class already.
    if (session.lifecycle != PluginState::Started)
        return 0;
    if (session.classThunk)
        return 1;
    tidyLeftThunks(leftThunkStillNeeded);
    // The class leads to us through a thunk, which an unload without a stop
    // turns to DefWindowProcA for the windows it leaves.
    WindowThunk* thunk =
        makeWindowThunk(searchWindowThunkProc, reinterpret_cast<HWND>(instance), false, true, nullptr, &SEARCH_WINDOW_ACTS);
    if (!thunk) {
        logLine("no memory for the search window's procedure: the menu entry opens no window");
        return 0;
    }
    setThunkSaved(thunk, DefWindowProcA);
    windowClass.lpfnWndProc = thunkEntry(thunk);
    session.windowClass = windowClass;
    // A class fails to register for no other reason than its name, short of
    // the system running out of atoms.
    if (!RegisterClassExA(&session.windowClass) &&
        (NEVER(GetLastError() != ERROR_CLASS_ALREADY_EXISTS) || !replaceLeftClass(instance))) {
        freeWindowThunk(thunk);
        return 0;
    }
    session.classThunk = thunk;
    session.registeredUnder = instance;
    return 1;
}

void releaseSearchWindows(Release moment)
{
    // At an unload the class's thunk hands them to Windows' default procedure.
    if (session.classThunk && moment == Release::WithWindows)
        EnumThreadWindows(GetCurrentThreadId(), destroyIfOfOurClass, reinterpret_cast<LPARAM>(session.registeredUnder));
    session.searchWindow = nullptr;
}

void releaseWindowClass(Release moment)
{
    WindowThunk* thunk = session.classThunk;
    if (!thunk)
        return;
    // Unregistered, unless a window of it lives (on another thread, or left
    // by an unload): then the class, too, forwards past us from now on.
    if (moment == Release::WithWindows && UnregisterClassA(PLUGIN_NAME, session.registeredUnder))
        freeWindowThunk(thunk);
    else
        forwardPastUs(thunk);
    session.classThunk = nullptr;
    session.registeredUnder = nullptr;
}

intptr_t openSearchWindow()
{
    // A class the start could not register (a window an earlier copy left
    // lived on another thread) is tried again at every use.
    if (!session.classThunk && !registerSearchWindowClass()) {
        logLine("the search window's class could not be registered: the menu entry opens no window");
        return 1;
    }
    HINSTANCE instance = hostAppInstance();
    session.searchWindow = nullptr;
    if (session.classThunk)
        session.searchWindow = CreateWindowExA(0, PLUGIN_NAME, TEXT_SEARCH_WINDOW_CAPTION, SEARCH_WINDOW_STYLE,
                                       CW_USEDEFAULT, CW_USEDEFAULT, SEARCH_WINDOW_SIZE, SEARCH_WINDOW_SIZE,
                                       nullptr, nullptr, instance, nullptr);
    if (!session.searchWindow)
        return 1;
    ShowWindow(session.searchWindow, SW_SHOW);
    return 0;
}

LRESULT CALLBACK searchWindowThunkProc(WindowThunk*, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The class's thunk hands us nothing else (SEARCH_WINDOW_ACTS).
    if (ALWAYS(message == WM_DESTROY))
        guardEntry("search window", 0, [&] {
            onDestroy(hwnd);
            return 0;
        });
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
