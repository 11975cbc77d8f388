// The plug-in's life in one place: the states it goes through, and every
// resource it takes from the host or from Windows, with where it is taken
// and how it is given back. Stop and unload walk the same table
// (lifetime.cpp), so they cannot drift apart.
//
// States (session.lifecycle; session.hostControl is the host's object while Started):
//   Loaded   -> HM_START accepted                      -> Started
//   Started  -> HM_STOP                                -> Stopping -> Loaded
//   Started  -> HM_START again: the last session stops -> Stopping -> Started
//   any      -> FreeLibrary (DllMain detach)           -> gone
// While Stopping the host is already detached: an event that arrives then
// (a window we destroy tells the host, and it may call us) takes nothing new,
// and a stop nested in the stop ends nothing more: the state is Loaded only
// once the outermost stop returns.
#pragma once

#include "base/plugin_state.h"

class HostControl;

// HM_START: the host's object is kept and the state becomes Started; false
// while a stop runs, which starts nothing.
bool attachHost(HostControl* host);
// HM_STOP: detaches the host, gives back everything at stop, back to Loaded.
void stopPlugin();
// DllMain at an unload without a stop: the host is let go without a word
// (we are inside the loader's lock), and everything is given back at unload:
// memory writes only, no call to user32 or to the host.
void unloadPlugin();

// Gives back every resource of the table, in its order.
void releaseEverything(Release moment);
