// The stand-in host's own ABI checks hold whether or not it records: a record
// of the wrong size, or a message without the record it needs, is reported
// the same way for every message, also on the benchmark's quiet path.
#include <gtest/gtest.h>

#include "tests/support/plugin_session.h"

namespace {

typedef intptr_t(__stdcall* SendMessageSlot)(void* self, void* record);

// Calls slot 7 of the control object as a plug-in would, through its table.
intptr_t sendThroughTable(host::StandInHost& host, void* record)
{
    void* control = host.controlObject();
    void** table = *static_cast<void***>(control);
    return reinterpret_cast<SendMessageSlot>(table[7])(control, record);
}

std::vector<uint8_t> message(uint16_t size, int id, intptr_t p1 = 0)
{
    std::vector<uint8_t> record(40, 0);
    host::putU16(record.data(), host::message::SIZE, size);
    host::putI32(record.data(), host::message::ID, id);
    host::putI32(record.data(), host::message::P1, static_cast<int32_t>(p1));
    return record;
}

}  // namespace

TEST(HostAbiChecks, SameWhetherRecordingOrNot)
{
    for (bool recording : {true, false}) {
        SCOPED_TRACE(recording ? "recording" : "not recording");
        host::StandInHost host;
        host.recording().exchanges = recording;

        std::vector<uint8_t> fine = message(host::message::LENGTH, host::MSG_CONTACT_COUNT);
        sendThroughTable(host, fine.data());
        EXPECT_TRUE(host.abiErrors().empty());

        std::vector<uint8_t> shortOne = message(host::message::LENGTH - 1, host::MSG_CONTACT_COUNT);
        sendThroughTable(host, shortOne.data());
        ASSERT_EQ(1u, host.abiErrors().size());
        EXPECT_EQ("message 201 has size 29", host.abiErrors()[0]);

        EXPECT_EQ(0, sendThroughTable(host, nullptr));
        EXPECT_EQ(2u, host.abiErrors().size()) << "a null record";

        // Each message that carries a record in p1 reports a missing one alike.
        for (int id : {host::MSG_ACTION_CREATE, host::MSG_ACTION_CALL, host::MSG_ACTION_GET_VALUE, host::MSG_ICON_REGISTER}) {
            size_t before = host.abiErrors().size();
            std::vector<uint8_t> bare = message(30, id, 0);
            sendThroughTable(host, bare.data());
            EXPECT_EQ(before + 1, host.abiErrors().size()) << "message " << id << " without its record";
        }
    }
}

TEST(HostAbiChecks, RecordsOfTheWrongSizeInsideMessages)
{
    host::StandInHost host;
    std::vector<uint8_t> call(30, 0);
    host::putU16(call.data(), host::action_event::SIZE, host::action_event::HEADER);  // a bare event header where a 30-byte call belongs
    std::vector<uint8_t> carrier = message(30, host::MSG_ACTION_CALL, reinterpret_cast<intptr_t>(call.data()));
    sendThroughTable(host, carrier.data());
    ASSERT_EQ(1u, host.abiErrors().size());
    EXPECT_EQ("host action call of 18 bytes", host.abiErrors()[0]);

    std::vector<uint8_t> request(78, 0);
    host::putU16(request.data(), host::action_def::SIZE, host::action_def::LONG);
    carrier = message(30, host::MSG_ACTION_GET_VALUE, reinterpret_cast<intptr_t>(request.data()));
    sendThroughTable(host, carrier.data());
    ASSERT_EQ(2u, host.abiErrors().size());
    EXPECT_EQ("action value request of 78 bytes", host.abiErrors()[1]);
}
