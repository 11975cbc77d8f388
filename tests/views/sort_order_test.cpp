// The order of result rows under a header click. Runs natively too.
#include <gtest/gtest.h>

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
