// The action parameter text and the image address.
#include <gtest/gtest.h>

#include <stdint.h>

#include "host/plugin_ids.h"
#include "ui/action_params.h"
#include "ui/info_box.h"

using namespace host::lunetka;

TEST(ActionParams, EachKeyIsAppendedAtTheVeryEnd)
{
    std::string text = setActionParam("", ACTION_PARAM_KEY("iconsize"), "32");
    EXPECT_EQ("\x1a" "iconsize=32", text);
    EXPECT_EQ("\x1a" "iconsize=32\x1a" "tipRich=", setActionParam(text, ACTION_PARAM_KEY("tipRich"), ""))
        << "an empty value keeps its key";
    EXPECT_EQ("\x1a" "iconsize=32", text) << "the text itself is not changed";
}

TEST(IconUrl, SignedDecimalId)
{
    EXPECT_EQ("reg://IML32/512010.ICON", iconUrl(LARGE_ICON));
    EXPECT_EQ("reg://IML32/-5.ICON", iconUrl(-5));
    EXPECT_EQ("reg://IML32/-2147483648.ICON", iconUrl(INT32_MIN)) << "the longest address fits";
}
