// The info box, declared by this program's own copy of the plug-in into a
// stand-in host that answers the name request through IMessageProc.
#include <gtest/gtest.h>

#include "host/plugin_ids.h"
#include "plugin/host_calls.h"
#include "plugin/plugin_state.h"
#include "plugin/message_dispatch.h"
#include "tests/support/plugin_session.h"
#include "ui/info_box.h"

namespace {

using namespace host::lunetka;

class InfoBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        // This program has no version block: the host writes an empty version text.
        host.attachEntry(reinterpret_cast<void*>(IMessageProc), GetModuleHandleA(nullptr));
        session.hostControl = static_cast<HostControl*>(host.controlObject());
    }
    void TearDown() override { session.hostControl = nullptr; }

    std::vector<std::vector<uint8_t>> declared()
    {
        std::vector<std::vector<uint8_t>> records;
        for (const host::Exchange* sent : host.find(host::Op::Send, host::MSG_ACTION_CREATE))
            records.push_back(sent->payload);
        return records;
    }

    host::StandInHost host;
};

}  // namespace

TEST_F(InfoBox, GroupStartImageTextGroupEnd)
{
    addInfoBox("<br/>extra");
    auto records = declared();
    ASSERT_EQ(4u, records.size());
    const std::vector<host::Action>& actions = host.actions();
    EXPECT_EQ(0x000F0000u, actions[0].type);
    EXPECT_TRUE(actions[0].hasText) << "an empty, not a null, caption";
    EXPECT_EQ("", actions[0].text);
    EXPECT_EQ(0x001C0040u, actions[1].type);
    EXPECT_EQ(0x00180080u, actions[2].type);
    EXPECT_EQ(0x00100000u, actions[3].type);
    EXPECT_FALSE(actions[3].hasText);
    for (const auto& record : records) {
        EXPECT_EQ(PAGE, I32(record, host::action_def::PARENT));
        EXPECT_EQ(0, I32(record, host::action_def::ID)) << "info box actions have id 0";
        EXPECT_EQ(-1, I32(record, host::action_def::POSITION));
    }
    EXPECT_EQ(host::action_def::SHORT, U16(records[1], host::action_def::SIZE));
    EXPECT_EQ(40, I16(records[1], host::action_def::WIDTH));
    EXPECT_EQ(40, I16(records[1], host::action_def::HEIGHT));
    EXPECT_EQ(host::action_def::LONG, U16(records[2], host::action_def::SIZE));
    EXPECT_EQ(300, I16(records[2], host::action_def::WIDTH));
    EXPECT_EQ(-2, I16(records[2], host::action_def::HEIGHT));
    EXPECT_TRUE(support::zeroBytes(records[2], host::action_def::EXTRA74, host::action_def::LONG));
    // This program has no version block: the host writes an empty version
    // text, and the title is the name and one space.
    EXPECT_EQ("\x1a" "imgurl=reg://IML32/512010.ICON\x1a" "iconsize=32\x1a" "tipRich=<b>Lunetka </b><br/><br/>extra"
              "\x1a" "tipWidth=300",
              actions[1].text);
}

TEST_F(InfoBox, TheNameIsAskedThroughTheHost)
{
    host.setPluginId(55);
    addInfoBox("");
    const host::Exchange& asked = ONLY(host.find(host::Op::SendTo, host::MSG_PLUGIN_DISPLAY_NAME));
    EXPECT_EQ(std::vector<intptr_t>{55}, asked.args);
    EXPECT_TRUE(support::zeroBytes(asked.record, host::message::TAG1, host::message::LENGTH)) << "tags and parameters 0";
    EXPECT_EQ(1u, host.find(host::Op::Entry, host::MSG_PLUGIN_DISPLAY_NAME).size()) << "answered by the plug-in itself";
    const host::Exchange& module = ONLY(host.find(host::Op::Send, host::MSG_PLUGIN_MODULE));
    EXPECT_EQ(55, I32(module.record, host::message::P1));
    const host::Exchange& version = ONLY(host.find(host::Op::Send, host::MSG_VERSION_TEXT));
    EXPECT_EQ(module.reply, I32(version.record, host::message::P1));
    EXPECT_NE(0, I32(version.record, host::message::P2)) << "the buffer";
}
