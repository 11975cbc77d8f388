#include "search/search_run.h"

#include <stdlib.h>
#include <string.h>
#include <exception>
#include <new>

#include "plugin/action_ids.h"
#include "plugin/host_calls.h"
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
// Set when a search was abandoned: the next event searches whatever the texts.
bool lastSearchFailed = false;

// A search asked for while one runs waits here; forced if any such ask was.
bool searching = false;
bool searchWaiting = false;
bool waitingSearchForced = false;

class SearchInProgress {
public:
    SearchInProgress() { searching = true; }
    ~SearchInProgress() { searching = false; }
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

std::string hitText(int row, int column)
{
    const char* text = readContactText(row, column, nullptr, 0);
    return text ? std::string(text, strnlen(text, HIT_TEXT_LIMIT)) : std::string();
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
    if (!forced && !changed && !lastSearchFailed)
        return;
    lastSearchFailed = false;

    int field = atoi(work);
    foundContacts.clear();
    if (field < 0 || field >= static_cast<int>(sizeof fieldColumns / sizeof fieldColumns[0])) {
        // Only a damaged setting gets here; searching some other column would mislead.
        logLine("unknown field %d, nothing searched", field);
        show();
        return;
    }

    int column = fieldColumns[field];
    for (int row = findContact(column, value, condition, 1); row != 0;
         row = findContact(column, value, condition, row + 1)) {
        FoundContact hit;
        hit.contactIndex = row;
        hit.displayName = hitText(row, CONTACT_COLUMN_DISPLAY_NAME);
        hit.matchedValue = hitText(row, column);
        hit.net = readContactInt(row, CONTACT_COLUMN_NET);
        logLine("found : %s %s %d", hit.displayName.c_str(), hit.matchedValue.c_str(), hit.net);
        foundContacts.push_back(std::move(hit));
    }
    foundContacts.shrink_to_fit();  // kept until the next search: no spare capacity
    show();
}

// A run that fails (out of memory, most likely) leaves nothing half done:
// no hits, an empty list, the table lock already released on the way out.
void abandonSearch(const char* why, ShowResults show) noexcept
{
    std::vector<FoundContact>().swap(foundContacts);
    lastSearchFailed = true;
    try {
        show();
        logLine("search abandoned: %s", why);
    } catch (...) {
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
    if (searching) {
        searchWaiting = true;
        waitingSearchForced |= forced;
        return 0;
    }

    SearchInProgress guard;
    for (;;) {
        try {
            searchOnce(forced, show);
        } catch (const std::bad_alloc&) {
            abandonSearch("out of memory", show);
        } catch (const std::exception& failure) {
            abandonSearch(failure.what(), show);
        }
        if (!searchWaiting || !hostControl)
            break;
        forced = waitingSearchForced;
        searchWaiting = waitingSearchForced = false;
    }
    searchWaiting = waitingSearchForced = false;
    return 0;
}
