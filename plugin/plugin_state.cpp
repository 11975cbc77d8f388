#include "plugin/plugin_state.h"

#include "plugin/persistent.h"

namespace {

Persistent<Session> sessionStore;
Persistent<Search> searchStore;

}  // namespace

Session& session = *sessionStore;
Search& search = *searchStore;

void Session::reset()
{
    resultList = nullptr;
    resultPage = nullptr;
    NetIconMap().swap(netIcons);
    sortAscending = true;
    for (ColumnRanks& ranks : columnRanks)
        ranks = ColumnRanks();
    if (pages.empty())
        std::vector<SubclassedPage>().swap(pages);
    searchWindow = nullptr;
    windowClass = WNDCLASSEXA();
    registeredUnder = nullptr;
}

void Search::reset()
{
    lastCondition[0] = lastValue[0] = lastField[0] = '\0';
    searchOwed = false;
    if (state == SearchState::Idle)
        emptyFoundContacts();
    if (!walking)
        std::string().swap(cell);
}
