#include "plugin/lifetime.h"

#include <windows.h>

#include "plugin/host_calls.h"
#include "plugin/invariant.h"
#include "plugin/portability.h"
#include "search/contact_matcher.h"
#include "search/search_run.h"
#include "views/page_subclass.h"
#include "views/result_list.h"
#include "views/search_window.h"

namespace {

PluginState state = PluginState::Loaded;
HMODULE heldModule = nullptr;  // our own reference, while a page needs us
bool pinned = false;           // for good: an unload found a page that needs us

void releaseRuntime(Release moment)
{
    // A pinned copy runs on, and may still throw: its runtime stays whole.
    if (moment == Release::AtUnload && !pinned)
        releaseLanguageRuntime();
}

// Every resource, in the order it is given back. Where each is taken:
//   result list     220 (createResultList); the previous one goes at the
//                   next 220, and at 221. Stop destroys it, its image list
//                   with it; unload forgets it (its code is comctl32's).
//                   Its sort ranks, made at a header click, go at the next
//                   fill and with the list.
//   pages           220 subclasses the list's page; 221 gives it back. Stop
//                   and unload give back every page whose procedure is still
//                   ours in front; a page the host subclassed over ours keeps
//                   the library loaded instead (holdLibrary, pinLibrary).
//   search windows  the menu entry. Stop destroys them; unload hands them
//                   Windows' default procedure.
//   window class    HM_START. Stop unregisters it; unload too, or, while a
//                   window of it is left, hands it the default procedure (the
//                   next start replaces such a class).
//   cell buffer     a walk of the matcher; a giant cell's buffer goes after
//                   its walk. Stop and unload free it.
//   result set      each search. Stop and unload free it.
//   C++ runtime     the emergency exception pool, at load, and the TLS slot
//                   of the exception state, at the first throw. Unload frees
//                   both, unless the library had to stay.
typedef void (*ReleaseResource)(Release moment);

const ReleaseResource resources[] = {
    releaseResultList,
    releasePages,
    releaseSearchWindows,
    releaseWindowClass,
    releaseCellBuffer,
    releaseResultSet,
    releaseRuntime,
};

}  // namespace

PluginState pluginState() { return state; }

bool attachHost(HostControl* host)
{
    if (state == PluginState::Stopping)
        return false;
    // A start while started: the host unloaded a copy that had to stay and
    // loads it again. The last session ends as at a stop, without a word to
    // the host that had it.
    if (state == PluginState::Started)
        stopPlugin();
    hostControl = host;
    state = PluginState::Started;
    return true;
}

void stopPlugin()
{
    // Detached first: whatever the host asks of us while our windows go
    // finds a plug-in that takes nothing new and calls nobody.
    state = PluginState::Stopping;
    hostControl = nullptr;
    releaseEverything(Release::AtStop);
    state = PluginState::Loaded;
    releaseLibraryHold();
}

void unloadPlugin()
{
    state = PluginState::Stopping;
    hostControl = nullptr;
    releaseEverything(Release::AtUnload);
    state = PluginState::Loaded;
}

void releaseEverything(Release moment)
{
    for (ReleaseResource release : resources)
        release(moment);
}

void holdLibrary()
{
    if (heldModule)
        return;
    HMODULE self = nullptr;
    BOOL held = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&holdLibrary), &self);
    LUNETKA_INVARIANT(held);  // our own address always names our module
    heldModule = self;
    logLine("a page leads through our procedure behind the host's own: the library stays loaded");
}

void pinLibrary()
{
    // Inside the unload a reference changes nothing: only a pin keeps us.
    HMODULE self = nullptr;
    if (!pinned)
        pinned = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                    reinterpret_cast<LPCSTR>(&pinLibrary), &self) != FALSE;
}

void releaseLibraryHold()
{
    if (!heldModule || anyPageBehindAnother(pageWindowProc))
        return;
    HMODULE self = heldModule;
    heldModule = nullptr;
    FreeLibrary(self);  // the host that called us holds the library too
}
