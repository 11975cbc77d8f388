#include "plugin/library_hold.h"

#include <windows.h>

#include "plugin/host_calls.h"
#include "plugin/invariant.h"
#include "plugin/plugin_state.h"

void holdLibrary()
{
    if (session.heldModule)
        return;
    HMODULE self = nullptr;
    BOOL held = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&holdLibrary), &self);
    LUNETKA_INVARIANT(held);  // our own address always names our module
    session.heldModule = self;
    logLine("a page leads through our procedure behind the host's own: the library stays loaded");
}

void pinLibrary()
{
    // Inside the unload a reference changes nothing: only a pin keeps us.
    HMODULE self = nullptr;
    if (!session.pinned)
        session.pinned = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                            reinterpret_cast<LPCSTR>(&pinLibrary), &self) != FALSE;
}

void releaseLibraryHold()
{
    if (!session.heldModule)
        return;
    HMODULE self = session.heldModule;
    session.heldModule = nullptr;
    FreeLibrary(self);  // the host that called us holds the library too
}
