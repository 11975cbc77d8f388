// The six conditions against an independent reference, on random byte
// strings (0x80-0xFF, empty and long texts included). Runs natively too.
#include <gtest/gtest.h>

#include <ctype.h>

#include "search/text_match.h"
#include "tests/support/match_reference.h"

using namespace reference;

TEST(MatcherProperty, ConditionsAgreeWithTheReference)
{
    Bytes bytes(20261207);
    int checked = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string cell = referenceFold(bytes.text(round % 100 == 0 ? 700 : 12));
        std::string value;
        size_t choice = bytes.pick(0, 3);
        if (choice == 0 && !cell.empty()) {  // a piece of the cell: a likely match
            size_t from = bytes.pick(0, cell.size() - 1);
            value = cell.substr(from, bytes.pick(0, cell.size() - from));
        } else {
            value = referenceFold(bytes.text(choice == 1 ? 3 : 8));
        }
        for (int condition = -1; condition <= 6; ++condition) {
            ASSERT_EQ(referenceMatch(cell, value, condition),
                      matchesCondition(cell.data(), cell.size(), value, condition))
                << "condition " << condition << ", cell '" << cell << "', value '" << value << "'";
            ++checked;
        }
    }
    EXPECT_EQ(160000, checked);
}

TEST(MatcherProperty, FoldingChangesOnlyAtoZUnderTheDefaultLocale)
{
    for (int byte = 1; byte < 256; ++byte) {
        std::string text(1, static_cast<char>(byte));
        foldCase(text);
        EXPECT_EQ(referenceFold(std::string(1, static_cast<char>(byte))), text) << byte;
    }
}

// Above ASCII a byte folds as the runtime's tolower folds it under the
// locale in force (the host's, in the DLL): under Polish, "Ł" to "ł".
TEST(MatcherProperty, FoldingAboveAsciiFollowsTheRuntimesLocale)
{
    PolishLocale polish;
    if (!polish.active())
        GTEST_SKIP() << "no single-byte Polish locale on this system";
    // Called through a pointer: GCC assumes tolower folds as the C locale
    // does, and would decide the comparisons below at compile time.
    int (*volatile runtimeTolower)(int) = tolower;
    ASSERT_EQ(0xB3, runtimeTolower(0xA3)) << "the locale folds above ASCII";
    for (int byte = 1; byte < 256; ++byte) {
        std::string text(1, static_cast<char>(byte));
        foldCase(text);
        int expected = runtimeTolower(byte);
        EXPECT_EQ(expected, static_cast<unsigned char>(text[0])) << byte;
    }
    // So a capital Polish letter in a cell matches its small form in the value.
    std::string cell = "\xA3ukasz", value = "\xB3UKASZ";
    foldCase(cell);
    foldCase(value);
    EXPECT_TRUE(matchesCondition(cell.data(), cell.size(), value, Equals));
}
