// The library's entry point. Loading needs nothing from us. Unloading should
// come after HM_STOP, which gives back everything we put into the host's
// windows; a host that forgets the stop still must not be left with window
// procedures that point into freed code, and hears nothing from us here:
// we are inside the loader's lock.
#include <windows.h>

#include "plugin/lifetime.h"
#include "plugin/message_dispatch.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        armEntryThunk();
    // Only an unload by FreeLibrary (reserved null): at process exit nothing
    // runs again, and nothing need be given back.
    if (reason == DLL_PROCESS_DETACH && !reserved) {
        unloadPlugin();
        disarmEntryThunk();
    }
    return TRUE;
}
