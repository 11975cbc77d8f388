// The plug-in's own top-level window, opened from its menu entry.
#pragma once

#include <windows.h>


// At HM_START: 1 when the class "Lunetka" was registered.
int registerSearchWindowClass();
// At HM_STOP: closes our windows and unregisters the class, so it cannot
// outlive the library with a dangling window procedure.
void unregisterSearchWindowClass();
// At unload without a stop: no message may be sent then, so our windows are
// handed Windows' default procedure and the class is unregistered, or, while
// windows of it remain, given that procedure too.
void releaseSearchWindowsAtUnload();
// 0, or 1 when the window could not be created.
intptr_t openSearchWindow();
LRESULT CALLBACK searchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
