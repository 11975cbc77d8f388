// The call layer, called directly (this program links its own copy of the
// plug-in), against the stand-in host's raw control object. Every record is
// checked as the host received it, byte by byte at its offsets.
#include <gtest/gtest.h>

#include <string.h>

#include "host/plugin_ids.h"
#include "plugin/host_calls.h"
#include "plugin/plugin_state.h"
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

TEST_F(CallLayer, HostSendTaggedPutsTag3AndNothingElse)
{
    EXPECT_EQ(5, hostSendTagged(host::MSG_PLUGIN_COUNT, -1));  // the host, the plug-in and three networks
    const host::Exchange& sent = lastSent(host::MSG_PLUGIN_COUNT);
    EXPECT_EQ(0, I32(sent.record, host::message::TAG1));
    EXPECT_EQ(0, I32(sent.record, host::message::TAG2));
    EXPECT_EQ(-1, I32(sent.record, host::message::TAG3));
    EXPECT_EQ(0, I32(sent.record, host::message::TAG4));
    EXPECT_TRUE(support::zeroBytes(sent.record, host::message::P1, host::message::LENGTH));

    hostSend(host::MSG_PLUGIN_ID_AT, 2, 0);
    EXPECT_TRUE(support::zeroBytes(lastSent(host::MSG_PLUGIN_ID_AT).record, host::message::TAG1, host::message::P1));
    EXPECT_EQ(2, I32(lastSent(host::MSG_PLUGIN_ID_AT).record, host::message::P1));
}

TEST_F(CallLayer, ActionRecordShortAndLong)
{
    static const char text[] = "caption";
    ActionSpec action = ActionSpec(PAGE, FIELD, 0x0A169040).withText(text).withParam(FIELD).withSize(100, -2);
    createAction(action);
    createActionEx(action);
    auto sent = host.find(host::Op::Send, host::MSG_ACTION_CREATE);
    ASSERT_EQ(2u, sent.size());
    const std::vector<uint8_t>& shortForm = sent[0]->payload;
    const std::vector<uint8_t>& longForm = sent[1]->payload;
    ASSERT_EQ(74u, shortForm.size()) << "nothing beyond byte 73";
    ASSERT_EQ(78u, longForm.size());
    EXPECT_EQ(host::action_def::SHORT, U16(shortForm, host::action_def::SIZE));
    EXPECT_EQ(host::action_def::LONG, U16(longForm, host::action_def::SIZE));
    EXPECT_TRUE(std::equal(shortForm.begin() + 2, shortForm.end(), longForm.begin() + 2))
        << "both forms agree on bytes 2-73";
    EXPECT_TRUE(support::zeroBytes(longForm, host::action_def::EXTRA74, host::action_def::LONG));

    EXPECT_EQ(FIELD, I32(shortForm, host::action_def::ID));
    EXPECT_EQ(PAGE, I32(shortForm, host::action_def::PARENT));
    EXPECT_EQ(-2, I32(shortForm, host::action_def::CONTACT));
    EXPECT_EQ(-1, I32(shortForm, host::action_def::POSITION));
    EXPECT_TRUE(support::zeroBytes(shortForm, host::action_def::UNUSED18, host::action_def::FIELD_MASK));
    EXPECT_EQ(0x35F, I32(shortForm, host::action_def::FIELD_MASK));
    EXPECT_EQ(0x0A169040, I32(shortForm, host::action_def::TYPE));
    EXPECT_EQ(-1, I32(shortForm, host::action_def::UNUSED38));
    EXPECT_TRUE(support::zeroBytes(shortForm, host::action_def::UNUSED42, host::action_def::TEXT));
    EXPECT_EQ(reinterpret_cast<intptr_t>(text), I32(shortForm, host::action_def::TEXT));
    EXPECT_EQ(0, I32(shortForm, host::action_def::TEXT_SIZE));
    EXPECT_EQ(0, I32(shortForm, host::action_def::VALUE58));
    EXPECT_EQ(FIELD, I32(shortForm, host::action_def::PARAM));
    EXPECT_EQ(0, I32(shortForm, host::action_def::VALUE66));
    EXPECT_EQ(100, I16(shortForm, host::action_def::WIDTH));
    EXPECT_EQ(-2, I16(shortForm, host::action_def::HEIGHT));
    EXPECT_EQ(0, I32(sent[0]->record, host::message::P2)) << "p2";
}

TEST_F(CallLayer, PositionOnlyThroughCreateActionAt)
{
    createActionAt(ActionSpec(host::PARENT_PLUGIN_MENU, OPEN_WINDOW, 0).withText("menu").withParam(SMALL_ICON), 2);
    EXPECT_EQ(2, I32(lastSent(host::MSG_ACTION_CREATE).payload, host::action_def::POSITION));
}

