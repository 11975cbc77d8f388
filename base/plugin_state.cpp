#include "base/plugin_state.h"

Session session;
Search search;

void Session::reset()
{
    resultList = nullptr;
    resultPage = nullptr;
    foreignRows = false;
    NetIconMap().swap(netIcons);
    forgetRanks();
    std::vector<SubclassedPage>().swap(pages);
    searchWindow = nullptr;
    windowClass = WNDCLASSEXA();
    registeredUnder = nullptr;
    classThunk = nullptr;
}

void Session::forgetRanks()
{
    for (ColumnRanks& ranks : columnRanks)
        ranks = ColumnRanks();
}

void Search::reset()
{
    searchOwed = false;
    if (progress == SearchState::Idle)
        emptyHits();
    if (!walking)
        std::string().swap(cell);
}

void Search::emptyHits() noexcept
{
    foundContacts.clear();
    std::vector<TextBlock>().swap(foundTexts);
    ++generation;
}
