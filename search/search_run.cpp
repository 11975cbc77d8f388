#include "search/search_run.h"

#include <stdlib.h>
#include <string.h>

#include "base/action_ids.h"
#include "base/host_calls.h"
#include "base/entry_guard.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "search/contact_matcher.h"
#include "search/found_contacts.h"

namespace {

// Contact-table column searched for each field number of the field combo.
const int fieldColumns[9] = {18, 0, 8, 9, 4, 13, 6, 7, 17};

const int CONTACT_COLUMN_NET = 1;
const int CONTACT_COLUMN_DISPLAY_NAME = 8;

class SearchInProgress {
public:
    SearchInProgress() { search.progress = SearchState::Running; }
    ~SearchInProgress() { search.progress = SearchState::Idle; }
    SearchInProgress(const SearchInProgress&) = delete;
    SearchInProgress& operator=(const SearchInProgress&) = delete;
};

// Reads one control's current text into work and caches it; true when it
// differs from what the cache held. The host is trusted with nothing: a
// request that writes nothing reads as empty, and the text is cut to fit.
bool readCriterion(int actionId, char* work, int requestSize, char* cache, size_t cacheSize)
{
    work[0] = '\0';
    getActionValue(actionId, work, requestSize);
    work[requestSize - 1] = '\0';
    bool changed = strcmp(work, cache) != 0;
    size_t length = strnlen(work, cacheSize - 1);
    memcpy(cache, work, length);
    cache[length] = '\0';
    return changed;
}

// One run: reads the criteria and, when they changed or the run is forced,
// replaces foundContacts and shows them.
void searchOnce(bool forced, ShowResults show)
{
    char work[500];
    bool changed = readCriterion(ACTION_CONDITION, work, 10, search.lastCondition, sizeof search.lastCondition);
    int condition = atoi(work);
    changed |= readCriterion(ACTION_VALUE, work, 500, search.lastValue, sizeof search.lastValue);
    std::string value = work;  // the matcher folds this copy; the cache keeps the text as read
    changed |= readCriterion(ACTION_FIELD, work, 10, search.lastField, sizeof search.lastField);
    if (!forced && !changed && !search.searchOwed)
        return;
    search.searchOwed = false;

    // Collected apart and put in place in one step: until the list is
    // refilled, its rows name the entries of the previous search.
    FoundContactsBuilder hits;
    int field = atoi(work);
    if (field < 0 || field >= static_cast<int>(sizeof fieldColumns / sizeof fieldColumns[0])) {
        // Only a damaged setting gets here; searching some other column would mislead.
        logLine("unknown field %d, nothing searched", field);
    } else {
        int column = fieldColumns[field];
        for (int row = findContact(column, value, condition, 1); row != 0;
             row = findContact(column, value, condition, row + 1)) {
            hits.beginHit(row, readContactText(row, CONTACT_COLUMN_DISPLAY_NAME));
            hits.addValue(readContactText(row, column));
            int net = readContactInt(row, CONTACT_COLUMN_NET);
            hits.endHit(net);
            logLine("found : %s %s %d", hits.lastName().text, hits.lastValue().text, net);
        }
    }
    LUNETKA_INVARIANT(!search.walking);  // the lock went back with the walk
    replaceFoundContacts(hits);
    if (!show())
        search.searchOwed = true;
}

// A run that fails (out of memory, most likely) leaves nothing half done:
// no hits, an empty list, the table lock already released on the way out.
// Showing nothing needs no memory and throws nothing.
void abandonSearch(const char* why, ShowResults show) noexcept
{
    search.emptyHits();
    search.searchOwed = true;
    show();
    logLine("search abandoned: %s", why);
}

}  // namespace

intptr_t runSearch(SearchAsk ask, ShowResults show)
{
    bool forced = ask == SearchAsk::Forced;
    if (search.progress != SearchState::Idle) {
        bool forcedBefore = search.progress == SearchState::RunningForcedOneWaiting;
        search.progress = forced || forcedBefore ? SearchState::RunningForcedOneWaiting : SearchState::RunningOneWaiting;
        return 0;
    }

    SearchInProgress guard;
    for (int pass = 1;; ++pass) {
        try {
            searchOnce(forced, show);
        } catch (...) {
            abandonSearch(currentFailure(), show);
        }
        if (search.progress == SearchState::Running || session.lifecycle != PluginState::Started)
            break;
        if (pass == MAX_SEARCH_PASSES) {
            search.searchOwed = true;
            logLine("search asked for during each of %d searches: the next event searches", MAX_SEARCH_PASSES);
            break;
        }
        forced = search.progress == SearchState::RunningForcedOneWaiting;
        search.progress = SearchState::Running;
    }
    return 0;
}
