// The plug-in's life in one place: the states it goes through, and every
// resource it takes from the host or from Windows, with where it is taken
// and how it is given back. Stop and unload walk the same table
// (lifetime.cpp), so they cannot drift apart.
//
// States (hostControl is the host's object while Started):
//   Loaded   -> HM_START accepted                      -> Started
//   Started  -> HM_STOP                                -> Stopping -> Loaded
//   any      -> FreeLibrary (DllMain detach)           -> gone
// While Stopping the host is already detached: an event that arrives then
// (a window we destroy tells the host, and it may call us) takes nothing new.
#pragma once

class HostControl;

enum class PluginState { Loaded, Started, Stopping };

PluginState pluginState();
// HM_START: the host's object is kept and the state becomes Started.
void attachHost(HostControl* host);
// HM_STOP: detaches the host, gives back everything at stop, back to Loaded.
void stopPlugin();

// When a resource is given back.
enum class Release {
    AtStop,    // HM_STOP: windows may be destroyed; the host is detached
    AtUnload,  // FreeLibrary without a stop: inside the loader's lock, so no
               // window is destroyed (that runs host code) and the host,
               // which may be gone, is not called; only procedures are repointed
};
// Gives back every resource of the table, in its order.
void releaseEverything(Release moment);

// Keeps this library in the process for good: for a window whose procedure
// chain still leads through ours and cannot be given back (the host put its
// own procedure in front of ours). Safe to call more than once.
void keepLibraryLoaded();