TEST_F(CallLayer, PageActionAddsBit0x10)
{
    createPageAction(ActionSpec(host::PARENT_CONFIG_PAGES, PAGE, 0).withText("Lunetka").withParam(SMALL_ICON));
    EXPECT_EQ(0x10, I32(lastSent(host::MSG_ACTION_CREATE).payload, host::action_def::TYPE));
    createPageAction(ActionSpec(host::PARENT_CONFIG_PAGES, PAGE, 0x0A000001).withText("Lunetka").withParam(SMALL_ICON));
    EXPECT_EQ(0x0A000011, I32(lastSent(host::MSG_ACTION_CREATE).payload, host::action_def::TYPE));
}

TEST_F(CallLayer, ValueRequestRecord)
{
    char buffer[10];
    getActionValue(CONDITION, buffer, sizeof buffer);
    const std::vector<uint8_t>& request = lastSent(host::MSG_ACTION_GET_VALUE).payload;
    ASSERT_EQ(74u, request.size());
    EXPECT_EQ(host::action_def::SHORT, U16(request, host::action_def::SIZE));
    EXPECT_EQ(CONDITION, I32(request, host::action_def::ID));
    EXPECT_EQ(PAGE, I32(request, host::action_def::PARENT));
    EXPECT_EQ(-2, I32(request, host::action_def::CONTACT));
    EXPECT_EQ(0, I32(request, host::action_def::POSITION)) << "position";
    EXPECT_TRUE(support::zeroBytes(request, host::action_def::UNUSED18, host::action_def::FIELD_MASK));
    EXPECT_EQ(65600, I32(request, host::action_def::FIELD_MASK));
    EXPECT_TRUE(support::zeroBytes(request, host::action_def::TYPE, host::action_def::TEXT));
    EXPECT_EQ(reinterpret_cast<intptr_t>(buffer), I32(request, host::action_def::TEXT));
    EXPECT_EQ(10, I32(request, host::action_def::TEXT_SIZE));
    EXPECT_TRUE(support::zeroBytes(request, host::action_def::VALUE58, host::action_def::EXTRA74));
}

TEST_F(CallLayer, IconRecordKeepsAlignmentAndReturnsItsOwnId)
{
    HINSTANCE module = reinterpret_cast<HINSTANCE>(0x12340000);
    // This module has no such resource, so the host refuses the icon (reply 0).
    EXPECT_EQ(LARGE_ICON, registerIcon(2, LARGE_ICON, module));
    const host::Exchange& sent = lastSent(host::MSG_ICON_REGISTER);
    EXPECT_EQ(0, sent.reply);
    const std::vector<uint8_t>& icon = sent.payload;
    ASSERT_EQ(36u, icon.size());
    EXPECT_EQ(host::icon_def::LENGTH, U16(icon, host::icon_def::SIZE));
    EXPECT_EQ(0, U16(icon, host::icon_def::ALIGN2)) << "alignment bytes";
    EXPECT_EQ(LARGE_ICON, I32(icon, host::icon_def::ICON_ID));
    EXPECT_EQ(2, I32(icon, host::icon_def::KIND));
    EXPECT_EQ(0, I32(icon, host::icon_def::UNUSED12));
    EXPECT_EQ(1, I32(icon, host::icon_def::LAST));
    EXPECT_EQ(0x12340000, I32(icon, host::icon_def::MODULE));
    EXPECT_EQ(LARGE_ICON, I32(icon, host::icon_def::RESOURCE));
    EXPECT_TRUE(support::zeroBytes(icon, host::icon_def::UNUSED28, host::icon_def::LENGTH));
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

TEST_F(CallLayer, ActionCallDefaults)
{
    ActionCall call;
    memset(&call, 0xCC, sizeof call);
    initActionCall(&call);
    std::vector<uint8_t> bytes = host::bytesOf(&call, sizeof call);
    ASSERT_EQ(30u, bytes.size());
    EXPECT_EQ(host::action_event::CALL_LENGTH, U16(bytes, host::action_event::SIZE));
    EXPECT_EQ(0, I32(bytes, host::action_event::ID));
    EXPECT_EQ(0, I32(bytes, host::action_event::PARENT));
    EXPECT_EQ(-2, I32(bytes, host::action_event::CONTACT));
    EXPECT_TRUE(support::zeroBytes(bytes, host::action_event::CODE, host::action_event::CALL_LENGTH));
}
