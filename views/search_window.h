// The plug-in's own top-level window, opened from its menu entry.
#pragma once

#include <windows.h>

#include "base/plugin_state.h"

// At HM_START: 1 when the class "Lunetka" was registered. A class that an
// earlier copy of this library left behind at an unload without a stop (its
// thunk forwards to DefWindowProcA) is replaced, and the windows it left on
// this thread are destroyed, whoever subclassed them; any other class of
// that name is respected, and the answer is 0. Thunks earlier copies left
// that nothing leads to any more are freed first.
int registerSearchWindowClass();
// At stop our windows (of our class, on our thread) are destroyed; at
// unload, when no message may be sent, their thunk hands them to Windows'
// default procedure.
void releaseSearchWindows(Release moment);
// Unregisters the class at stop; while windows of it remain (after an
// unload, or on another thread), its thunk leads them and the class to
// Windows' default procedure instead.
void releaseWindowClass(Release moment);
// 0, or 1 when the window could not be created. A class the start could not
// register is registered first, or a log line says it still cannot.
intptr_t openSearchWindow();
// The class's procedure, behind its thunk.
LRESULT CALLBACK searchWindowThunkProc(WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
