// Searches end to end: the real DLL in the stand-in host, criteria changed as
// a user would, results read back from Wine's list view.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "host/runtime_heap.h"
#include "tests/support/open_page_test.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;
enum { EQUALS, CONTAINS, DIFFERS, STARTS, ENDS, NOT_CONTAINS };

const char CONTACTS[] =
    "uid,net,display,first_name,last_name,nick,mobile,city,ip,description\n"
    "100,1,Ja,Jan,Kowalski,ja,500000000,Kraków,10.0.0.1,w pracy\n"  // row 0: the user, never searched
    "101,1,Adam Kowalski,Adam,Kowalski,adi,501111111,Kraków,10.0.0.11,w pracy\n"
    "102,2,beata Nowak,Beata,Nowak,becia,502222222,Gdańsk,10.0.0.12,na urlopie\n"
    "103,3,Cezary Kowalczyk,Cezary,Kowalczyk,czarek,503333333,kraków,10.0.0.13,\n"
    "104,9,Dorota Zielińska,Dorota,Zielińska,dora,504444444,Łódź,10.0.0.14,w pracy\n";

class SearchRun : public support::OpenPageTest {
protected:
    void SetUp() override
    {
        openPage(CONTACTS);
        host->clearExchanges();
        host->clearLog();
    }

    // The user has set all three criteria; the value edit reports its change.
    void search(int field, int condition, const std::string& value)
    {
        host->searchFor(std::to_string(field), std::to_string(condition), value);
    }

    std::vector<std::string> shownValues() { return host::shownValues(list); }
    bool searched() const
    {
        for (const std::string& line : host->log())
            if (line.compare(0, 12, "searching : ") == 0)
                return true;
        return false;
    }
};

}  // namespace

TEST_F(SearchRun, EachFieldSearchesItsColumn)
{
    // Row 2's text in every column is unique; Equals must find row 2 alone.
    const char* rowTwo[9] = {"na urlopie", "102", "beata Nowak", "502222222", "10.0.0.12",
                             "Gda\xF1sk", "Beata", "Nowak", "becia"};
    for (int field = 0; field < 9; ++field) {
        search(field, EQUALS, rowTwo[field]);
        EXPECT_EQ(std::vector<std::string>{rowTwo[field]}, shownValues()) << "field " << field;
        EXPECT_EQ(std::vector<std::string>{"beata Nowak"}, shownNames()) << "field " << field;
    }
}

TEST_F(SearchRun, EachConditionInAscendingRowOrder)
{
    const int LAST_NAME = 7;
    const struct {
        int condition;
        const char* value;
        std::vector<std::string> names;
    } cases[] = {
        {CONTAINS, "KOW", {"Adam Kowalski", "Cezary Kowalczyk"}},
        {EQUALS, "nowak", {"beata Nowak"}},
        {DIFFERS, "Nowak", {"Adam Kowalski", "Cezary Kowalczyk", "Dorota Zieli\xF1ska"}},
        {STARTS, "kowal", {"Adam Kowalski", "Cezary Kowalczyk"}},
        {ENDS, "ski", {"Adam Kowalski"}},
        {NOT_CONTAINS, "kow", {"beata Nowak", "Dorota Zieli\xF1ska"}},
        {6, "a", {}},
        // An empty value occurs in every text, so nothing "does not contain" it.
        {CONTAINS, "", {"Adam Kowalski", "beata Nowak", "Cezary Kowalczyk", "Dorota Zieli\xF1ska"}},
        {NOT_CONTAINS, "", {}},
        // The first letter where the value could last begin, the rest not; longer than every text.
        {CONTAINS, "kx", {}},
        {ENDS, "Zieli\xF1ska Kowalski", {}},
    };
    for (const auto& c : cases) {
        search(LAST_NAME, c.condition, c.value);
        EXPECT_EQ(c.names, shownNames()) << "condition " << c.condition << " '" << c.value << "'";
    }
    // Row 0 ("Kowalski" too) is never read in the searched column.
    for (const host::Exchange* read : host->find(host::Op::ReadCell))
        EXPECT_NE(0, read->args.at(1));
}

