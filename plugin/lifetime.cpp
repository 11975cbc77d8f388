#include "plugin/lifetime.h"

#include <windows.h>

#include "plugin/host_calls.h"
#include "plugin/invariant.h"
#include "plugin/plugin_state.h"
#include "plugin/portability.h"
#include "views/result_list.h"
#include "views/search_window.h"

namespace {

// The state's plain values and memory, once the windows are given back.
void resetState(Release)
{
    session.reset();
    search.reset();
}

void releaseRuntime(Release moment)
{
    // A pinned copy runs on, and may still throw: its runtime stays whole.
    if (moment == Release::AtUnload && !session.pinned)
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
// | page subclass      | 220             | 221                       | the page gets its        | the same, nothing        |
// |                    |                 |                           | procedure back; behind   | destroyed; behind the    |
// |                    |                 |                           | the host's own, the      | host's own, the library  |
// |                    |                 |                           | library is held          | is pinned                |
// | search windows     | the menu entry  | -                         | destroyed                | handed DefWindowProcA    |
// | window class       | HM_START        | -                         | unregistered             | unregistered, or handed  |
// | "Lunetka"          |                 |                           |                          | DefWindowProcA while a   |
// |                    |                 |                           |                          | window is left           |
// | the state's memory | a search, a     | a giant cell's buffer,    | freed (the hits and the  | freed                    |
// | (hits, cell buffer,| walk, a list    | after its walk            | buffer once a search     |                          |
// | icons, ranks)      |                 |                           | running under it ends)   |                          |
// | C++ runtime's      | load, the first | -                         | -                        | freed, unless pinned     |
// | exception pool and | throw           |                           |                          | (runtime_tls.cpp)        |
// | TLS slot           |                 |                           |                          |                          |
typedef void (*ReleaseResource)(Release moment);

const ReleaseResource resources[] = {
    releaseResultList,
    releasePages,
    releaseSearchWindows,
    releaseWindowClass,
    resetState,
    releaseRuntime,
};

// Detached first: whatever the host asks of us while our windows go finds a
// plug-in that takes nothing new and calls nobody.
void endSession(Release moment)
{
    session.state = PluginState::Stopping;
    session.hostControl = nullptr;
    releaseEverything(moment);
    session.state = PluginState::Loaded;
}

}  // namespace

bool attachHost(HostControl* host)
{
    if (session.state == PluginState::Stopping)
        return false;
    // A start while started: the host unloaded a copy that had to stay and
    // loads it again. The last session ends as at a stop, without a word to
    // the host that had it.
    if (session.state == PluginState::Started)
        stopPlugin();
    session.hostControl = host;
    session.state = PluginState::Started;
    return true;
}

void stopPlugin()
{
    endSession(Release::AtStop);
    keepLoadedWhilePagesNeedUs();
}

void unloadPlugin() { endSession(Release::AtUnload); }

void releaseEverything(Release moment)
{
    for (ReleaseResource release : resources)
        release(moment);
}
