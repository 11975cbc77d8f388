#include "search/search_run.h"

#include <stdlib.h>
#include <string.h>
#include <exception>
#include <new>

#include "plugin/action_ids.h"
#include "plugin/host_calls.h"
#include "plugin/invariant.h"
#include "search/contact_matcher.h"
#include "search/found_contacts.h"

namespace {

// Contact-table column searched for each field number of the field combo.
const int fieldColumns[9] = {18, 0, 8, 9, 4, 13, 6, 7, 17};

const int CONTACT_COLUMN_NET = 1;
const int CONTACT_COLUMN_DISPLAY_NAME = 8;

// The criteria texts seen at the last event.
char lastCondition[12];
char lastValue[500];
char lastField[12];
// Set when a search was abandoned or left waiting: the next event searches
// whatever the texts.
bool searchOwed = false;

SearchState state = SearchState::Idle;

class SearchInProgress {
public:
    SearchInProgress() { state = SearchState::Running; }
    ~SearchInProgress() { state = SearchState::Idle; }
    SearchInProgress(const SearchInProgress&) = delete;
    SearchInProgress& operator=(const SearchInProgress&) = delete;
};

// Reads one control's current text into work and caches it; true when it
// differs from what the cache held. The host is trusted with nothing: a
// request that writes nothing reads as empty, and the text is cut to fit.
bool readCriterion(int actionId, char* work, int requestSize, char* cache, size_t cacheSize)
{
    work[0] = '\0';
    getActionValue(actionId, ACTION_PAGE, CONTACT_NONE, work, requestSize, true);
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
    bool changed = readCriterion(ACTION_CONDITION, work, 10, lastCondition, sizeof lastCondition);
    int condition = atoi(work);
    changed |= readCriterion(ACTION_VALUE, work, 500, lastValue, sizeof lastValue);
    std::string value = work;  // the matcher folds this copy; the cache keeps the text as read
    changed |= readCriterion(ACTION_FIELD, work, 10, lastField, sizeof lastField);
    if (!forced && !changed && !searchOwed)
        return;
    searchOwed = false;

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
            hits.beginHit(row, readContactText(row, CONTACT_COLUMN_DISPLAY_NAME, nullptr, 0));
            hits.addValue(readContactText(row, column, nullptr, 0));
            int net = readContactInt(row, CONTACT_COLUMN_NET);
            hits.endHit(net);
            logLine("found : %s %s %d", hits.lastName().text, hits.lastValue().text, net);
        }
    }
    LUNETKA_INVARIANT(!walkRunning());  // the lock went back with the walk
    replaceFoundContacts(hits);
    if (!show())
        searchOwed = true;
}

// A run that fails (out of memory, most likely) leaves nothing half done:
// no hits, an empty list, the table lock already released on the way out.
void abandonSearch(const char* why, ShowResults show) noexcept
{
    emptyFoundContacts();
    searchOwed = true;
    try {
        show();
        logLine("search abandoned: %s", why);
    } catch (...) {  // GCOVR_EXCL_LINE: showing nothing and one formatted line allocate nothing
        // Showing nothing needs no memory; if even that fails, the list is
        // refilled by the next search.
    }
}

}  // namespace

intptr_t runSearch(ActionEvent* event, ShowResults show)
{
    if (event->code == NOTIFY_IGNORE)
        return 0;
    bool forced = event->code == NOTIFY_FORCE_REFRESH;
    if (state != SearchState::Idle) {
        bool forcedBefore = state == SearchState::RunningForcedOneWaiting;
        state = forced || forcedBefore ? SearchState::RunningForcedOneWaiting : SearchState::RunningOneWaiting;
        return 0;
    }

    SearchInProgress guard;
    for (int pass = 1;; ++pass) {
        try {
            searchOnce(forced, show);
        } catch (const std::bad_alloc&) {  // GCOVR_EXCL_BR_LINE: its other side is the excluded catch below
            abandonSearch("out of memory", show);
        } catch (const std::exception& failure) {  // GCOVR_EXCL_LINE: memory is all a search can run out of;
            abandonSearch(failure.what(), show);     // GCOVR_EXCL_LINE: any other failure is abandoned alike
        }
        if (state == SearchState::Running || pluginState() != PluginState::Started)
            break;
        if (pass == MAX_SEARCH_PASSES) {
            searchOwed = true;
            logLine("search asked for during each of %d searches: the next event searches", MAX_SEARCH_PASSES);
            break;
        }
        forced = state == SearchState::RunningForcedOneWaiting;
        state = SearchState::Running;
    }
    return 0;
}

void releaseResultSet(Release)
{
    // The next session searches at its first event, as a fresh copy does.
    lastCondition[0] = lastValue[0] = lastField[0] = '\0';
    searchOwed = false;
    if (state != SearchState::Idle)
        return;
    emptyFoundContacts();
}
