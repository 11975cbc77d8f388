// Every allocation the plug-in makes on the way from start to stop fails in
// turn: the test build of the DLL fails its N-th operator new, for N = 1, 2,
// 3... until a run completes without a failure. Each run must leave the host
// alive, the table lock balanced, no list or window behind, and the library
// able to search normally afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>
#include <algorithm>

#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

// Texts longer than a string keeps inside itself, so every copy allocates;
// one name longer than a sort compares, so a sort with no memory for its
// ranks has a text to cut.
const std::string LONG_NAME = "Izabela Wojcik-Lewandowska " + std::string(280, 'z');
const std::string CONTACTS = "uid,net,display,city\n"
                             "0,1,Ja,x\n"
                             "1,1,Alicja Kowalska-Nowak,Opole nad Odra i Mala Panwia\n"
                             "2,2,Aleksandra Wisniewska,Opole nad Odra i Mala Panwia\n"
                             "3,3,Elzbieta Zielinska-Gora,Gdynia\n"
                             "4,9," + LONG_NAME + ",Opole nad Odra i Mala Panwia\n";

std::string failingPluginPath() { return support::testBuildPath("lunetka-failing-alloc.dll"); }

std::unique_ptr<host::StandInHost> loadFailingPlugin()
{
    std::unique_ptr<host::StandInHost> stand(new host::StandInHost);
    stand->loadPlugin(failingPluginPath());
    stand->setContacts(host::ContactTable::fromCsvText(CONTACTS, "test"));
    return stand;
}

int searchWindows() { return static_cast<int>(support::ownWindows("Lunetka").size()); }

std::vector<std::string> searchOpole(host::StandInHost& host)
{
    host.searchFor("5", "0", "opole nad odra i mala panwia");
    return host::shownNames(host.page().slotControl(RESULTS));
}

std::string failMode()
{
    char mode[16] = "";
    GetEnvironmentVariableA("LUNETKA_FAIL_MODE", mode, sizeof mode);
    return mode;
}

// A search given up for lack of memory says so in those words (an exception
// of no standard type is "unknown"), and the next event searches again even
// with the same texts (when memory is back).
void expectAbandonedSearchesAreOwed(host::StandInHost& host, long n)
{
    std::vector<std::string> log = host.log();
    bool abandoned = false;
    const std::string why = failMode() == "foreign" ? "unknown exception" : "out of memory";
    for (const std::string& line : log) {
        if (line.compare(0, 18, "search abandoned: ") == 0) {
            EXPECT_EQ("search abandoned: " + why, line) << "failure at allocation " << n;
            abandoned = true;
        }
    }
    if (!abandoned || failMode() == "persistent")
        return;
    host.clearLog();
    host.actionEvent(VALUE, host::EVENT_CHANGED);  // the texts of the abandoned search
    log = host.log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const std::string& line) { return line.compare(0, 12, "searching : ") == 0; }))
        << "the next event searched nothing after a failure at allocation " << n;
}

