// The host may call the plug-in back from inside any of the plug-in's calls
// to it: a log line, a value or cell request, an icon request, a
// notification its page hears. Whatever it asks then, the table lock stays
// balanced, nothing freed is used, and the list shows exactly the rows of
// the search that finished last, each row naming its hit.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "host/host_layout.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const int STOP = host::MSG_STOP, ACTION_EVENT = host::MSG_ACTION_EVENT;
const int CREATE = host::EVENT_CREATE_CONTROL, DESTROY = host::EVENT_DESTROY_CONTROL;
const int ICON_GET = host::MSG_ICON_GET;

const char CONTACTS[] =
    "uid,net,display,city\n"
    "0,1,Ja,x\n"
    "1,1,Ala,Opole\n"
    "2,2,Ola,Opole\n"
    "3,3,Ela,Gdynia\n"
    "4,2,Iza,Opole\n"
    "5,9,Ewa,Opole\n";

class Reentrancy : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = support::loadPlugin();
        host->setContacts(host::ContactTable::fromCsvText(CONTACTS, "test"));
        host->start();
        page = support::createHostPage("strona");
        host->page().adopt(page, false);
        list = host->page().requestControl(RESULTS, 10, 10).window;
        ASSERT_NE(nullptr, list);
        criteria("opole");
    }
    void TearDown() override
    {
        host->beforeAnswer = nullptr;
        host->onLog = nullptr;
        support::onHostPageMessage = nullptr;
        EXPECT_EQ(0, host->lockDepth()) << "a table lock was not released";
        EXPECT_LE(host->maxLockDepth(), 1) << "a walk ran inside another";
        EXPECT_TRUE(host->abiErrors().empty());
        host.reset();
        DestroyWindow(page);
    }

    void criteria(const char* city)
    {
        host->settings()[FIELD].value = "5";
        host->settings()[CONDITION].value = "0";
        host->settings()[VALUE].value = city;
    }
    void search() { host->actionEvent(VALUE, host::EVENT_REFRESH); }
    void searchFrom(const char* city) { host->searchFor("5", "0", city, host::EVENT_REFRESH); }
    // The host destroys our list (221) and has us make another (220).
    void replaceList()
    {
        support::giveListBack(*host, page, list);
        list = support::askForList(*host, page, 10, 10);
    }
    // The rows shown, each checked against the hit its item data names.
    std::vector<std::string> shown()
    {
        std::vector<std::string> names;
        for (const host::ResultRow& row : host::readResultRows(list)) {
            EXPECT_GE(row.itemData, 0);
            EXPECT_LT(row.itemData, 16);
            names.push_back(row.contact);
        }
        return names;
    }

    // Each row leads to the contact it shows.
    void expectRowsLeadToTheirContacts()
    {
        std::vector<host::ResultRow> rows = host::readResultRows(list);
        for (size_t row = 0; row < rows.size(); ++row) {
            host->clearExchanges();
            host::focusRow(list, static_cast<int>(row), true);
            host->actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
            const host::Exchange& call = ONLY(host->find(host::Op::Send, host::MSG_ACTION_CALL));
            int contact = I32(call.payload, host::action_event::CONTACT);
            EXPECT_EQ(host->contacts().text(contact, 8), rows[row].contact) << "row " << row;
        }
    }

    std::unique_ptr<host::StandInHost> host;
    HWND page = nullptr;
    HWND list = nullptr;
    int calls = 0;
};

const std::vector<std::string> OPOLE = {"Ala", "Ola", "Iza", "Ewa"};
// The log line that starts a search's walk from row 1 (field 5, equals).
const char WALK_FROM_ROW_1[] = "searching : 13 opole 0 1";

int countLines(const std::vector<std::string>& log, const std::string& start)
{
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
        return line.compare(0, start.size(), start) == 0;
    }));
}

}  // namespace

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

TEST_F(Reentrancy, ListDestroyedDuringTheFill)
{
    host->onLog = [&](const std::string& line) {
        if (line.compare(0, 4, "net ") == 0 && calls++ == 1)
            host->page().close();
    };
    searchFrom("opole");
    EXPECT_FALSE(IsWindow(list));
    EXPECT_GIVEN_BACK(page);
    EXPECT_EQ(4, countLines(host->log(), "net ")) << "every hit is still logged";
    host->onLog = nullptr;
    searchFrom("Gdynia");  // with no list: no window touched, no crash
}