TEST_F(SearchRun, RowsShowNameValueIconAndEntryIndex)
{
    search(5, CONTAINS, "KRAK");
    std::vector<host::ResultRow> rows = host::readResultRows(list);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("Adam Kowalski", rows[0].contact);
    EXPECT_EQ("Krak\xF3w", rows[0].value) << "as the host holds it, not folded";
    EXPECT_EQ(1, rows[0].image);
    EXPECT_EQ(0, rows[0].itemData);
    EXPECT_EQ("Cezary Kowalczyk", rows[1].contact);
    EXPECT_EQ("krak\xF3w", rows[1].value);
    EXPECT_EQ(3, rows[1].image);
    EXPECT_EQ(1, rows[1].itemData);

    search(5, EQUALS, "\xA3\xF3\x64\x9F");
    rows = host::readResultRows(list);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(0, rows[0].image) << "network 9 has no icon: the general one";
    EXPECT_EQ("net 9, used icon number 0", host->log().back());
}

TEST_F(SearchRun, LogOfASearchWithTwoHits)
{
    search(5, CONTAINS, "Krak");
    EXPECT_EQ((std::vector<std::string>{
                  "searching : 13 Krak 1 1",
                  "returning krak\xF3w",
                  "found : Adam Kowalski Krak\xF3w 1",
                  "searching : 13 krak 1 2",
                  "returning krak\xF3w",
                  "found : Cezary Kowalczyk krak\xF3w 3",
                  "searching : 13 krak 1 4",
                  "not found : 13 krak 1 4",
                  "net 1, used icon number 1",
                  "net 3, used icon number 3",
              }),
              host->log());
    // The criteria first; each hit's cells are read after its walk let the table go.
    using host::Op;
    std::vector<support::ExpectedExchange> expected(3, {Op::Send, host::MSG_ACTION_GET_VALUE});
    const support::ExpectedExchange log = {Op::Send, host::MSG_LOG}, count = {Op::Send, host::MSG_CONTACT_COUNT},
                                    cell = {Op::ReadCell}, lock = {Op::LockTable}, unlock = {Op::UnlockTable};
    expected.insert(expected.end(), {log, lock, count, cell, log, unlock, cell, cell, cell, log,        // row 1
                                     log, lock, count, cell, count, cell, log, unlock, cell, cell, cell, log,  // 3
                                     log, lock, count, cell, count, log, unlock,                       // none
                                     log, log});                                                       // icons
    EXPECT_SEQUENCE(*host, expected);
}

TEST_F(SearchRun, ValueRequestsInOrderWithTheirSizes)
{
    search(5, CONTAINS, "x");
    auto requests = host->find(host::Op::Send, host::MSG_ACTION_GET_VALUE);
    ASSERT_EQ(3u, requests.size());
    const int ids[] = {CONDITION, VALUE, FIELD}, sizes[] = {10, 500, 10};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ids[i], I32(requests[i]->payload, host::action_def::ID));
        EXPECT_EQ(PAGE, I32(requests[i]->payload, host::action_def::PARENT));
        EXPECT_EQ(sizes[i], I32(requests[i]->payload, host::action_def::TEXT_SIZE));
        EXPECT_EQ(65600, I32(requests[i]->payload, host::action_def::FIELD_MASK));
        EXPECT_EQ(host::action_def::SHORT, U16(requests[i]->payload, host::action_def::SIZE));
        EXPECT_EQ(-2, I32(requests[i]->payload, host::action_def::CONTACT));
        EXPECT_TRUE(support::zeroBytes(requests[i]->payload, host::action_def::POSITION, host::action_def::FIELD_MASK));
        EXPECT_TRUE(support::zeroBytes(requests[i]->payload, host::action_def::TYPE, host::action_def::TEXT));
        EXPECT_TRUE(support::zeroBytes(requests[i]->payload, host::action_def::VALUE58, host::action_def::SHORT));
    }
    EXPECT_EQ(I32(requests[0]->payload, host::action_def::TEXT), I32(requests[1]->payload, host::action_def::TEXT)) << "one work buffer";
}

TEST_F(SearchRun, SearchesOnlyWhenSomethingChangedOrIsForced)
{
    search(5, CONTAINS, "krak");
    ASSERT_EQ(2u, shownNames().size());

    host->clearLog();
    host->clearExchanges();
    host->actionEvent(FIELD, host::EVENT_CHANGED);
    EXPECT_FALSE(searched()) << "nothing changed";
    EXPECT_EQ(3u, host->find(host::Op::Send, host::MSG_ACTION_GET_VALUE).size()) << "the texts are still read";
    EXPECT_EQ(2u, shownNames().size());

    host->clearExchanges();
    host->settings()[VALUE].value = "gda";
    host->actionEvent(CONDITION, host::EVENT_IGNORED);
    EXPECT_TRUE(host->find(host::Op::Send, host::MSG_ACTION_GET_VALUE).empty()) << "code 13 reads nothing";
    EXPECT_EQ(2u, shownNames().size());

    host->actionEvent(CONDITION, host::EVENT_CHANGED);
    EXPECT_EQ(std::vector<std::string>{"beata Nowak"}, shownNames()) << "the change is seen after a 13";

    host->clearLog();
    host->actionEvent(VALUE, host::EVENT_REFRESH);
    EXPECT_TRUE(searched()) << "code 12 forces a search";
    EXPECT_EQ(std::vector<std::string>{"beata Nowak"}, shownNames());

    host->clearLog();
    host->settings()[VALUE].value = "GDA";
    host->actionEvent(VALUE, host::EVENT_CHANGED);
    EXPECT_TRUE(searched()) << "a change of case is a change";
    EXPECT_EQ(std::vector<std::string>{"beata Nowak"}, shownNames());
}

