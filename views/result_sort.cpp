// A header click: the rows sorted by the text of the clicked column, as
// Windows' C runtime's _strcmpi orders their first 255 bytes (sort_order.h), the
// direction flipped before every click.
#include "views/result_list.h"

#include <commctrl.h>
#include <algorithm>
#include <vector>

#include "base/entry_guard.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "search/found_contacts.h"
#include "search/search_run.h"
#include "views/sort_order.h"

namespace {

// Built for one sort and passed to every comparison of it.
struct SortParams {
    int listColumn;  // the clicked column, 0 or 1
    unsigned char ascending;
    // Each hit's place in the column's order (entry foundContacts.size() is
    // an item data that names no hit); null: the texts are compared.
    const int* ranks;
    unsigned generation;  // of the hits when the ranks were made
};

// The text that a row shows in the sorted column; item data that names no
// entry sorts as an empty text.
HitText shownText(LPARAM itemData, int listColumn)
{
    const FoundContact* hit = foundContactAt(itemData);
    if (!hit)
        return {"", 0};
    return listColumn == 0 ? displayNameOf(*hit) : matchedValueOf(*hit);
}

// The rank of a row's item data; one that names no hit ranks as an empty text.
int rankOf(const int* ranks, LPARAM itemData)
{
    size_t none = search.foundContacts.size();
    return ranks[foundContactAt(itemData) ? static_cast<size_t>(itemData) : none];
}

// Each hit's place in a column's order, from one in-memory sort with the
// very comparison the rows would use: the list view's sort then compares two
// numbers instead of folding two texts at every step. Kept per column until
// the next search. Equal texts share a place, so the order is the same.
const int* ranksOf(int listColumn)
{
    ColumnRanks& ranks = session.columnRanks[listColumn];
    size_t count = search.foundContacts.size() + 1;
    if (ranks.generation == search.generation && ranks.rank.size() == count)
        return ranks.rank.data();
    try {
        SortTexts texts;
        texts.reserve(count);
        std::vector<int> order(count);
        for (size_t i = 0; i < count; ++i) {
            order[i] = static_cast<int>(i);
            HitText shown = shownText(static_cast<LPARAM>(i), listColumn);
            texts.add(shown.text, shown.length);
        }
        auto less = [&texts](int a, int b) { return texts.less(static_cast<size_t>(a), static_cast<size_t>(b)); };
        std::sort(order.begin(), order.end(), less);
        std::vector<int> rank(count);
        for (size_t k = 0; k < count; ++k)
            rank[static_cast<size_t>(order[k])] =
                k > 0 && !less(order[k - 1], order[k]) ? rank[static_cast<size_t>(order[k - 1])] : static_cast<int>(k);
        ranks.rank.swap(rank);
        ranks.generation = search.generation;
        return ranks.rank.data();
    } catch (...) {
        return nullptr;  // no memory for the ranks: the texts are compared
    }
}

// LVM_SORTITEMS callback: item1 and item2 are the rows' item data.
int CALLBACK compareRows(LPARAM item1, LPARAM item2, LPARAM params)
{
    return guardEntry("sort", 0, [&] {
        const SortParams* sort = reinterpret_cast<const SortParams*>(params);
        // A host that subclassed our list may stop us, or drop the list,
        // while it sorts: there is nothing left to compare then.
        if (session.activeSort != sort)
            return 0;
        // A search asked for during the sort waits for it: the hits stay.
        LUNETKA_INVARIANT(sort->generation == search.generation);
        if (sort->ranks) {
            int order = rankOf(sort->ranks, item1) - rankOf(sort->ranks, item2);
            return sort->ascending ? order : -order;
        }
        HitText first = shownText(item1, sort->listColumn), second = shownText(item2, sort->listColumn);
        return compareShownTexts(first.text, first.length, second.text, second.length, sort->ascending != 0);
    });
}

}  // namespace

void sortByColumn(int listColumn)
{
    // A column the host added, or none: our comparison knows only our own
    // two. While a search or a sort runs, the rows are theirs: the click
    // is not taken (the next one sorts).
    if ((listColumn != 0 && listColumn != 1) || search.progress != SearchState::Idle)
        return;
    session.sortAscending = !session.sortAscending;
    SortParams params;
    params.listColumn = listColumn;
    params.ascending = session.sortAscending ? 1 : 0;
    params.ranks = ranksOf(listColumn);
    params.generation = search.generation;
    // The sort runs as a search would: a host that subclassed our list may
    // call us from inside it, and a search it asks for meanwhile waits until
    // the sort is done, as one asked for during a walk does.
    session.activeSort = &params;
    search.progress = SearchState::Running;
    // LVM_SORTITEMS hands the comparison each row's item data; reading texts
    // back from the control during a sort gives stale rows on some list views.
    sendToList(session.resultList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&params),
                 reinterpret_cast<LPARAM>(compareRows));
    SearchState asked = search.progress;
    search.progress = SearchState::Idle;
    session.activeSort = nullptr;
    if (asked != SearchState::Running && session.lifecycle == PluginState::Started)
        runSearch(asked == SearchState::RunningForcedOneWaiting ? SearchAsk::Forced : SearchAsk::IfChanged,
                  fillResultList);
}

void forgetRanks()
{
    for (ColumnRanks& ranks : session.columnRanks)
        ranks = ColumnRanks();
}
