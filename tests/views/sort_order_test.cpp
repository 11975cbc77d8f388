// The order of result rows under a header click. Runs natively too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/match_reference.h"
#include "views/sort_order.h"

TEST(SortOrder, CaseInsensitiveAndNegatedWhenDescending)
{
    EXPECT_EQ(0, compareShownTexts("Adam", "ADAM", true));
    EXPECT_LT(compareShownTexts("adam", "Bogdan", true), 0);
    EXPECT_GT(compareShownTexts("adam", "Bogdan", false), 0);
    EXPECT_LT(compareShownTexts("", "a", true), 0) << "an empty text sorts first";
    EXPECT_EQ(0, compareShownTexts("", "", false));
}

TEST(SortOrder, OnlyTheFirst255BytesCount)
{
    std::string base(255, 'k');
    EXPECT_EQ(0, compareShownTexts(base + "a", base + "z", true)) << "byte 256 is past the read";
    EXPECT_EQ(0, compareShownTexts(base, base + "zzz", true));
    std::string early = base;
    early[254] = 'a';
    EXPECT_LT(compareShownTexts(early + "zzz", base, true), 0) << "byte 255 still counts";
}

// As Windows' runtime compares: every byte as an unsigned char, so under the
// C locale code page 1250's letters come after every ASCII one, and only
// ASCII letters fold. Descending: "łucja", "Żaneta", "Łukasz", "zenon",
// "Bolek", "adam".
TEST(SortOrder, BytesAboveAsciiComeAfterItAsWindowsRuntimeOrdersThem)
{
    const std::vector<std::string> descending = {"\xB3ucja", "\xAF" "aneta", "\xA3ukasz", "zenon", "Bolek", "adam"};
    for (size_t a = 0; a + 1 < descending.size(); ++a)
        EXPECT_LT(compareShownTexts(descending[a], descending[a + 1], false), 0) << descending[a] << " first";
    EXPECT_NE(0, compareShownTexts("\xA3ukasz", "\xB3ukasz", true)) << "no folding above ASCII under the C locale";
}

// Under a locale that folds above ASCII, so does the comparison: Polish
// "Łukasz" and "łukasz" are one text to it.
TEST(SortOrder, BytesAboveAsciiFoldAsTheRuntimesLocaleFoldsThem)
{
    reference::PolishLocale polish;
    if (!polish.active())
        GTEST_SKIP() << "no single-byte Polish locale on this system";
    EXPECT_EQ(0, compareShownTexts("\xA3ukasz", "\xB3ukasz", true));
    EXPECT_LT(compareShownTexts("\xA3ukasz", "\xB3ukaszek", true), 0);
}

// Texts cut once for a sort of many rows order as the comparison does.
TEST(SortOrder, TextsCutOnceOrderAsTheComparison)
{
    std::string base(255, 'k');
    std::string early = base;
    early[254] = 'a';
    const std::vector<std::string> rows = {"Adam", "ADAM", "bogdan", "", base + "a", base + "z", base, early + "zzz"};
    SortTexts texts;
    for (const std::string& row : rows)
        texts.add(row.c_str(), row.size());
    for (size_t a = 0; a < rows.size(); ++a) {
        for (size_t b = 0; b < rows.size(); ++b)
            EXPECT_EQ(compareShownTexts(rows[a], rows[b], true) < 0, texts.less(a, b)) << a << " before " << b;
    }
}