// The list tells its page it is being emptied, at the start of a fill, and
// the host answers with a 221, a new list (220) or a stop: a list view
// destroyed inside its own message would go on with its freed self, so ours
// goes once the message is back. Nothing crashes, and the next search fills
// whatever list is ours.
TEST_F(Reentrancy, ListDroppedWhileItEmptiesItself)
{
    const struct {
        const char* what;
        int move;
    } moves[] = {{"221", DESTROY}, {"220", CREATE}, {"a stop", STOP}};
    for (const auto& m : moves) {
        SCOPED_TRACE(m.what);
        TearDown();
        SetUp();
        searchFrom("opole");
        HWND ours = list;
        std::vector<uint8_t> event;
        support::onHostPageMessage = [&](HWND, UINT message, WPARAM, LPARAM lParam) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (message != WM_NOTIFY || header->code != static_cast<UINT>(LVN_DELETEALLITEMS) || calls++)
                return;
            if (m.move == STOP)
                host->send(STOP);
            else
                event = support::sendSlotEvent(*host, m.move, page, m.move == DESTROY ? ours : nullptr, 10, 10);
        };
        calls = 0;
        searchFrom("gdynia");
        support::onHostPageMessage = nullptr;
        ASSERT_GE(calls, 1) << "the list told its page";  // and once more as it went
        EXPECT_FALSE(IsWindow(ours)) << "the list went once its message was back";
        if (m.move == CREATE) {
            list = support::slotWindow(event);
            ASSERT_TRUE(IsWindow(list));
            searchFrom("opole");
            EXPECT_EQ(OPOLE, shown());
        }
        if (m.move == STOP)
            host->start();
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

TEST_F(Reentrancy, ListReplacedOrDroppedWhileItIsBuilt)
{
    // While the new list asks for its icons, the host asks for yet another
    // list, or drops it: the page keeps one list, whose images match the map.
    for (int move : {CREATE, DESTROY, STOP}) {
        SCOPED_TRACE(move);
        TearDown();
        SetUp();
        std::vector<uint8_t> inner;
        host->beforeAnswer = [&](host::Op op, int message) {
            if (op != host::Op::Send || message != ICON_GET || calls++ != 1)
                return;
            if (move == STOP)
                host->send(STOP);
            else
                inner = support::sendSlotEvent(*host, move, page, nullptr, 10, 10);
        };
        calls = 0;
        std::vector<uint8_t> outer = support::sendSlotEvent(*host, CREATE, page, nullptr, 10, 10);
        host->beforeAnswer = nullptr;

        HWND kept = move == CREATE ? support::slotWindow(inner) : nullptr;
        EXPECT_EQ(nullptr, support::slotWindow(outer)) << "the outer list was replaced or dropped";
        EXPECT_EQ(kept ? 1 : 0, support::listViewsIn(page));
        if (!kept)
            continue;
        list = kept;
        searchFrom("opole");
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        ASSERT_NE(nullptr, images);
        for (const host::ResultRow& row : host::readResultRows(list))
            EXPECT_LT(row.image, ImageList_GetImageCount(images)) << row.contact;
        EXPECT_EQ(OPOLE, shown());
    }
}

TEST_F(Reentrancy, HostPageCallsBackFromTheListsNotifications)
{
    // The page's own procedure hears every notification after us; from
    // there the host searches, destroys the list or stops us.
    int move = 0;
    support::onHostPageMessage = [&](HWND, UINT message, WPARAM, LPARAM lParam) {
        if (message != WM_NOTIFY || calls)
            return;
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (move == 0 && header->code == static_cast<UINT>(LVN_INSERTITEM)) {
            ++calls;
            searchFrom("Gdynia");
        } else if (move == 1 && header->code == static_cast<UINT>(LVN_COLUMNCLICK)) {
            ++calls;
            host->send(STOP);
        }
    };
    searchFrom("opole");
    EXPECT_EQ(std::vector<std::string>{"Ela"}, shown());

    move = 1;
    calls = 0;
    searchFrom("opole");
    host::clickHeader(list, 0);
    EXPECT_FALSE(IsWindow(list)) << "stopped from inside the sort's notification";
    EXPECT_GIVEN_BACK(page);
    host->unloadPlugin();
    support::pokePage(page, list);
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

// The host has us make another list while the previous one is destroyed
// (its page hears of the destruction), or stops us then; or it has us make
// one at every drop, and keeps the newest: the request it interrupted hands
// back no window.
TEST_F(Reentrancy, ListAskedForWhileThePreviousOneGoes)
{
    const int AT_EVERY_DROP = 0;
    for (int move : {CREATE, STOP, AT_EVERY_DROP}) {
        SCOPED_TRACE(move);
        TearDown();
        SetUp();
        HWND previous = list;
        std::vector<uint8_t> inner;
        std::vector<std::vector<uint8_t>> everyDrop;
        support::onHostPageMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
            if (move == AT_EVERY_DROP && message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY &&
                everyDrop.size() < 3) {  // a host that went on for ever would never end either
                everyDrop.push_back(support::slotEvent(CREATE, page, nullptr, 10, 10));
                host->send(ACTION_EVENT, reinterpret_cast<intptr_t>(everyDrop.back().data()));  // kept where it is read
                return;
            }
            if (move == AT_EVERY_DROP || message != WM_PARENTNOTIFY || LOWORD(wParam) != WM_DESTROY ||
                reinterpret_cast<HWND>(lParam) != previous || calls++)
                return;
            if (move == STOP)
                host->send(STOP);
            else
                inner = support::sendSlotEvent(*host, CREATE, page, nullptr, 10, 10);
        };
        calls = 0;
        std::vector<uint8_t> outer = support::sendSlotEvent(*host, CREATE, page, nullptr, 10, 10);
        support::onHostPageMessage = nullptr;
        if (move == AT_EVERY_DROP) {
            ASSERT_EQ(3u, everyDrop.size());
            EXPECT_EQ(nullptr, support::slotWindow(outer)) << "the interrupted request hands back no window";
            EXPECT_EQ(1, support::listViewsIn(page)) << "exactly one list remains";
            list = support::slotWindow(everyDrop.back());
            ASSERT_TRUE(IsWindow(list)) << "the host's newest list";
            EXPECT_EQ(1, countLines(host->log(), "result list asked for during each of 3 drops"));
            searchFrom("opole");
            EXPECT_EQ(OPOLE, shown());
            continue;
        }
        ASSERT_EQ(1, calls) << "the previous list went";
        if (move == STOP) {
            EXPECT_EQ(0, support::listViewsIn(page));
            EXPECT_GIVEN_BACK(page);
            continue;
        }
        EXPECT_EQ(1, support::listViewsIn(page)) << "exactly one list remains";
        list = support::slotWindow(outer);
        ASSERT_TRUE(IsWindow(list)) << "the outer request's list";
        EXPECT_FALSE(IsWindow(support::slotWindow(inner)));
        searchFrom("opole");
        EXPECT_EQ(OPOLE, shown());
        host->stop();
        EXPECT_GIVEN_BACK(page);
        EXPECT_EQ(0, support::listViewsIn(page));
        host->start();
    }
}

// A host that subclasses our list may refuse a row, answer a question with
// nothing, or drop or replace the list from inside any message to it: the
// plug-in writes to no row the list refused and to no list that is no
// longer its own, and asks the host for no contact it could not read.
TEST_F(Reentrancy, HostSubclassOfOurList)
{
    struct Case {
        const char* what;
        UINT message;  // the message the host's subclass takes over
        enum { Refuse, Drop, ReplaceAfter } does;
        bool contactRequest;  // the case ends with a request for the focused row
    };
    const Case cases[] = {
        {"an insert refused", LVM_INSERTITEMA, Case::Refuse, false},
        {"the list replaced from an insert", LVM_INSERTITEMA, Case::ReplaceAfter, false},
        {"the focused row asked for, the list dropped", LVM_GETNEXTITEM, Case::Drop, true},
        {"the row's data refused", LVM_GETITEMA, Case::Refuse, true},
        {"the row's data asked for, the list dropped", LVM_GETITEMA, Case::Drop, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        if (c.contactRequest) {
            searchFrom("opole");
            host::focusRow(list, 1, true);
        }
        HWND ours = list;
        int seen = 0;
        std::vector<WPARAM> secondColumns;  // the rows whose second column was set on our list
        // A host that did so answers most messages itself: this one, the rest as the list would.
        support::putHostProcedure(ours, [&](WNDPROC next, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == LVM_SETITEMTEXTA)
                secondColumns.push_back(wParam);
            if (message != c.message || seen++ != 1)
                return CallWindowProcA(next, hwnd, message, wParam, lParam);
            if (c.does == Case::Refuse)
                return message == LVM_INSERTITEMA ? LRESULT(-1) : 0;
            LRESULT answer = CallWindowProcA(next, hwnd, message, wParam, lParam);
            if (c.does == Case::ReplaceAfter)
                replaceList();
            else
                support::giveListBack(*host, page, ours);
            return answer;  // about a list that is no longer ours
        });
        host->clearExchanges();
        if (c.contactRequest) {
            seen = 1;  // the very first such message
            host->actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
            EXPECT_TRUE(host->find(host::Op::Send, host::MSG_ACTION_CALL).empty());
        } else {
            searchFrom("opole");
        }
        support::takeHostProcedureAway(ours);
        if (c.does == Case::Refuse && !c.contactRequest) {
            EXPECT_EQ((std::vector<std::string>{"Ala", "Iza", "Ewa"}), shown()) << "no other row shifts";
            EXPECT_EQ((std::vector<WPARAM>{0, 1, 2}), secondColumns) << "none on the refused row";
            expectRowsLeadToTheirContacts();
        }
        if (c.does == Case::ReplaceAfter) {
            EXPECT_EQ((std::vector<WPARAM>{0}), secondColumns) << "the list that went heard no more";
            EXPECT_EQ(OPOLE, shown()) << "the new list filled whole";
        }
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

// A host that subclassed our list calls us back while it is asked to sort,
// before the list view compares a row: it stops us, asks for a search
// (another city, or the same texts), clicks a header again, or has us drop
// the list. A stop leaves the sort nothing to compare; a search waits until
// the sort is done and then shows its rows whole; a click during the sort is
// not taken. Nothing freed is read, and the checked build breaks no rule.
TEST_F(Reentrancy, HostCallsBackFromInsideTheSort)
{
    enum Move { Stop, StopThenSortAgain, SearchElsewhere, SearchUnchanged, ClickAgain, DropList };
    const struct {
        const char* what;
        Move move;
        std::vector<std::string> after;  // the rows then, ours in the order shown; none: the list went
    } cases[] = {
        {"a stop", Stop, {}},
        {"a stop, then the same sort as the list goes", StopThenSortAgain, {}},
        {"a search of other texts", SearchElsewhere, {"Ala", "Ola", "Ela"}},
        {"a search of the same texts", SearchUnchanged, {"Ola", "Iza", "Ewa", "Ala"}},
        {"another header click", ClickAgain, {"Ola", "Iza", "Ewa", "Ala"}},
        {"the list dropped", DropList, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        searchFrom("opole");
        ASSERT_EQ(OPOLE, shown());
        HWND ours = list;
        bool moved = false;
        WPARAM sortParams = 0;
        LPARAM sortCompare = 0;
        support::putHostProcedure(ours, [&](WNDPROC next, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_DESTROY && c.move == StopThenSortAgain)  // the list still has its rows
                CallWindowProcA(next, hwnd, LVM_SORTITEMS, sortParams, sortCompare);
            if (message == LVM_SORTITEMS && !moved) {
                moved = true;
                sortParams = wParam;
                sortCompare = lParam;
                if (c.move == Stop || c.move == StopThenSortAgain)
                    host->send(STOP);
                else if (c.move == SearchElsewhere)
                    host->searchFor("2", "1", "la");  // display names that contain "la"
                else if (c.move == SearchUnchanged)
                    host->actionEvent(VALUE, host::EVENT_CHANGED);
                else if (c.move == ClickAgain)
                    host::clickHeader(hwnd, 0);
                else
                    support::giveListBack(*host, page, ours);
            }
            return CallWindowProcA(next, hwnd, message, wParam, lParam);
        });
        host::clickHeader(ours, 0);  // descending: Ola, Iza, Ewa, Ala
        support::takeHostProcedureAway(ours);
        ASSERT_TRUE(moved);
        if (c.after.empty()) {
            EXPECT_FALSE(IsWindow(ours)) << "the list went";
        } else {
            EXPECT_EQ(c.after, shown());
            expectRowsLeadToTheirContacts();
        }
        host->clearExchanges();
        host->send(30014);
        EXPECT_EQ(c.move == Stop || c.move == StopThenSortAgain ? 1u : 2u, host->exchanges().size()) << "an unknown message tells the host only while started";
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
