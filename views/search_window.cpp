#include "views/search_window.h"

#include <string.h>

#include "plugin/action_ids.h"
#include "plugin/entry_guard.h"
#include "plugin/host_calls.h"
#include "ui/texts.h"

namespace {

HWND searchWindow = nullptr;  // the latest search window; forgotten once it is gone

const int SMALL_ICON_RESOURCE = ICON_SMALL & 0xFFFF;  // 53259
const DWORD SEARCH_WINDOW_STYLE = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int SEARCH_WINDOW_SIZE = 450;

WNDCLASSEXA windowClass;
// Set only while the class that exists is the one we registered: a class
// left by an earlier load would name a window procedure that is gone.
HINSTANCE registeredUnder = nullptr;

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
    // Coverage leaves out the first test's branch: the class was just found to
    // exist, so its description can be had.
    if (!GetClassInfoExA(instance, PLUGIN_NAME, &existing) ||  // GCOVR_EXCL_BR_LINE
        existing.lpfnWndProc != DefWindowProcA || existing.style != windowClass.style ||
        existing.hbrBackground != windowClass.hbrBackground || existing.hCursor != windowClass.hCursor)
        return false;
    // Coverage leaves out its branches: a name just given up registers again.
    return UnregisterClassA(PLUGIN_NAME, instance) && RegisterClassExA(&windowClass);  // GCOVR_EXCL_BR_LINE
}

void onDestroy(HWND hwnd)
{
    // Closing any search window closes the latest one too. The handle is
    // forgotten first, so it never outlives its window nor names it twice.
    HWND latest = searchWindow;
    if (latest == hwnd || !IsWindow(latest)) {  // a null one is no window either
        searchWindow = nullptr;
    } else {
        searchWindow = nullptr;
        DestroyWindow(latest);
    }
}

}  // namespace

int registerSearchWindowClass()
{
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = searchWindowProc;
    windowClass.hInstance = hostAppInstance();
    windowClass.hIcon = LoadIconA(hostPluginInstance(), MAKEINTRESOURCEA(SMALL_ICON_RESOURCE));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = PLUGIN_NAME;
    windowClass.hIconSm = LoadIconA(hostPluginInstance(), MAKEINTRESOURCEA(SMALL_ICON_RESOURCE));
    if (pluginState() != PluginState::Started)  // a host that stopped us meanwhile
        return 0;
    // Coverage leaves out its branches: a class fails to register for no other
    // reason than its name, short of the system running out of atoms.
    if (!RegisterClassExA(&windowClass) &&  // GCOVR_EXCL_BR_LINE
        (GetLastError() != ERROR_CLASS_ALREADY_EXISTS || !replaceDisownedClass(windowClass.hInstance)))  // GCOVR_EXCL_BR_LINE
        return 0;
    registeredUnder = windowClass.hInstance;
    return 1;
}

void releaseSearchWindows(Release moment)
{
    if (registeredUnder)
        EnumThreadWindows(GetCurrentThreadId(), moment == Release::AtStop ? destroyIfOurs : disownIfOurs, 0);
    searchWindow = nullptr;
}

void releaseWindowClass(Release)
{
    if (!registeredUnder)
        return;
    UnregisterClassA(PLUGIN_NAME, registeredUnder);  // fails while a disowned window is left
    registeredUnder = nullptr;
}

intptr_t openSearchWindow()
{
    HINSTANCE instance = hostAppInstance();
    searchWindow = nullptr;
    if (registeredUnder)
        searchWindow = CreateWindowExA(0, PLUGIN_NAME, TEXT_SEARCH_WINDOW_CAPTION, SEARCH_WINDOW_STYLE,
                                       CW_USEDEFAULT, CW_USEDEFAULT, SEARCH_WINDOW_SIZE, SEARCH_WINDOW_SIZE,
                                       nullptr, nullptr, instance, nullptr);
    if (!searchWindow)
        return 1;
    ShowWindow(searchWindow, SW_SHOW);
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
