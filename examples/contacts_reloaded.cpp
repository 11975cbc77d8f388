// The README's "Adding a message", done as its steps say, for a message no
// messenger sends: the host reloaded its contacts, and Lunetka searches
// again. It is built only into lunetka-example.dll, whose dispatch is the
// plug-in's own with one more row, so that the README's example is code
// that runs and is tested (contacts_reloaded_test.cpp).
#include "base/host_abi.h"
#include "base/plugin_state.h"
#include "search/search_run.h"
#include "views/result_fill.h"

namespace {

// Step 1's number. A real message's goes into base/host_abi.h.
const int HM_CONTACTS_RELOADED = 30100;

// The handler, as the README quotes it.
intptr_t onContactsReloaded(const HostMessage*)
{
    // A search under way shows its hits first; this one waits for it.
    if (search.progress != SearchState::Idle)
        return runSearch(SearchAsk::Forced, fillResultList);
    // While the new table is walked, no row may name a contact of the old one.
    search.emptyHits();
    fillResultList();
    // No page open: the next search event on a page searches, whatever its texts.
    if (!session.resultList) {
        search.searchOwed = true;
        return 0;
    }
    return runSearch(SearchAsk::Forced, fillResultList);
}

}  // namespace

// Step 1's row, in the plug-in's own dispatch compiled once more.
#define LUNETKA_MORE_MESSAGE_ROUTES {HM_CONTACTS_RELOADED, Needs::Started, Thread::Ours, onContactsReloaded, 0},
#include "plugin/message_dispatch.cpp"
