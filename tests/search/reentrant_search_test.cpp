// A search asked for, or a stop, from inside a running search: its walk (a
// cell read) or its fill (a hit's log line, a row's insert notice). The list
// shows exactly the rows of the search that finished last, each row naming
// its hit; what the host asks for too often is bounded.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "tests/support/reentrant_host_test.h"

using namespace reentrant;

// One move of the host's from inside the fill (a hit's log line, a row's
// insert notice) or the walk (a cell read): another search, or another list.
// The one list shows the rows of the search that finished last, each leading
// to its own contact.
TEST_F(Reentrancy, OneMoveFromInsideTheFillOrTheWalk)
{
    enum When { HitLogged, CellRead, RowInserted };
    const struct {
        const char* what;
        When when;
        int at;            // the how-many-th such point, from 0
        const char* city;  // the search asked for; null: the list replaced
        std::vector<std::string> rows;
    } cases[] = {
        {"a search during the fill", HitLogged, 0, "Gdynia", {"Ela"}},
        {"a search that finds nothing during the fill", HitLogged, 0, "nikt", {}},
        {"a search during the walk", CellRead, 3, "Gdynia", {"Ela"}},
        {"the list replaced during the fill", HitLogged, 1, nullptr, OPOLE},
        {"the list replaced from the last row's insert", RowInserted, 3, nullptr, OPOLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        int seen = 0;
        auto point = [&](When when) {
            if (when != c.when || seen++ != c.at)
                return;
            if (c.city)
                searchFrom(c.city);
            else
                replaceList();
        };
        host->onLog = [&](const std::string& line) {
            if (line.compare(0, 4, "net ") == 0)
                point(HitLogged);
        };
        host->beforeAnswer = [&](host::Op op, int) {
            if (op == host::Op::ReadCell)
                point(CellRead);
        };
        support::onHostPageMessage = [&](HWND, UINT message, WPARAM, LPARAM lParam) {
            if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(LVN_INSERTITEM))
                point(RowInserted);
        };
        searchFrom("opole");
        support::onHostPageMessage = nullptr;
        host->onLog = nullptr;
        host->beforeAnswer = nullptr;
        ASSERT_GT(seen, c.at) << "the point came";
        EXPECT_EQ(1, support::listViewsIn(page));
        EXPECT_EQ(c.rows, shown());
        expectRowsLeadToTheirContacts();
    }
}

TEST_F(Reentrancy, StopDuringTheFillOrTheWalk)
{
    // "waiting": the host asks for another search during the walk, then
    // stops us before that one can run.
    for (const char* when : {"fill", "walk", "waiting"}) {
        SCOPED_TRACE(when);
        TearDown();
        SetUp();
        calls = 0;
        host->onLog = [&](const std::string& line) {
            if (strcmp(when, "fill") == 0 && line.compare(0, 4, "net ") == 0 && calls++ == 1)
                host->send(STOP);
        };
        host->beforeAnswer = [&](host::Op op, int) {
            if (strcmp(when, "fill") == 0 || op != host::Op::ReadCell)
                return;
            ++calls;
            if (strcmp(when, "waiting") == 0 && calls == 1)
                searchFrom("Gdynia");
            if (calls == 2)
                host->send(STOP);
        };
        searchFrom("opole");
        EXPECT_FALSE(IsWindow(list));
        EXPECT_GIVEN_BACK(page);
        host->onLog = nullptr;
        host->beforeAnswer = nullptr;
        host->clearExchanges();
        search();
        EXPECT_TRUE(support::pluginCalls(*host).empty()) << "a stopped plug-in asks nothing";
    }
}

// A host that asks for a search during every search, or replaces the list
// during every fill, gets a bounded number of passes, one line saying so,
// and a search at its next event even with unchanged texts; unless a stop
// came between, which forgets what was owed (the texts seen stay).
TEST_F(Reentrancy, HostThatAsksAgainDuringEveryPassIsBounded)
{
    struct Case {
        const char* what;
        const char* giveUpLine;
        bool listLeftEmpty;
        bool stopBetween;
    };
    for (const Case& c : {Case{"search", "search asked for during each of 3 searches", false, false},
                          Case{"fill", "result list replaced during each of 3 fills", true, false},
                          Case{"fill, then a stop", "result list replaced during each of 3 fills", true, true}}) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        host->clearLog();
        host->onLog = [&](const std::string& line) {
            if (line.compare(0, 4, "net ") != 0)
                return;
            if (strcmp(c.what, "search") == 0) {
                search();
                return;
            }
            replaceList();
        };
        bool searchAgain = strcmp(c.what, "search") == 0;
        search();
        host->onLog = nullptr;
        std::vector<std::string> log = host->log();
        // Each search pass walks from row 1; each fill pass logs its first row before the list goes.
        EXPECT_EQ(3, countLines(log, searchAgain ? WALK_FROM_ROW_1 : "net ")) << "passes";
        EXPECT_EQ(1, countLines(log, c.giveUpLine));
        EXPECT_EQ(c.listLeftEmpty, shown().empty());

        if (c.stopBetween) {
            host->send(STOP);
            host->start();
            criteria("opole");
            host->clearLog();
            host->actionEvent(VALUE, host::EVENT_CHANGED);
            EXPECT_EQ(0, countLines(host->log(), WALK_FROM_ROW_1)) << "nothing owed after a stop";
            continue;
        }
        host->clearLog();
        host->actionEvent(VALUE, host::EVENT_CHANGED);  // the same texts, not forced
        EXPECT_EQ(1, countLines(host->log(), WALK_FROM_ROW_1)) << "the next event searches";
        EXPECT_EQ(OPOLE, shown());
        expectRowsLeadToTheirContacts();
    }
}

