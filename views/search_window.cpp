#include "views/search_window.h"

#include <string.h>

#include "plugin/action_ids.h"
#include "plugin/entry_guard.h"
#include "plugin/host_calls.h"
#include "plugin/invariant.h"
#include "plugin/plugin_state.h"
#include "ui/texts.h"

namespace {

const int SMALL_ICON_RESOURCE = ICON_SMALL & 0xFFFF;  // 53259
const DWORD SEARCH_WINDOW_STYLE = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int SEARCH_WINDOW_SIZE = 450;


bool isSearchWindow(HWND hwnd)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == searchWindowProc;
}

BOOL CALLBACK destroyIfOurs(HWND hwnd, LPARAM)
{
    if (isSearchWindow(hwnd))
        DestroyWindow(hwnd);
    return TRUE;
}

// At unload no message may be sent: the window stays, but with Windows' own
// procedure, and so does its class if it cannot be unregistered.
BOOL CALLBACK disownIfOurs(HWND hwnd, LPARAM)
{
    if (isSearchWindow(hwnd)) {
        SetClassLongPtrA(hwnd, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    }
    return TRUE;
}

// A class "Lunetka" that an earlier copy of us disowned at its unload leads
// to DefWindowProcA; once its last window is gone it can be replaced.
bool replaceDisownedClass(HINSTANCE instance)
{
    WNDCLASSEXA existing;
    memset(&existing, 0, sizeof existing);
    existing.cbSize = sizeof existing;
    // The class was just found to exist, so its description can be had.
    bool described = GetClassInfoExA(instance, PLUGIN_NAME, &existing) != FALSE;
    if (NEVER(!described) || existing.lpfnWndProc != DefWindowProcA ||
        existing.style != session.windowClass.style || existing.hbrBackground != session.windowClass.hbrBackground ||
        existing.hCursor != session.windowClass.hCursor)
        return false;
    if (!UnregisterClassA(PLUGIN_NAME, instance))  // its last window still lives
        return false;
    bool registered = RegisterClassExA(&session.windowClass) != 0;
    return ALWAYS(registered);  // a name just given up registers again
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
    memset(&session.windowClass, 0, sizeof session.windowClass);
    session.windowClass.cbSize = sizeof session.windowClass;
    session.windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    session.windowClass.lpfnWndProc = searchWindowProc;
    session.windowClass.hInstance = hostAppInstance();
    session.windowClass.hIcon = LoadIconA(hostPluginInstance(), MAKEINTRESOURCEA(SMALL_ICON_RESOURCE));
    session.windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    session.windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    session.windowClass.lpszClassName = PLUGIN_NAME;
    session.windowClass.hIconSm = LoadIconA(hostPluginInstance(), MAKEINTRESOURCEA(SMALL_ICON_RESOURCE));
    if (session.state != PluginState::Started)  // a host that stopped us meanwhile
        return 0;
    // A class fails to register for no other reason than its name, short of
    // the system running out of atoms.
    if (!RegisterClassExA(&session.windowClass) &&
        (NEVER(GetLastError() != ERROR_CLASS_ALREADY_EXISTS) || !replaceDisownedClass(session.windowClass.hInstance)))
        return 0;
    session.registeredUnder = session.windowClass.hInstance;
    return 1;
}

void releaseSearchWindows(Release moment)
{
    if (session.registeredUnder)
        EnumThreadWindows(GetCurrentThreadId(), moment == Release::AtStop ? destroyIfOurs : disownIfOurs, 0);
    session.searchWindow = nullptr;
}

void releaseWindowClass(Release)
{
    if (!session.registeredUnder)
        return;
    UnregisterClassA(PLUGIN_NAME, session.registeredUnder);  // fails while a disowned window is left
    session.registeredUnder = nullptr;
}

intptr_t openSearchWindow()
{
    HINSTANCE instance = hostAppInstance();
    session.searchWindow = nullptr;
    if (session.registeredUnder)
        session.searchWindow = CreateWindowExA(0, PLUGIN_NAME, TEXT_SEARCH_WINDOW_CAPTION, SEARCH_WINDOW_STYLE,
                                       CW_USEDEFAULT, CW_USEDEFAULT, SEARCH_WINDOW_SIZE, SEARCH_WINDOW_SIZE,
                                       nullptr, nullptr, instance, nullptr);
    if (!session.searchWindow)
        return 1;
    ShowWindow(session.searchWindow, SW_SHOW);
    return 0;
}

LRESULT CALLBACK searchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        guardEntry("search window", 0, [&] {
            onDestroy(hwnd);
            return 0;
        });
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
