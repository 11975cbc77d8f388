// The plug-in's life in one place: the states it goes through, and every
// resource it takes from the host or from Windows, with where it is taken
// and how it is given back. Stop and unload walk the same table
// (lifetime.cpp), so they cannot drift apart.
//
// States (hostControl is the host's object while Started):
//   Loaded   -> HM_START accepted                      -> Started
//   Started  -> HM_STOP                                -> Stopping -> Loaded
//   Started  -> HM_START (a copy kept loaded past an unload without a stop,
//               loaded again): the last session stops -> Stopping -> Started
//   any      -> FreeLibrary (DllMain detach)           -> Loaded, or gone
// While Stopping the host is already detached: an event that arrives then
// (a window we destroy tells the host, and it may call us) takes nothing new.
#pragma once

class HostControl;

enum class PluginState { Loaded, Started, Stopping };

PluginState pluginState();
// HM_START: the host's object is kept and the state becomes Started; false
// while a stop runs, which starts nothing.
bool attachHost(HostControl* host);
// HM_STOP: detaches the host, gives back everything at stop, back to Loaded.
void stopPlugin();
// DllMain at an unload without a stop: the host is let go without a word
// (we are inside the loader's lock), and everything is given back at unload.
void unloadPlugin();

// When a resource is given back.
enum class Release {
    AtStop,    // HM_STOP: windows may be destroyed; the host is detached
    AtUnload,  // FreeLibrary without a stop: inside the loader's lock, so no
               // window is destroyed (that runs host code) and the host,
               // which may be gone, is not called; only procedures are repointed
};
// Gives back every resource of the table, in its order.
void releaseEverything(Release moment);

// Keeps this library in the process while a page's procedure chain leads
// through ours behind the host's own procedure, which forwards to ours for
// good. Where we see it first (the page procedure, any message, 221, stop),
// holdLibrary takes a reference of our own, given back by
// releaseLibraryHold. An unload that is first
// to see it can only pin the library (pinLibrary): what our page procedure
// reads after that is never destroyed by the runtime (persistent.h). Both
// are safe to call more than once.
void holdLibrary();
void pinLibrary();
// Inside a call of the host's (which holds the library meanwhile): our
// reference goes once no page has another procedure in front of ours. A host
// that takes its procedure away and unloads us without a word between leaves
// the copy loaded; loading it again restarts it.
void releaseLibraryHold();
