// A header click: the rows sorted by the text of the clicked column, as
// Windows' C runtime's _strcmpi orders their first 255 bytes (sort_order.h), the
// direction flipped before every click. Our rows' texts are the hits'; a row
// the host put in our list is read from the list.
#include "views/result_sort.h"

#include <windows.h>
#include <commctrl.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

#include "base/entry_guard.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "search/found_contacts.h"
#include "search/search_run.h"
#include "views/list_messages.h"
#include "views/result_fill.h"
#include "views/sort_order.h"

namespace {

// A row whose item data names no hit of ours (the host put it in our list,
// or set its item data): it sorts by the text the list shows in the clicked
// column, its first SORT_TEXT_LIMIT bytes, read once per click. A
// comparison is handed item data alone, so rows that share item data share
// the first one's text.
struct ForeignRow {
    LPARAM itemData;
    std::string text;
};
typedef std::vector<ForeignRow> ForeignRows;  // by item data

// Built for one sort and passed to every comparison of it.
struct SortParams {
    int listColumn;  // the clicked column, 0 or 1
    unsigned char ascending;
    const ForeignRows* foreign;
    // Each row's place in the column's order: hits first, then the foreign
    // rows, then one for item data that names neither; null: the texts are
    // compared.
    const int* ranks;
    unsigned generation;  // of the hits when the ranks were made
};

const ForeignRow* foreignRowOf(const ForeignRows& foreign, LPARAM itemData)
{
    auto found = std::lower_bound(foreign.begin(), foreign.end(), itemData,
                                  [](const ForeignRow& row, LPARAM data) { return row.itemData < data; });
    return found != foreign.end() && found->itemData == itemData ? &*found : nullptr;
}

// The text a row shows in the sorted column: a hit's own, a foreign row's as
// read, or an empty text.
HitText shownText(LPARAM itemData, int listColumn, const ForeignRows& foreign)
{
    if (const FoundContact* hit = foundContactAt(itemData))
        return listColumn == 0 ? displayNameOf(*hit) : matchedValueOf(*hit);
    if (const ForeignRow* row = foreignRowOf(foreign, itemData))
        return {row->text.c_str(), row->text.size()};
    return {"", 0};
}

// The rank of a row's item data: a hit's is at its index, a foreign row's
// after the hits, and any other's last.
int rankOf(const int* ranks, LPARAM itemData, const ForeignRows& foreign)
{
    size_t hits = search.foundContacts.size();
    if (foundContactAt(itemData))
        return ranks[itemData];
    const ForeignRow* row = foreignRowOf(foreign, itemData);
    return ranks[hits + (row ? static_cast<size_t>(row - foreign.data()) : foreign.size())];
}

// Each text's place in one in-memory sort with the very comparison the rows
// would use: the list view's sort then compares two numbers instead of
// folding two texts at every step. Equal texts share a place, so the order
// is the same. Item i's text is shownText of item data i for the hits, then
// the foreign rows', then an empty one. May throw.
void rankTexts(int listColumn, const ForeignRows& foreign, std::vector<int>& rank)
{
    size_t hits = search.foundContacts.size(), count = hits + foreign.size() + 1;
    SortTexts texts;
    texts.reserve(count);
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i) {
        order[i] = static_cast<int>(i);
        if (i < hits) {
            HitText shown = shownText(static_cast<LPARAM>(i), listColumn, foreign);
            texts.add(shown.text, shown.length);
        } else if (i - hits < foreign.size()) {
            texts.add(foreign[i - hits].text.c_str(), foreign[i - hits].text.size());
        } else {
            texts.add("", 0);
        }
    }
    auto less = [&texts](int a, int b) { return texts.less(static_cast<size_t>(a), static_cast<size_t>(b)); };
    std::sort(order.begin(), order.end(), less);
    std::vector<int> ranked(count);
    for (size_t k = 0; k < count; ++k)
        ranked[static_cast<size_t>(order[k])] =
            k > 0 && !less(order[k - 1], order[k]) ? ranked[static_cast<size_t>(order[k - 1])] : static_cast<int>(k);
    rank.swap(ranked);
}

