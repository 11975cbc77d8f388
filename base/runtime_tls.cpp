// GCC's runtime on MinGW (win32 threads) keeps each thread's C++ exception
// state in emulated thread-local storage, under a TLS slot it takes at the
// first throw and never gives back: a host that loads and unloads us, with a
// throw each time, would run out of slots (Windows has 1,088) and abort. The
// runtime registers every slot it takes with MinGW's __mingwthr_key_dtor (to
// clean up at thread exit); the DLL's link routes that registration through
// here (GNU ld's --wrap), so the unload can give back every slot it named.
#include <windows.h>

#include "base/invariant.h"
#include "base/plugin_state.h"
#include "base/portability.h"

#if defined(LUNETKA_WRAP_RUNTIME_TLS)

extern "C" int __real___mingwthr_key_dtor(DWORD key, void (*destructor)(void*));

extern "C" int __wrap___mingwthr_key_dtor(DWORD key, void (*destructor)(void*))
{
    // The runtime registers one or two keys, never a full table.
    const int room = static_cast<int>(sizeof session.runtimeSlots / sizeof session.runtimeSlots[0]);
    if (!NEVER(session.runtimeSlotCount >= room))
        session.runtimeSlots[session.runtimeSlotCount++] = key;
    return __real___mingwthr_key_dtor(key, destructor);
}

// Freed slots read as null in every thread, so MinGW's clean-up, whether it
// runs before or after this, passes them by.
void releaseRuntimeTlsSlots()
{
    while (session.runtimeSlotCount > 0)
        TlsFree(session.runtimeSlots[--session.runtimeSlotCount]);
}

#else

void releaseRuntimeTlsSlots() {}

#endif
