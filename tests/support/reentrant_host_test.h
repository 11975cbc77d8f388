// A host that calls the plug-in back from inside any of the plug-in's calls
// to it: a log line, a value or cell request, an icon request, a
// notification its page hears. Each test starts with our list in a page of
// the host's, on six contacts, four of them in Opole, and ends with the table
// lock balanced and no walk inside another, whatever the host asked.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "host/host_layout.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace reentrant {

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
    // The host's move from inside one of our calls: a stop, or a 220 or 221
    // on the page (for window); the slot event's record as it came back.
    std::vector<uint8_t> hostMove(int move, HWND window = nullptr)
    {
        if (move == STOP) {
            host->send(STOP);
            return {};
        }
        return support::sendSlotEvent(*host, move, page, window, 10, 10);
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

inline int countLines(const std::vector<std::string>& log, const std::string& start)
{
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
        return line.compare(0, start.size(), start) == 0;
    }));
}

}  // namespace reentrant
