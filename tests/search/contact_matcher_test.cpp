// The matcher, called directly against the stand-in host's contact table.
#include <gtest/gtest.h>

#include "base/host_calls.h"
#include "base/plugin_state.h"
#include "search/contact_matcher.h"
#include "tests/support/plugin_session.h"

namespace {

const int DISPLAY = 8, CITY = 13, MISSING = 18;
enum { EQUALS, CONTAINS, DIFFERS, STARTS, ENDS, NOT_CONTAINS };

class Matcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.hostControl = static_cast<HostControl*>(host.controlObject());
        // Row 0 is the user's own account.
        host.setContacts(host::ContactTable::fromCsvText("uid,display,city\n"
                                                         "0,me,xabcx\n"
                                                         "1,xabcx,\n"
                                                         "2,abcabc,Łódź\n"
                                                         "3,bc,łódź\n"
                                                         "4,ABC,Ala\n",
                                                         "test"));
    }
    void TearDown() override
    {
        EXPECT_EQ(0, host.lockDepth()) << "every lock released";
        EXPECT_TRUE(host.abiErrors().empty());
        session.hostControl = nullptr;
    }

    // The single row `value` matches at (or 0), searching only that row.
    bool matchesRow(int row, const std::string& value, int condition, int column = DISPLAY)
    {
        host::ContactTable one;
        one.addRow({{column, host.contacts().text(row, column) ? host.contacts().text(row, column) : ""}});
        host::ContactTable saved = host.contacts();
        host.setContacts(one);
        std::string copy = value;
        bool matched = findContact(column, copy, condition, 0) == 0 &&
                       host.log().back().compare(0, 9, "returning") == 0;
        host.setContacts(saved);
        return matched;
    }

    host::StandInHost host;
};

}  // namespace

TEST_F(Matcher, ConditionTable)
{
    const struct {
        int row;
        const char* value;
        bool expected[6];  // Equals, Contains, Differs, StartsWith, EndsWith, NotContains
    } cases[] = {
        {1, "ABC", {false, true, true, false, false, false}},   // value ABC in xabcx
        {2, "abc", {false, true, true, true, true, false}},     // abc in abcabc
        {3, "abc", {false, false, true, false, false, true}},   // one byte longer than the cell
        {3, "bc", {true, true, false, true, true, false}},
        {4, "abc", {true, true, false, true, true, false}},     // folded both ways
        {1, "", {false, true, true, true, true, false}},        // empty value, non-empty cell
    };
    for (const auto& c : cases) {
        for (int condition = 0; condition < 6; ++condition)
            EXPECT_EQ(c.expected[condition], matchesRow(c.row, c.value, condition))
                << "value '" << c.value << "', row " << c.row << ", condition " << condition;
    }
}

TEST_F(Matcher, EmptyValueAgainstAnEmptyCell)
{
    host::ContactTable empty;
    empty.addRow({{DISPLAY, ""}});
    host.setContacts(empty);
    const bool expected[6] = {true, true, false, true, true, false};
    for (int condition = 0; condition < 6; ++condition) {
        std::string value;
        findContact(DISPLAY, value, condition, 0);
        EXPECT_EQ(expected[condition], host.log().back().compare(0, 9, "returning") == 0) << condition;
    }
}

TEST_F(Matcher, ReturnsTheFirstMatchAtOrAfterFirstRow)
{
    std::string value = "ABC";
    EXPECT_EQ(1, findContact(DISPLAY, value, CONTAINS, 1));
    EXPECT_EQ("abc", value) << "the caller's value is folded in place";
    EXPECT_EQ(2, findContact(DISPLAY, value, CONTAINS, 2));
    EXPECT_EQ(4, findContact(DISPLAY, value, CONTAINS, 3));
    EXPECT_EQ(0, findContact(DISPLAY, value, CONTAINS, 5));
    std::string city = "xabcx";
    EXPECT_EQ(0, findContact(CITY, city, EQUALS, 1)) << "row 0 is before the walk";
}

