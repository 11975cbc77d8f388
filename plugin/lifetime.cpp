#include "plugin/lifetime.h"

#include <windows.h>

#include "base/host_calls.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "base/portability.h"
#include "views/page_subclass.h"
#include "views/result_list.h"
#include "views/search_window.h"

namespace {

// The state's memory, once the windows are given back. At an unload the
// runtime destroys the state itself, after DllMain.
void resetState(Release moment)
{
    if (moment == Release::MemoryOnly)
        return;
    session.reset();
    search.reset();
}

void releaseRuntime(Release moment)
{
    if (moment == Release::MemoryOnly)
        releaseLanguageRuntime();
}

// Every resource the plug-in takes from the host or from Windows, in the
// order stop and unload give them back. This table is the one description
// of them; the README points here.
//
// | resource           | taken at        | given back at 220/221     | at stop                  | at unload without stop   |
// |--------------------|-----------------|---------------------------|--------------------------|--------------------------|
// | result list, its   | 220 (ranks: a   | the next 220, or 221      | destroyed, its image     | forgotten: its code is   |
// | image list and its | header click)   | (ranks: the next fill)    | list with it             | comctl32's               |
// | sort ranks         |                 |                           |                          |                          |
// | page subclass      | 220             | 221: the page's procedure | the same                 | its thunk forwards past  |
// | (a thunk)          |                 | back, or, behind the      |                          | us (one write); a later  |
// |                    |                 | host's own, the thunk     |                          | copy gives the page back |
// |                    |                 | forwards past us          |                          | or frees the thunk       |
// | search windows     | the menu entry  | -                         | destroyed (every window  | left: the class's thunk  |
// | (ours by class)    |                 |                           | of our class on our      | leads them to            |
// |                    |                 |                           | thread, whoever          | DefWindowProcA; the next |
// |                    |                 |                           | subclassed it)           | start destroys them      |
// | window class       | HM_START (or    | -                         | unregistered, its thunk  | left, its thunk          |
// | "Lunetka" (a thunk)| the menu entry) |                           | freed                    | forwarding; the next     |
// |                    |                 |                           |                          | start replaces it        |
// | the state's memory | a search, a     | a giant cell's buffer,    | freed (the hits and the  | freed by the runtime     |
// | (hits, cell buffer,| walk, a list    | after its walk            | buffer once a search     | after DllMain            |
// | icons, ranks)      |                 |                           | running under it ends)   |                          |
// | C++ runtime's      | load, the first | -                         | -                        | freed (runtime_tls.cpp)  |
// | exception pool and | throw           |                           |                          |                          |
// | TLS slot           |                 |                           |                          |                          |
//
// Inside DllMain (an unload without a stop) this runs memory writes and
// kernel32's TlsFree only: no user32, no host, no window.
typedef void (*ReleaseResource)(Release moment);

const ReleaseResource resources[] = {
    releaseResultList,
    releaseAllPages,
    releaseSearchWindows,
    releaseWindowClass,
    resetState,
    releaseRuntime,
};

// Detached first: whatever the host asks of us while our windows go finds a
// plug-in that takes nothing new and calls nobody. A stop the host sends
// from inside one (a window we destroy tells it) is one more end of the same
// session: only the outermost one leaves the state Loaded.
void endSession(Release moment)
{
    session.lifecycle = PluginState::Stopping;
    session.hostControl = nullptr;
    ++session.stopsRunning;
    releaseEverything(moment);
    if (--session.stopsRunning == 0)
        session.lifecycle = PluginState::Loaded;
}

}  // namespace

bool attachHost(HostControl* host)
{
    if (session.lifecycle == PluginState::Stopping)
        return false;
    // A start while started: the host starts us afresh, maybe with another
    // object. The last session ends as at a stop, without a word to the host.
    if (session.lifecycle == PluginState::Started)
        stopPlugin();
    session.hostControl = host;
    session.thread = GetCurrentThreadId();
    session.lifecycle = PluginState::Started;
    return true;
}

void stopPlugin() { endSession(Release::WithWindows); }

void unloadPlugin() { endSession(Release::MemoryOnly); }

void releaseEverything(Release moment)
{
    for (ReleaseResource release : resources)
        release(moment);
}
