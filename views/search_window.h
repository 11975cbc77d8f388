// The plug-in's own top-level window, opened from its menu entry.
#pragma once

#include <windows.h>


#include "plugin/plugin_state.h"

// At HM_START: 1 when the class "Lunetka" was registered. A class that an
// earlier copy of this library left behind at an unload without a stop (it
// leads to DefWindowProcA) is replaced; any other class of that name is
// respected, and the answer is 0.
int registerSearchWindowClass();
// At stop our windows are destroyed; at unload, when no message may be sent,
// they are handed Windows' default procedure.
void releaseSearchWindows(Release moment);
// Unregisters the class, so it cannot outlive the library with a dangling
// window procedure; while windows of it remain (after an unload), they and
// the class lead to Windows' default procedure instead.
void releaseWindowClass(Release moment);
// 0, or 1 when the window could not be created.
intptr_t openSearchWindow();
LRESULT CALLBACK searchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
