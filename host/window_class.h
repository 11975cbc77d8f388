// The two chores every window class of the stand-in host shares.
#pragma once

#include <windows.h>

namespace host {

// Registers a class of this program; a second registration fails harmlessly.
inline void registerWindowClass(const char* name, WNDPROC procedure, int background = COLOR_BTNFACE, UINT style = 0)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = GetSysColorBrush(background);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

// The object a window was created for (its creation parameter), kept with the window.
template <class Owner>
Owner* windowOwner(HWND hwnd, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    return reinterpret_cast<Owner*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace host