TEST_F(SearchRun, LongValueIsReadAndSearchedWhole)
{
    std::string long499(499, 'q');
    long499[0] = 'Q';
    host::ContactTable table = host->contacts();
    table.addRow({{1, "1"}, {8, "long"}, {18, std::string(499, 'q')}});
    table.addRow({{1, "1"}, {8, "longer"}, {18, std::string(500, 'q')}});
    host->setContacts(table);

    search(0, EQUALS, long499);
    EXPECT_EQ(std::vector<std::string>{"long"}, shownNames());
    search(0, EQUALS, long499 + "qqq");  // the host cuts it to 499 bytes: no change, no search
    EXPECT_EQ(std::vector<std::string>{"long"}, shownNames());
    search(0, STARTS, long499);
    EXPECT_EQ((std::vector<std::string>{"long", "longer"}), shownNames());
}

TEST_F(SearchRun, FieldOutsideTheListSearchesNothing)
{
    search(5, CONTAINS, "krak");
    for (const char* field : {"9", "-1", "2147483647"}) {
        host->clearLog();
        host->settings()[FIELD].value = field;
        host->actionEvent(FIELD, host::EVENT_CHANGED);
        EXPECT_TRUE(shownNames().empty()) << field;
        EXPECT_FALSE(searched()) << field;
    }
    EXPECT_EQ("unknown field 214748364, nothing searched", host->log().back()) << "read into 10 bytes";
}

TEST_F(SearchRun, UnansweredValueRequestsReadAsEmpty)
{
    host->setAnswerValueRequests(false);
    host->actionEvent(VALUE, host::EVENT_REFRESH);
    // Condition 0 (Equals), field 0 (description), value "": the contact with no description.
    EXPECT_EQ(std::vector<std::string>{"Cezary Kowalczyk"}, shownNames());
}

TEST_F(SearchRun, HitWithoutTextsShowsEmptyTexts)
{
    host::ContactTable bare = host::ContactTable::fromCsvText("uid\n0\n7\n", "test");
    host->setContacts(bare);
    search(1, EQUALS, "7");
    std::vector<host::ResultRow> rows = host::readResultRows(list);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("", rows[0].contact) << "no display name column";
    EXPECT_EQ("found :  7 0", host->log().at(2));
}

namespace {

// The cities that contain "krak", searched with the event given.
void searchKrak(host::StandInHost& host, int code)
{
    host.searchFor("5", "1", "krak", code);
}

}  // namespace

TEST(SearchWithoutList, FillsTheResultsAndSendsNoListMessage)
{
    auto host = support::loadPlugin();
    host->setContacts(host::ContactTable::fromCsvText(CONTACTS, "test"));
    host->start();
    searchKrak(*host, host::EVENT_CHANGED);
    EXPECT_EQ("net 3, used icon number 0", host->log().back()) << "no list, no image list: every net is 0";
    host->clearExchanges();
    host->actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
    host->actionEvent(TALK, host::EVENT_ACTIVATED);
    EXPECT_TRUE(host->find(host::Op::Send, host::MSG_ACTION_CALL).empty()) << "no list, no focused row";
    EXPECT_EQ(0, host->lockDepth());
}

// A stop gives the list's images back, and their map with them: the next
// session, before its first list, shows every network with the general icon.
TEST(SearchWithoutList, NextSessionKnowsNoIconsBeforeItsList)
{
    auto host = support::openPluginPage(CONTACTS);
    searchKrak(*host, host::EVENT_CHANGED);
    ASSERT_EQ("net 3, used icon number 3", host->log().back()) << "the list's own image";
    host->stop();
    host->start();
    searchKrak(*host, host::EVENT_REFRESH);
    EXPECT_EQ("net 3, used icon number 0", host->log().back()) << "no list yet, no image list: every net is 0";
}