// Start, page, search, fill, a row of the host's, sort, a contact request,
// stop; true when the injected failure happened somewhere on the way.
bool runWithFailureAt(long n)
{
    char number[16];
    snprintf(number, sizeof number, "%ld", n);
    SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", number);
    SetEnvironmentVariableA("LUNETKA_ALLOCATION_FAILED", nullptr);
    int listsBefore = support::ownListViews(), searchWindowsBefore = searchWindows();

    auto first = loadFailingPlugin();
    first->start();
    first->page().open();
    std::vector<std::string> shown = searchOpole(*first);
    const std::vector<std::string> expected = {"Alicja Kowalska-Nowak", "Aleksandra Wisniewska",
                                               LONG_NAME};
    EXPECT_TRUE(shown.empty() || shown == expected) << "rows whose hits are gone, failure at allocation " << n;
    expectAbandonedSearchesAreOwed(*first, n);
    HWND list = first->page().slotControl(RESULTS);
    if (IsWindow(list)) {
        // A row of the host's, whose text the sort must read and keep.
        host::insertRow(list, 0, "Bartosz Lewandowski-Zielinski", 900);
        host::clickHeader(list, 0);
        host::clickHeader(list, 1);
        host::focusRow(list, 0, true);
        host::doubleClickRow(list, 0);
    }
    first->actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
    first->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED);
    EXPECT_EQ(0, first->lockDepth()) << "failure at allocation " << n;
    first->stop();
    EXPECT_EQ(listsBefore, support::ownListViews()) << "failure at allocation " << n << " left a list";
    EXPECT_EQ(searchWindowsBefore, searchWindows()) << "failure at allocation " << n;
    EXPECT_TRUE(first->abiErrors().empty());

    char failed[4] = "";
    bool injected = GetEnvironmentVariableA("LUNETKA_ALLOCATION_FAILED", failed, sizeof failed) > 0;

    // The same library, not loaded afresh, searches normally afterwards.
    SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", nullptr);
    auto second = loadFailingPlugin();
    first.reset();
    second->start();
    second->page().open();
    EXPECT_EQ(expected, searchOpole(*second)) << "after a failure at allocation " << n;
    second->stop();
    EXPECT_EQ(0, second->lockDepth());
    return injected;
}

}  // namespace

// Once: the N-th allocation fails and the rest succeed. Persistent: every
// allocation from the N-th on fails, as when memory has run out for good.
// Foreign: the N-th fails with an exception of no standard type, at every
// fourth point.
TEST(AllocationFailure, EveryAllocationFromStartToStopMayFail)
{
    for (const char* mode : {"once", "persistent", "foreign"}) {
        SCOPED_TRACE(mode);
        SetEnvironmentVariableA("LUNETKA_FAIL_MODE", mode);
        long points = 0;
        long step = strcmp(mode, "foreign") == 0 ? 4 : 1;
        for (long n = 1; n < 5000; n += step) {
            if (!runWithFailureAt(n))
                break;
            ++points;
            if (::testing::Test::HasFailure())
                break;
        }
        EXPECT_GT(points, 10 / step) << "the failing build did not fail: no allocations counted?";
        printf("allocation failure (%s): %ld points tried, 0 crashes, 0 locks left, 0 windows left\n", mode, points);
    }
    SetEnvironmentVariableA("LUNETKA_FAIL_MODE", nullptr);
}

// Memory runs out after the host had us make another list from inside the
// list's creation (from its icon request): the host's newer list stays, the
// interrupted creation hands back no window, and the failure is one line.
TEST(AllocationFailure, FailureAfterTheHostReplacedTheListKeepsTheHostsList)
{
    auto host = loadFailingPlugin();
    host->start();
    HWND page = support::createHostPage("strona");
    std::vector<uint8_t> outer = support::slotEvent(host::EVENT_CREATE_CONTROL, page, nullptr, 10, 10);
    std::vector<uint8_t> inner = outer;
    int icons = 0;
    host->beforeAnswer = [&](host::Op op, int message) {
        if (op != host::Op::Send || message != host::MSG_ICON_GET || ++icons != 2)
            return;
        host->send(host::MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(inner.data()));
        SetEnvironmentVariableA("LUNETKA_FAIL_MODE", "persistent");  // from the next allocation on
        SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", "1");
    };
    host->clearLog();
    host->send(host::MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(outer.data()));
    SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", nullptr);
    SetEnvironmentVariableA("LUNETKA_FAIL_MODE", nullptr);
    host->beforeAnswer = nullptr;
    EXPECT_EQ(nullptr, support::slotWindow(outer));
    HWND kept = support::slotWindow(inner);
    ASSERT_TRUE(IsWindow(kept)) << "the host's newer list stays";
    EXPECT_EQ(page, GetParent(kept));
    EXPECT_EQ(1, support::listViewsIn(page));
    ASSERT_FALSE(host->log().empty());
    EXPECT_EQ("host message failed: out of memory", host->log().back()) << "after the newer list's own lines";
    host->stop();
    EXPECT_EQ(0, support::listViewsIn(page));
    DestroyWindow(page);
}