TEST_F(Matcher, PolishCapitalsStayCaseSensitiveUnderTheDefaultLocale)
{
    host.setContacts(host::ContactTable::fromCsvText("city\nx\nŁódź\nłódź\n", "test"));
    std::string small = "\xB3\xF3\x64\x9F";  // "łódź" in Windows-1250
    EXPECT_EQ(2, findContact(CITY, small, EQUALS, 1));
    std::string capital = "\xA3\xF3\x64\x9F";  // "Łódź"
    EXPECT_EQ(1, findContact(CITY, capital, EQUALS, 1));
    EXPECT_EQ("\xA3\xF3\x64\x9F", capital) << "0xA3 is not folded";
    std::string letter = "\xA3";
    EXPECT_EQ(0, findContact(CITY, letter, CONTAINS, 2)) << "Ł does not find ł";
    std::string latin = "\xA3\xD3";  // "ŁÓ": neither folds
    EXPECT_EQ(0, findContact(CITY, latin, STARTS, 1));
}

TEST_F(Matcher, UnknownConditionReadsEveryRowAndFindsNothing)
{
    for (int condition : {6, -1}) {
        host.clearExchanges();
        std::string value = "a";
        EXPECT_EQ(0, findContact(DISPLAY, value, condition, 1));
        EXPECT_EQ(4u, host.find(host::Op::ReadCell).size()) << "rows 1 to 4";
        EXPECT_EQ(1u, host.find(host::Op::LockTable).size());
        EXPECT_EQ(1u, host.find(host::Op::UnlockTable).size());
    }
}

TEST_F(Matcher, FirstRowPastTheEnd)
{
    std::string value = "Xy";
    EXPECT_EQ(0, findContact(DISPLAY, value, CONTAINS, 5));
    EXPECT_EQ((std::vector<std::string>{"searching : 8 Xy 1 5", "not found : 8 xy 1 5"}), host.log());
    // One lock, the count asked once, no cell read, released after the last line.
    EXPECT_SEQUENCE(host, {{host::Op::Send, host::MSG_LOG}, {host::Op::LockTable}, {host::Op::Send, host::MSG_CONTACT_COUNT}, {host::Op::Send, host::MSG_LOG},
                           {host::Op::UnlockTable}});
    const host::Exchange& lock = ONLY(host.find(host::Op::LockTable));
    EXPECT_EQ((std::vector<intptr_t>{1, -1, 0}), lock.args);
    EXPECT_EQ((std::vector<intptr_t>{1, -1, 0}), ONLY(host.find(host::Op::UnlockTable)).args);
}

TEST_F(Matcher, AHitLogsAndReleasesOnce)
{
    std::string value = "AbC";
    EXPECT_EQ(2, findContact(DISPLAY, value, STARTS, 1));
    EXPECT_EQ((std::vector<std::string>{"searching : 8 AbC 3 1", "returning abcabc"}), host.log());
    // The count is asked before every row.
    EXPECT_SEQUENCE(host, {{host::Op::Send, host::MSG_LOG}, {host::Op::LockTable}, {host::Op::Send, host::MSG_CONTACT_COUNT}, {host::Op::ReadCell},
                           {host::Op::Send, host::MSG_CONTACT_COUNT}, {host::Op::ReadCell}, {host::Op::Send, host::MSG_LOG},
                           {host::Op::UnlockTable}});
    EXPECT_EQ(1, host.maxLockDepth());
}

TEST_F(Matcher, CellWithoutTextIsSearchedAsEmpty)
{
    std::string value;
    EXPECT_EQ(1, findContact(MISSING, value, EQUALS, 1)) << "the host has no such column: no text";
    value = "a";
    EXPECT_EQ(1, findContact(MISSING, value, NOT_CONTAINS, 1));
}

TEST_F(Matcher, ValueWithPercentSignsIsLoggedAsText)
{
    std::string value = "%s%n%d";
    EXPECT_EQ(0, findContact(DISPLAY, value, CONTAINS, 1));
    EXPECT_EQ("searching : 8 %s%n%d 1 1", host.log().front());
}
