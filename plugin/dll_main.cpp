// The library's entry point. Loading needs nothing from us. Unloading should
// come after HM_STOP, which gives back everything we put into the host's
// windows; a host that forgets the stop still must not be left with window
// procedures that point into freed code.
#include <windows.h>

#include "plugin/portability.h"
#include "views/result_list.h"
#include "views/search_window.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // Only an unload by FreeLibrary (reserved null): at process exit nothing
    // runs again. Inside the loader's lock we may only repoint procedures:
    // no window is destroyed (that would run host code) and the host, which
    // may be gone, is not called.
    if (reason == DLL_PROCESS_DETACH && !reserved) {
        releasePagesAtUnload();
        releaseSearchWindowsAtUnload();
        releaseLanguageRuntime();
    }
    return TRUE;
}
