// Runs a search when a criteria control reports an event and a criterion
// changed (or the ask forces it), and hands the new result set to whatever
// shows it.
#pragma once

#include <stdint.h>

// Shows search.foundContacts, in order: the result list's fill. False when
// it could not (the host kept replacing the list): the next ask searches
// again.
typedef bool (*ShowResults)();

// What an ask wants: a search when a criterion changed since the last one,
// or a search whatever the texts (the page was shown, the host's contacts
// changed, ...).
enum class SearchAsk { IfChanged, Forced };

// Passes of one ask at most: the search itself and the waiting searches run
// after it. A host that asks for a search during every search gets this
// many, one log line, and its newest criteria searched at the next ask.
// Three: an ask during the search, and one more during that rerun, are what
// a user typing into a busy host produces; more is a host looping.
const int MAX_SEARCH_PASSES = 3;

// Always 0. An ask while a search runs waits (search.progress), so a walk never
// nests and the result set never changes under a fill. A search that fails
// leaves no hits, an empty list and one log line, and the next ask searches
// whatever its texts.
intptr_t runSearch(SearchAsk ask, ShowResults show);
