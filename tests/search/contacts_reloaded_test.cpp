// The README's example message (examples/contacts_reloaded.cpp), through the
// example build of the DLL: a reload is searched afresh with no row of the
// old table left on screen, only where a page is open, and never under a
// search that runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "host/host_layout.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const char* const BEFORE = support::TWO_IN_OPOLE;
const char AFTER[] = "uid,net,display,city\n0,1,Ja,x\n1,1,Ela,Opole\n2,2,Iza,Nysa\n3,1,Ula,opole\n";
const int CITY = 5, EQUALS = 0;

class ContactsReloaded : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = support::openPluginPage(BEFORE, support::testBuildPath("lunetka-example.dll"));
        host->searchFor(std::to_string(CITY), std::to_string(EQUALS), "opole");
        ASSERT_EQ(std::vector<std::string>({"Ala", "Ola"}), shownNames());
    }
    void TearDown() override
    {
        host->beforeAnswer = nullptr;
        EXPECT_EQ(0, host->lockDepth());
        EXPECT_TRUE(host->abiErrors().empty());
    }

    HWND list() const { return host->page().slotControl(RESULTS); }
    std::vector<std::string> shownNames(HWND shown = nullptr) const { return host::shownNames(shown ? shown : list()); }
    void reload()
    {
        host->setContacts(host::ContactTable::fromCsvText(AFTER, "reloaded"));
        EXPECT_EQ(0, host->send(host::MSG_CONTACTS_RELOADED_EXAMPLE));
    }
    // A walk begins with the table's first lock after the criteria are read
    // (log lines between them aside).
    size_t walks() const
    {
        size_t begun = 0;
        bool criteriaRead = false;
        for (const host::Exchange& exchange : host->exchanges()) {
            bool isSend = exchange.op == host::Op::Send;
            if (isSend && exchange.message == host::MSG_LOG)
                continue;
            begun += criteriaRead && exchange.op == host::Op::LockTable;
            criteriaRead = isSend && exchange.message == host::MSG_ACTION_GET_VALUE;
        }
        return begun;
    }

    std::unique_ptr<host::StandInHost> host;
};

TEST_F(ContactsReloaded, TheNewTableIsWalkedWithNoRowOfTheOldOneOnScreen)
{
    std::vector<int> rowsDuringWalk;
    host->beforeAnswer = [this, &rowsDuringWalk](host::Op op, int) {
        if (op == host::Op::ReadCell)
            rowsDuringWalk.push_back(static_cast<int>(SendMessageA(list(), LVM_GETITEMCOUNT, 0, 0)));
    };
    host->clearExchanges();
    reload();
    EXPECT_EQ(1u, walks());
    ASSERT_FALSE(rowsDuringWalk.empty());
    EXPECT_EQ(std::vector<int>(rowsDuringWalk.size(), 0), rowsDuringWalk);
    EXPECT_EQ(std::vector<std::string>({"Ela", "Ula"}), shownNames());
}

TEST_F(ContactsReloaded, WithNoPageOpenTheSearchWaitsForThePage)
{
    HWND page = host->page().window();
    support::giveListBack(*host, page, list());
    host->clearExchanges();
    reload();
    EXPECT_EQ(0u, walks());
    EXPECT_TRUE(host->find(host::Op::SetStatus).empty());  // a message it knows

    HWND shownAgain = host->page().requestControl(RESULTS, 10, 10).window;
    host->actionEvent(VALUE, host::EVENT_CHANGED);  // the texts as they were: only the search owed walks
    EXPECT_EQ(1u, walks());
    EXPECT_EQ(std::vector<std::string>({"Ela", "Ula"}), shownNames(shownAgain));
}

// The host hears of the reload while our list is being filled (it subclassed
// our list, and its first insert tells it): the fill goes on with the hits it
// began with, and the new table is searched once it is done.
TEST_F(ContactsReloaded, DuringAFillItWaitsForThatSearchToBeShown)
{
    bool reloaded = false;
    support::putHostProcedure(list(), [&](WNDPROC next, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == LVM_INSERTITEMA && !reloaded) {
            reloaded = true;
            reload();
        }
        return CallWindowProcA(next, hwnd, message, wParam, lParam);
    });
    host->clearExchanges();
    host->actionEvent(VALUE, host::EVENT_REFRESH);  // a forced search of the old table
    support::takeHostProcedureAway(list());
    EXPECT_TRUE(reloaded);
    EXPECT_EQ(2u, walks());
    EXPECT_EQ(std::vector<std::string>({"Ela", "Ula"}), shownNames());
}

TEST_F(ContactsReloaded, BeforeAStartOrAfterAStopItIsNotAnswered)
{
    host->send(host::MSG_STOP);
    host->clearExchanges();
    EXPECT_EQ(0, host->send(host::MSG_CONTACTS_RELOADED_EXAMPLE));
    EXPECT_EQ(0u, walks());
}

}  // namespace
