// The stand-in host's contact file: what it takes, and the one-line errors
// for what it does not.
#include <gtest/gtest.h>

#include "host/contact_table.h"
#include "host/host_error.h"

using host::ContactTable;
using host::HostError;

namespace {

std::string errorOf(const std::string& csv)
{
    try {
        ContactTable::fromCsvText(csv, "kontakty.csv");
    } catch (const HostError& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(ContactTable, ReadsColumnsByNameAndConvertsToWindows1250)
{
    ContactTable table = ContactTable::fromCsvText(
        "\xEF\xBB\xBFuid,net,display,city\r\n"
        "1,1,Ja,Kraków\r\n"
        "2,2,\"Nowak, \"\"Piotr\"\"\",\"Łódź\nCentrum\"\r\n"
        "\r\n"
        "3,3,Źdźbło,\n",
        "test");
    ASSERT_EQ(3, table.rows());
    EXPECT_STREQ("1", table.text(0, 0)) << "the byte-order mark is not part of the first column's name";
    EXPECT_STREQ("Krak\xF3w", table.text(0, 13));
    EXPECT_STREQ("Nowak, \"Piotr\"", table.text(1, 8));
    EXPECT_STREQ("\xA3\xF3\x64\x9F\n" "Centrum", table.text(1, 13));
    EXPECT_STREQ("\x8F\x64\x9F\x62\xB3o", table.text(2, 8));
    EXPECT_STREQ("", table.text(2, 13));
    EXPECT_EQ(3, table.integer(2, 1));
    EXPECT_EQ(nullptr, table.text(3, 0)) << "no such row";
    EXPECT_EQ(nullptr, table.text(0, 18)) << "no such column in the file";
}

TEST(ContactTable, ColumnsByNumber)
{
    ContactTable table = ContactTable::fromCsvText("col5,col21\nx,y\n", "test");
    EXPECT_STREQ("x", table.text(0, 5));
    EXPECT_STREQ("y", table.text(0, 21));
}

TEST(ContactTable, MalformedFilesAreReportedWithTheirLine)
{
    const struct {
        const char* csv;
        const char* error;
    } cases[] = {
        {"", "kontakty.csv: no header row naming the columns"},
        {"uid,colour\n", "kontakty.csv:1: unknown column name 'colour'"},
        {"uid,uid\n", "kontakty.csv:1: column 'uid' named twice"},
        {"uid,net\n1,1\n2\n", "kontakty.csv:3: 1 fields, the header names 2"},
        {"uid,display\n1,\"open\n", "kontakty.csv:2: quoted field is never closed"},
        {"uid,display\n1,\"a\"b\n", "kontakty.csv:2: text after a closing quote"},
        {"uid,net\n1,sieć\n", "kontakty.csv:2: network 'sieć' is not a number"},
        {"uid,display\n1,\xC3\x28\n", "kontakty.csv:2: text is not valid UTF-8"},
        {"uid,display\n1,Жук\n", "kontakty.csv:2: text has a character that Windows-1250 cannot hold: Жук"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.error, errorOf(c.csv)) << c.csv;
    // The plug-in would see only the text before a NUL.
    EXPECT_EQ("kontakty.csv:3: a NUL byte inside a field",
              errorOf(std::string("uid,display\n1,Ala\n2,Ola\0Kowalska\n", 35)));
}

TEST(ContactTable, RowsAddedInCodeKeepEveryColumn)
{
    ContactTable table;
    table.addRow({{8, "Ja"}});
    table.addRow({{8, "Ala"}, {13, "Opole"}});  // a column the first row did not have
    table.addRow({{13, ""}, {1, "3"}});
    ASSERT_EQ(3, table.rows());
    EXPECT_STREQ("Ja", table.text(0, 8));
    EXPECT_STREQ("", table.text(0, 13));
    EXPECT_STREQ("Opole", table.text(1, 13));
    EXPECT_STREQ("", table.text(2, 8));
    EXPECT_EQ(3, table.integer(2, 1));
    EXPECT_EQ(0, table.integer(0, 1));
}

TEST(ContactTable, UnreadableFile)
{
    try {
        ContactTable::fromCsvFile("no-such-dir/kontakty.csv");
        FAIL() << "no error";
    } catch (const HostError& error) {
        EXPECT_STREQ("cannot read contact file no-such-dir/kontakty.csv", error.what());
    }
}
