// Runs a search when a criteria control reports an event and a criterion
// changed (or the event forces it), and hands the new result set to whatever
// shows it.
#pragma once

#include "plugin/host_abi.h"
#include "plugin/lifetime.h"

// Shows foundContacts, in order: the result list's fill. False when it could
// not (the host kept replacing the list): the next event searches again.
typedef bool (*ShowResults)();

// Where the search stands. The host may call us back from any of our calls
// to it, and ask for another search meanwhile: that search waits, and runs
// once the running one has been shown, forced if any ask was.
enum class SearchState {
    Idle,
    Running,
    RunningOneWaiting,        // a search was asked for meanwhile
    RunningForcedOneWaiting,  // ... and one of the asks forced it (code 12)
};

// Passes of one event at most: the search itself and the waiting searches
// run after it. A host that asks for a search during every search gets this
// many, one log line, and its newest criteria searched at the next event.
// Three: an ask during the search, and one more during that rerun, are what
// a user typing into a busy host produces; more is a host looping.
const int MAX_SEARCH_PASSES = 3;

// Always 0. A search that fails leaves no hits, an empty list and one log
// line, and the next event searches whatever its texts.
intptr_t runSearch(ActionEvent* event, ShowResults show);

// Frees the result set (at stop and at unload), unless a search is running
// under this stop: that one still reads it, and it goes at unload.
void releaseResultSet(Release moment);
