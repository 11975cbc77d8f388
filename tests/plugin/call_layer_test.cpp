// The call layer, called directly (this program links its own copy of the
// plug-in), against the stand-in host's raw control object. Every record is
// checked as the host received it, byte by byte at its offsets.
#include <gtest/gtest.h>

#include <string.h>

#include "host/plugin_ids.h"
#include "base/host_calls.h"
#include "base/plugin_state.h"
#include "plugin/message_dispatch.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

class CallLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.attachEntry(reinterpret_cast<void*>(IMessageProc), GetModuleHandleA(nullptr));
        session.hostControl = static_cast<HostControl*>(host.controlObject());
    }
    void TearDown() override
    {
        session.hostControl = nullptr;
        EXPECT_TRUE(host.abiErrors().empty());
    }

    const host::Exchange& lastSent(int message)
    {
        auto found = host.find(host::Op::Send, message);
        static const host::Exchange none;
        if (found.empty()) {
            ADD_FAILURE() << "message " << message << " was not sent";
            return none;
        }
        return *found.back();
    }

    host::StandInHost host;
};

std::string repeated(size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

}  // namespace

TEST_F(CallLayer, LogLineIsAMessageWithTextAndLevel)
{
    logLine("searching : %d %s %d %d", 18, "abc", 1, 1);
    const host::Exchange& sent = lastSent(host::MSG_LOG);
    ASSERT_EQ(30u, sent.record.size());
    EXPECT_EQ(host::message::LENGTH, U16(sent.record, host::message::SIZE));
    EXPECT_EQ(host::MSG_LOG, I32(sent.record, host::message::ID));
    EXPECT_TRUE(support::zeroBytes(sent.record, host::message::TAG1, host::message::P1)) << "tags";
    EXPECT_NE(0, I32(sent.record, host::message::P1));
    EXPECT_EQ(256, I32(sent.record, host::message::P2));
    EXPECT_EQ("searching : 18 abc 1 1", sent.text);
}

TEST_F(CallLayer, LogLineIsCutAt254Characters)
{
    const struct {
        size_t length, delivered;
    } cases[] = {{253, 253}, {254, 254}, {255, 254}, {300, 254}};
    for (const auto& c : cases) {
        std::string line = repeated(c.length);
        logLine("%s", line.c_str());
        EXPECT_EQ(line.substr(0, c.delivered), host.log().back()) << c.length << " characters";
    }
}

TEST_F(CallLayer, SendToPluginAsksItsOwnIdOnlyForTargetZero)
{
    host.setPluginId(41);
    intptr_t name = pluginSend(host::MSG_PLUGIN_DISPLAY_NAME, 0);
    EXPECT_STREQ("Lunetka", reinterpret_cast<const char*>(name)) << "delivered to the plug-in itself";
    EXPECT_EQ(1u, host.find(host::Op::GetPluginId).size());
    const host::Exchange& sent = ONLY(host.find(host::Op::SendTo));
    EXPECT_EQ(std::vector<intptr_t>{41}, sent.args);
    EXPECT_EQ(host::message::LENGTH, U16(sent.record, host::message::SIZE));
    EXPECT_EQ(host::MSG_PLUGIN_DISPLAY_NAME, I32(sent.record, host::message::ID));
    EXPECT_TRUE(support::zeroBytes(sent.record, host::message::TAG1, host::message::LENGTH));

    host.clearExchanges();
    pluginSend(host::MSG_PLUGIN_TYPE, 302);
    EXPECT_TRUE(host.find(host::Op::GetPluginId).empty());
    const host::Exchange& direct = ONLY(host.find(host::Op::SendTo));
    EXPECT_EQ(std::vector<intptr_t>{302}, direct.args);
    EXPECT_EQ(0x20, direct.reply) << "the host's network plug-in answered";
}

TEST_F(CallLayer, ContactCellsComeBackAsTheHostGaveThem)
{
    host.setContacts(host::ContactTable::fromCsvText("uid,net,display\n1,5,Ja\n2,3,Ala\n", "test"));
    const char* text = readContactText(1, 8);
    ASSERT_STREQ("Ala", text);
    EXPECT_EQ(host.contacts().text(1, 8), text) << "the host's own pointer, not a copy";
    const host::Exchange& read = ONLY(host.find(host::Op::ReadCell));
    EXPECT_EQ((std::vector<intptr_t>{1, 1, 8}), read.args);
    EXPECT_EQ(1, U16(read.record, host::cell_value::TYPE));
    EXPECT_EQ(0, I32(read.record, host::cell_value::BUFFER_SIZE));

    EXPECT_EQ(3, readContactInt(1, 1));
    EXPECT_EQ(0, U16(host.find(host::Op::ReadCell).back()->record, host::cell_value::TYPE));
    EXPECT_EQ(nullptr, readContactText(9, 8)) << "a row the table does not have";
}