// A search asked for from inside the walk or the fill keeps its own code: a
// forced one (12) with unchanged texts searches again, though the event it
// interrupted (2) was not forced, and a later unforced ask while it waits
// does not take that away; an unforced ask with unchanged texts alone does
// not search again.
TEST_F(Reentrancy, WaitingSearchKeepsItsOwnForcedFlag)
{
    const struct {
        const char* during;  // the start of the log line the host asks from
        std::vector<int> codes;
        int walks;
    } cases[] = {
        {"net ", {12}, 2},
        {"searching", {12}, 2},
        {"searching", {12, 2}, 2},
        {"searching", {2}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.during) + ", " + std::to_string(c.codes.size()) + " ask(s), first " +
                     std::to_string(c.codes[0]));
        criteria("Opole");
        host->actionEvent(VALUE, host::EVENT_CHANGED);
        criteria("Gdynia");
        calls = 0;
        host->onLog = [&](const std::string& line) {
            if (line.compare(0, strlen(c.during), c.during) == 0 && calls++ == 0)
                for (int code : c.codes)
                    host->actionEvent(VALUE, code);  // the same texts
        };
        host->clearLog();
        host->actionEvent(VALUE, host::EVENT_CHANGED);  // changed texts, not forced
        host->onLog = nullptr;
        EXPECT_EQ(c.walks, countLines(host->log(), "searching : 13 Gdynia 0 1"));
        EXPECT_EQ(std::vector<std::string>{"Ela"}, shown());
    }
}

// While a stop runs, nothing new starts: a list, a search, a search window
// or a start the host asks for from inside it (its page hears the list go),
// even after a stop of its own there, is refused, and the plug-in ends
// detached, its window class released; the next start outside a stop works.
TEST_F(Reentrancy, NothingNewStartsWhileAStopRuns)
{
    const struct {
        const char* what;
        int message, action, code;
    } asks[] = {
        {"a list", ACTION_EVENT, RESULTS, host::EVENT_CREATE_CONTROL},
        {"a search", ACTION_EVENT, VALUE, host::EVENT_REFRESH},
        {"a search window", ACTION_EVENT, OPEN_WINDOW, host::EVENT_ACTIVATED},
        {"a start", host::MSG_START, 0, 0},
        {"a stop, then a start", host::MSG_STOP, 0, 0},  // the inner stop ends nothing more
    };
    for (const auto& ask : asks) {
        SCOPED_TRACE(ask.what);
        TearDown();
        SetUp();
        intptr_t answer = -1;
        std::vector<uint8_t> event = support::slotEvent(ask.code, page, nullptr);
        host::putI32(event.data(), host::action_event::ID, ask.action);
        support::onHostPageMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM) {
            if (message != WM_PARENTNOTIFY || LOWORD(wParam) != WM_DESTROY || answer >= 0)
                return;
            host->clearLog();
            if (ask.message == host::MSG_STOP)
                host->send(STOP);
            answer = ask.message == ACTION_EVENT
                         ? host->send(ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()))
                         : host->send(host::MSG_START, reinterpret_cast<intptr_t>(host->controlObject()));
        };
        host->send(STOP);
        support::onHostPageMessage = nullptr;
        EXPECT_EQ(0, answer);
        EXPECT_EQ(nullptr, support::slotWindow(event));
        EXPECT_EQ(0, support::listViewsIn(page));
        EXPECT_TRUE(host->log().empty()) << "nothing searched, nothing told";
        EXPECT_EQ(nullptr, support::ownWindow("Lunetka"));
        WNDCLASSA left;
        EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "Lunetka", &left)) << "no class is left";
        host->clearExchanges();
        host->send(30014);
        EXPECT_EQ(1u, host->exchanges().size()) << "detached: an unknown message makes no host call";
        EXPECT_EQ(1, host->start());
    }
}
