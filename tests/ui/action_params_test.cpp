// The action parameter text and the image address.
#include <gtest/gtest.h>

#include "host/plugin_ids.h"
#include "ui/action_params.h"
#include "ui/info_box.h"

namespace {

using namespace host::lunetka;
const std::string ICONSIZE = "\x1a" "iconsize=";
const std::string TIPWIDTH = "\x1a" "tipWidth=";
}  // namespace

TEST(ActionParams, AbsentKeyIsAppendedAtTheVeryEnd)
{
    EXPECT_EQ("\x1a" "iconsize=32", setActionParam("", ICONSIZE, "32"));
    EXPECT_EQ("lead\x04part\x1a" "tipWidth=300\x1a" "iconsize=32",
              setActionParam("lead\x04part\x1a" "tipWidth=300", ICONSIZE, "32"));
}

TEST(ActionParams, PresentKeyChangesOnlyItsValue)
{
    std::string text = "\x1a" "imgurl=x\x1a" "iconsize=16\x1a" "tipWidth=300";
    EXPECT_EQ("\x1a" "imgurl=x\x1a" "iconsize=32\x1a" "tipWidth=300", setActionParam(text, ICONSIZE, "32"));
    EXPECT_EQ("\x1a" "imgurl=x\x1a" "iconsize=\x1a" "tipWidth=300", setActionParam(text, ICONSIZE, ""));
    // The value ends at the first byte below 0x08 as well as at 0x1A.
    EXPECT_EQ("\x1a" "iconsize=48\x05rest", setActionParam("\x1a" "iconsize=16\x05rest", ICONSIZE, "48"));
    EXPECT_EQ("\x1a" "iconsize=48", setActionParam("\x1a" "iconsize=16", ICONSIZE, "48")) << "value to the end";
    // Bytes from 0x08 up, 0x80-0xFF included, belong to the value.
    EXPECT_EQ("\x1a" "iconsize=1", setActionParam("\x1a" "iconsize=\x08\x1f\xff", ICONSIZE, "1"));
}

TEST(ActionParams, KeyBeforeTheFirst0x04IsNotFound)
{
    std::string text = "\x1a" "iconsize=16\x04" "after";
    EXPECT_EQ(text + "\x1a" "iconsize=32", setActionParam(text, ICONSIZE, "32"));
    EXPECT_TRUE(hasActionParam(text, ICONSIZE)) << "hasActionParam looks from the start";
    // After the 0x04 the key is found and replaced.
    EXPECT_EQ("\x04" "\x1a" "iconsize=32\x1a" "x=1", setActionParam("\x04" "\x1a" "iconsize=16\x1a" "x=1", ICONSIZE, "32"));
}

TEST(ActionParams, TextIsNotChanged)
{
    const std::string text = "\x1a" "iconsize=16";
    setActionParam(text, ICONSIZE, "32");
    EXPECT_EQ("\x1a" "iconsize=16", text);
    EXPECT_FALSE(hasActionParam(text, TIPWIDTH));
    EXPECT_FALSE(hasActionParam(text, "\x1a" "ICONSIZE=")) << "case counts";
}

TEST(IconUrl, SignedDecimalId)
{
    EXPECT_EQ("reg://IML32/512010.ICON", iconUrl(LARGE_ICON));
    EXPECT_EQ("reg://IML32/-5.ICON", iconUrl(-5));
    EXPECT_EQ("reg://IML32/-2147483648.ICON", iconUrl(INT32_MIN)) << "the longest address fits";
}