// The ranks of a click. The hits' alone are kept per column until the next
// search; with foreign rows they are made for this click only, in own.
// Null when there is no memory for them: the texts are compared.
const int* ranksOf(int listColumn, const ForeignRows& foreign, std::vector<int>& own)
{
    try {
        if (!foreign.empty()) {
            rankTexts(listColumn, foreign, own);
            return own.data();
        }
        ColumnRanks& ranks = session.columnRanks[listColumn];
        if (ranks.generation != search.generation || ranks.rank.size() != search.foundContacts.size() + 1) {
            rankTexts(listColumn, foreign, ranks.rank);
            ranks.generation = search.generation;
        }
        return ranks.rank.data();
    } catch (...) {
        return nullptr;
    }
}

// The rows of list whose item data names no hit, with the text each shows in
// the column. Read only when the host may have put such a row there: the
// list holds another number of rows than we have hits, or it told its page
// of a change we did not make. Any of these messages may let a host that
// subclassed the list run; the caller checks the list is still ours.
ForeignRows readForeignRows(HWND list, int listColumn)
{
    ForeignRows foreign;
    int rows = static_cast<int>(sendToList(list, LVM_GETITEMCOUNT, 0, 0));
    if (!session.foreignRows && rows == static_cast<int>(search.foundContacts.size()))
        return foreign;
    try {
        for (int row = 0; row < rows && session.resultList == list; ++row) {
            LVITEMA item;
            memset(&item, 0, sizeof item);
            item.mask = LVIF_PARAM;
            item.iItem = row;
            if (!sendToList(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) || foundContactAt(item.lParam))
                continue;
            char text[SORT_TEXT_LIMIT + 1] = "";
            LVITEMA cell;
            memset(&cell, 0, sizeof cell);
            cell.iSubItem = listColumn;
            cell.pszText = text;
            cell.cchTextMax = sizeof text;
            sendToList(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
            text[SORT_TEXT_LIMIT] = '\0';
            foreign.push_back({item.lParam, text});
        }
        std::stable_sort(foreign.begin(), foreign.end(),
                         [](const ForeignRow& a, const ForeignRow& b) { return a.itemData < b.itemData; });
        foreign.erase(std::unique(foreign.begin(), foreign.end(),
                                  [](const ForeignRow& a, const ForeignRow& b) { return a.itemData == b.itemData; }),
                      foreign.end());
    } catch (...) {
        foreign.clear();  // no memory for their texts: they sort as empty texts
    }
    return foreign;
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
            int order = rankOf(sort->ranks, item1, *sort->foreign) - rankOf(sort->ranks, item2, *sort->foreign);
            return sort->ascending ? order : -order;
        }
        HitText first = shownText(item1, sort->listColumn, *sort->foreign);
        HitText second = shownText(item2, sort->listColumn, *sort->foreign);
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
    // The sort runs as a search would: a host that subclassed our list may
    // call us from inside it, and a search it asks for meanwhile waits until
    // the sort is done, as one asked for during a walk does.
    HWND list = session.resultList;
    SortParams params;
    session.activeSort = &params;
    search.progress = SearchState::Running;
    ForeignRows foreign = readForeignRows(list, listColumn);
    // Reading the rows let the host run: if it stopped us or dropped the
    // list meanwhile, there is nothing to sort, and nothing to rank.
    if (session.activeSort == &params && session.resultList == list) {
        std::vector<int> ownRanks;
        params.listColumn = listColumn;
        params.ascending = session.sortAscending ? 1 : 0;
        params.foreign = &foreign;
        params.ranks = ranksOf(listColumn, foreign, ownRanks);
        params.generation = search.generation;
        // LVM_SORTITEMS hands the comparison each row's item data; reading
        // texts back from the control during a sort gives stale rows on some
        // list views.
        sendToList(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&params), reinterpret_cast<LPARAM>(compareRows));
    }
    SearchState asked = search.progress;
    search.progress = SearchState::Idle;
    session.activeSort = nullptr;
    if (asked != SearchState::Running && session.lifecycle == PluginState::Started)
        runSearch(asked == SearchState::RunningForcedOneWaiting ? SearchAsk::Forced : SearchAsk::IfChanged,
                  fillResultList);
}