// Thousands of hits of every length, some cut at the limit, fill many of the
// result set's text blocks, and a hit that does not fit the rest of a block
// moves to the next: every row still shows its own two texts, whole.
namespace {

// The plug-in started on table, its page open, and a search of the
// description column for texts ending with value.
void searchDescriptions(host::StandInHost& host, const host::ContactTable& table, const char* value)
{
    host.setContacts(table);
    host.start();
    host.page().open();
    host.searchFor("5", std::to_string(ENDS), value);
}

}  // namespace

TEST(SearchRunAlone, HitsOverManyTextBlocksKeepTheirTexts)
{
    auto host = support::loadPlugin();
    host::ContactTable table;
    table.addRow({{1, "1"}, {8, "Ja"}, {13, "x"}});
    std::vector<std::pair<std::string, std::string>> expected;
    for (int row = 1; row <= 5000; ++row) {  // past one block of hits, too
        std::string name = "Kontakt " + std::to_string(row) + std::string(static_cast<size_t>(row % 61), 'n');
        size_t length = row % 7 == 0 ? 4090 + static_cast<size_t>(row % 13) : static_cast<size_t>(row % 300);
        std::string value = std::string(length, static_cast<char>('a' + row % 26)) + "z";
        table.addRow({{1, "1"}, {8, name}, {13, value}});
        expected.push_back({name, value.substr(0, 4096)});
    }
    searchDescriptions(*host, table, "Z");
    std::vector<host::ResultRow> rows = host::readResultRows(host->page().slotControl(RESULTS), 8192);
    ASSERT_EQ(expected.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(expected[i].first, rows[i].contact) << "row " << i;
        EXPECT_EQ(expected[i].second, rows[i].value) << "row " << i;
        EXPECT_EQ(static_cast<intptr_t>(i), rows[i].itemData) << "row " << i;
    }
}

TEST(SearchRunAlone, GiantCellsAreSearchedWholeAndShownCut)
{
    // What lies far past what a hit keeps is still found, and a hit on a
    // megabyte cell keeps a bounded copy, so thousands of them fit.
    auto host = support::loadPlugin();
    host::ContactTable table;
    table.addRow({{1, "1"}, {8, "Ja"}, {13, "x"}});
    std::string giant = std::string(1024 * 1024, 'a') + "igla";
    for (int row = 1; row <= 3; ++row)
        table.addRow({{1, "1"}, {8, "Kontakt " + std::to_string(row)}, {13, row == 2 ? "igla" : giant}});
    searchDescriptions(*host, table, "IGLA");
    std::vector<host::ResultRow> rows = host::readResultRows(host->page().slotControl(RESULTS));
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("igla", rows[1].value);
    EXPECT_EQ(std::string(1023, 'a'), rows[0].value) << "the list shows the start of the cell";

    char text[8192] = "";
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(host->page().slotControl(RESULTS), LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(4096u, strlen(text)) << "a hit keeps the first 4096 bytes of its texts";
    EXPECT_EQ(0, host->lockDepth());
}

// A stop gives back what the searches took: the result set with its texts,
// and the walks' cell buffer, which keeps a cell of up to 64 KB between
// walks. Measured on the C runtime's heap, which the plug-in shares with
// this program.
TEST(SearchRunAlone, StopGivesBackWhatTheSearchTook)
{
    auto host = support::loadPlugin();
    host->recording().exchanges = false;
    host->recording().logText = false;
    host::ContactTable table;
    table.addRow({{1, "1"}, {8, "Ja"}, {13, "x"}});
    for (int row = 1; row <= 200; ++row)
        table.addRow({{1, "1"}, {8, "Kontakt " + std::to_string(row)}, {13, std::string(4000, 'a') + "z"}});
    table.addRow({{1, "1"}, {8, "Ostatni"}, {13, std::string(60000, 'b')}});  // the last cell the last walk reads
    host->setContacts(std::move(table));
    host->start();
    host->page().open();
    size_t before = host::runtimeHeapInUse();
    host->searchFor("5", std::to_string(ENDS), "z");
    ASSERT_EQ(200u, host::readResultRows(host->page().slotControl(RESULTS)).size());
    EXPECT_GT(host::runtimeHeapInUse(), before + 800 * 1000) << "the hits keep their texts";
    host->stop();
    size_t after = host::runtimeHeapInUse();
    EXPECT_LT(after, before + 16 * 1024) << after - before << " bytes kept past the stop";
}
