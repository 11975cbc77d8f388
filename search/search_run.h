// Runs a search when a criteria control reports an event and a criterion
// changed (or the event forces it), and hands the new result set to whatever
// shows it.
#pragma once

#include "plugin/host_abi.h"

// Shows foundContacts, in order: the result list's fill.
typedef void (*ShowResults)();

// Always 0. A search asked for from inside a running one (the host may call
// us back from any of our calls to it) is run once the running one has been
// shown. A search that fails leaves no hits, an empty list and one log line.
intptr_t runSearch(ActionEvent* event, ShowResults show);
