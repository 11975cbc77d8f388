// Our list dropped, replaced or called back by the host from inside its own
// life: while it is built, filled, emptied, sorted or subclassed. The page
// keeps one list, nothing freed is used, and the next search fills whatever
// list is ours.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "tests/support/reentrant_host_test.h"

using namespace reentrant;

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

// The list tells its page it is being emptied: by our fill, by the host, or
// as its page is destroyed. From inside that notice the host has us drop it
// (221, a new list, a stop): a list view destroyed inside its own message
// would go on with its freed self (destroyed inside its own destruction,
// Wine's frees its rows twice). So ours waits, and is destroyed once: when
// our fill's message is back, at our next message to a list once the host
// emptied it, or with its page. Nothing crashes, and the next search fills
// whatever list is ours.
TEST_F(Reentrancy, ListDroppedWhileItIsEmptied)
{
    enum Emptier { OurFill, TheHost, ItsPageGoing };
    const struct {
        const char* what;
        int move;
    } moves[] = {{"221", DESTROY}, {"220", CREATE}, {"a stop", STOP}};
    for (Emptier emptier : {OurFill, TheHost, ItsPageGoing})
        for (const auto& m : moves) {
            SCOPED_TRACE(std::string(m.what) + ", emptied by " +
                         (emptier == OurFill ? "our fill" : emptier == TheHost ? "the host" : "its page going"));
            TearDown();
            SetUp();
            searchFrom("opole");
            HWND ours = list;
            static int destroys;
            destroys = 0;
            support::putHostProcedure(ours, [](WNDPROC next, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
                destroys += message == WM_DESTROY;
                return CallWindowProcA(next, hwnd, message, wParam, lParam);
            });
            std::vector<uint8_t> event;
            bool livedThroughTheMove = false;
            support::onHostPageMessage = [&](HWND, UINT message, WPARAM, LPARAM lParam) {
                const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
                if (message != WM_NOTIFY || header->hwndFrom != ours ||
                    header->code != static_cast<UINT>(LVN_DELETEALLITEMS) || calls++)
                    return;
                event = hostMove(m.move, m.move == DESTROY ? ours : nullptr);
                livedThroughTheMove = IsWindow(ours) != FALSE;
            };
            calls = 0;
            if (emptier == OurFill)
                searchFrom("gdynia");
            else if (emptier == TheHost)
                SendMessageA(ours, LVM_DELETEALLITEMS, 0, 0);
            else
                DestroyWindow(page);
            support::onHostPageMessage = nullptr;
            ASSERT_GE(calls, 1) << "the list told its page";  // and once more as it went, if with items
            EXPECT_TRUE(livedThroughTheMove) << "destroyed inside its own notice";
            if (m.move == STOP)
                host->start();
            if (emptier == TheHost) {
                EXPECT_TRUE(IsWindow(ours)) << "destroyed before our next message to a list";
                support::askForList(*host, page, 10, 10);
            }
            EXPECT_FALSE(IsWindow(ours));
            EXPECT_EQ(1, destroys) << "destroyed once";
            if (emptier == ItsPageGoing) {  // the host's next page, which the unloading host checks
                host->page().abandon();
                page = support::createHostPage("strona");
                host->page().adopt(page, false);
            }
            if (m.move == CREATE && emptier == OurFill) {
                list = support::slotWindow(event);
                ASSERT_TRUE(IsWindow(list));
                searchFrom("opole");
                EXPECT_EQ(OPOLE, shown());
            }
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
            inner = hostMove(move);
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
            inner = hostMove(move);
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
