// The entry's replies and the routing of action events, through the real DLL.
#include <gtest/gtest.h>

#include <windows.h>

#include "host/host_layout.h"
#include "host/plugin_ids.h"
#include "tests/support/plugin_session.h"

using host::StandInHost;
using support::pluginCalls;

namespace {

using namespace host::lunetka;

const int START = host::MSG_START, STOP = host::MSG_STOP, SETTINGS = host::MSG_SETTINGS_COLUMNS,
          BUILD_UI = host::MSG_BUILD_UI, ACTION_EVENT = host::MSG_ACTION_EVENT;
const int ACTIVATED = host::EVENT_ACTIVATED, CHANGED = host::EVENT_CHANGED, REFRESH = host::EVENT_REFRESH,
          IGNORED = host::EVENT_IGNORED, CREATE = host::EVENT_CREATE_CONTROL, DESTROY = host::EVENT_DESTROY_CONTROL;
const uint16_t HEADER = host::action_event::HEADER, CONTROL = host::action_event::CONTROL_LENGTH;
// Messages the plug-in does not know: 30014 and 30015 sit among those it does.
const int UNKNOWN_MESSAGES[] = {30014, 30015, 12345};
const int UNKNOWN = UNKNOWN_MESSAGES[0];

// The host's event, claiming size bytes, with room behind for a plug-in that reads too far.
std::vector<uint8_t> eventRecord(uint16_t size, int32_t id, int32_t code)
{
    std::vector<uint8_t> event = host::eventRecord(std::max<size_t>(size, HEADER) + 64, id, 0, code);
    host::putU16(event.data(), host::action_event::SIZE, size);
    return event;
}

intptr_t sendEvent(StandInHost& host, std::vector<uint8_t>& event)
{
    return host.send(ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()));
}

// The replies the host relies on, whether the plug-in is attached or not.
struct ConstantReply {
    int message;
    intptr_t reply;
};
const ConstantReply constantReplies[] = {
    {host::MSG_QUERY_20020, 2}, {host::MSG_QUERY_22100, 1}, {host::MSG_QUERY_22101, 1},
    {host::MSG_PLUGIN_NET, 512}, {host::MSG_PLUGIN_TYPE, 0}, {host::MSG_QUERY_30012, 0},
    {host::MSG_QUERY_30017, 0},
};

void expectConstantReplies(StandInHost& host, const char* state)
{
    for (const ConstantReply& expected : constantReplies) {
        host.clearExchanges();
        EXPECT_EQ(expected.reply, host.send(expected.message)) << state << ", message " << expected.message;
        EXPECT_TRUE(pluginCalls(host).empty()) << state << ", message " << expected.message << " called the host";
    }
}

}  // namespace

TEST(MessageDispatch, ConstantRepliesDetachedAndAttached)
{
    auto host = support::loadPlugin();
    expectConstantReplies(*host, "detached");
    host->start();
    expectConstantReplies(*host, "attached");
    host->stop();
    expectConstantReplies(*host, "after stop");
}

TEST(MessageDispatch, NameRepliesAreOneStaticText)
{
    auto host = support::loadPlugin();
    intptr_t name = host->send(host::MSG_PLUGIN_NAME);
    EXPECT_STREQ("Lunetka", reinterpret_cast<const char*>(name));
    EXPECT_EQ(name, host->send(host::MSG_PLUGIN_DISPLAY_NAME));
    host->start();
    EXPECT_EQ(name, host->send(host::MSG_PLUGIN_NAME));
    EXPECT_EQ(name, host->send(host::MSG_PLUGIN_DISPLAY_NAME));
    EXPECT_TRUE(host->abiErrors().empty());
}

TEST(MessageDispatch, UnknownMessageSetsStatusOnlyWhileAttached)
{
    auto host = support::loadPlugin();
    for (int message : UNKNOWN_MESSAGES) {
        host->clearExchanges();
        EXPECT_EQ(0, host->send(message));
        EXPECT_TRUE(pluginCalls(*host).empty()) << "detached, message " << message;
    }
    host->start();
    for (int message : UNKNOWN_MESSAGES) {
        host->clearExchanges();
        EXPECT_EQ(0, host->send(message));
        const host::Exchange& status = ONLY(host->find(host::Op::SetStatus));
        EXPECT_EQ(std::vector<intptr_t>{1}, status.args);
        EXPECT_EQ(std::vector<std::string>{"setStatus"}, pluginCalls(*host));
    }
    host->clearExchanges();
    EXPECT_EQ(1, host->send(STOP));
    EXPECT_EQ(0, host->send(UNKNOWN));
    EXPECT_TRUE(host->find(host::Op::SetStatus).empty());
}

TEST(MessageDispatch, StartRegistersTheWindowClassAndStopReleasesIt)
{
    auto host = support::loadPlugin();
    EXPECT_EQ(1, host->send(START, reinterpret_cast<intptr_t>(host->controlObject())));
    WNDCLASSEXA found;
    ZeroMemory(&found, sizeof found);
    found.cbSize = sizeof found;
    EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "Lunetka", &found));
    EXPECT_EQ(1, host->send(STOP));
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "Lunetka", &found))
        << "the class would outlive the library with a dangling window procedure";
    // Once released, the class can be registered again by a new start.
    EXPECT_EQ(1, host->send(START, reinterpret_cast<intptr_t>(host->controlObject())));
    EXPECT_EQ(1, host->send(STOP));
}

TEST(MessageDispatch, StartWithoutParameterDoesNotAttach)
{
    auto host = support::loadPlugin();
    // The record ends before p1; a control object stands where p1 would be.
    EXPECT_EQ(0, host->sendRecord(host::messageRecord(START, reinterpret_cast<intptr_t>(host->controlObject()), 0, host::message::P1)));
    EXPECT_EQ(0, host->send(UNKNOWN));
    EXPECT_TRUE(host->find(host::Op::SetStatus).empty()) << "a short HM_START record was read for p1";

    EXPECT_EQ(0, host->send(START, 0));
    EXPECT_EQ(0, host->send(UNKNOWN));
    EXPECT_TRUE(host->find(host::Op::SetStatus).empty());
    EXPECT_TRUE(pluginCalls(*host).empty());
}

TEST(MessageDispatch, ShortStopStillDetaches)
{
    auto host = support::startPlugin();
    EXPECT_EQ(1, host->sendRecord(host::messageRecord(STOP, 0, 0, host::message::TAG1)));
    host->clearExchanges();
    EXPECT_EQ(0, host->send(UNKNOWN));
    EXPECT_TRUE(pluginCalls(*host).empty());
}

TEST(MessageDispatch, MalformedActionEventsAreAnsweredZeroWithoutEffect)
{
    auto host = support::startPlugin();
    auto event = eventRecord(HEADER, OPEN_WINDOW, ACTIVATED);  // would open the search window
    host->clearExchanges();

    // A 29-byte message does not carry p1, though the bytes hold a valid one.
    EXPECT_EQ(0, host->sendRecord(host::messageRecord(ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()), 0, 29)));
    EXPECT_EQ(0, host->send(ACTION_EVENT, 0));
    auto shortEvent = eventRecord(HEADER - 1, OPEN_WINDOW, ACTIVATED);
    EXPECT_EQ(0, sendEvent(*host, shortEvent));
    EXPECT_TRUE(pluginCalls(*host).empty());
    EXPECT_EQ(nullptr, support::ownWindow("Lunetka"));

    EXPECT_EQ(0, sendEvent(*host, event));  // the same event, well formed, does open it
    HWND opened = support::ownWindow("Lunetka");
    EXPECT_NE(nullptr, opened);
    DestroyWindow(opened);
}

TEST(MessageDispatch, DetachedHandlersMakeNoHostCall)
{
    auto host = support::loadPlugin();
    EXPECT_EQ(0, host->send(SETTINGS));
    EXPECT_EQ(0, host->send(BUILD_UI));
    for (int id : {FIELD, CONDITION, VALUE, RESULTS, TALK, PROPERTIES, OPEN_WINDOW}) {
        for (int code : {ACTIVATED, CHANGED, REFRESH, CREATE, DESTROY}) {
            auto event = eventRecord(CONTROL, id, code);
            EXPECT_EQ(0, sendEvent(*host, event)) << id << "/" << code;
        }
    }
    EXPECT_TRUE(pluginCalls(*host).empty());
    EXPECT_TRUE(host->actions().empty());
}

TEST(ActionRouting, CriteriaControlsReachTheSearchExceptOnCode13)
{
    auto host = support::startPlugin();
    for (int id : {FIELD, CONDITION, VALUE}) {
        host->clearExchanges();
        auto ignored = eventRecord(HEADER, id, IGNORED);
        EXPECT_EQ(0, sendEvent(*host, ignored));
        EXPECT_TRUE(pluginCalls(*host).empty()) << id;

        for (int code : {0, ACTIVATED, CHANGED, REFRESH, DESTROY}) {
            host->clearExchanges();
            auto event = eventRecord(HEADER, id, code);
            EXPECT_EQ(0, sendEvent(*host, event));
            EXPECT_EQ(3u, host->find(host::Op::Send, host::MSG_ACTION_GET_VALUE).size()) << id << "/" << code;
        }
    }
}

TEST(ActionRouting, EventsOutsideTheTableDoNothing)
{
    auto host = support::startPlugin();
    const int routes[][2] = {
        {PAGE, ACTIVATED}, {NOT_USED, ACTIVATED}, {NOT_USED, CREATE}, {RESULTS, ACTIVATED}, {RESULTS, 222},
        {TALK, CHANGED}, {PROPERTIES, REFRESH}, {OPEN_WINDOW, CHANGED}, {OPEN_WINDOW, CREATE}, {LARGE_ICON, ACTIVATED},
        {999, ACTIVATED}, {0, 0},
    };

    for (const auto& route : routes) {
        host->clearExchanges();
        auto event = eventRecord(CONTROL, route[0], route[1]);
        EXPECT_EQ(0, sendEvent(*host, event)) << route[0] << "/" << route[1];
        EXPECT_TRUE(pluginCalls(*host).empty()) << route[0] << "/" << route[1];
        EXPECT_TRUE(host::u32At(event.data(), host::action_event::WINDOW) == 0) << "the record was written";
    }
    EXPECT_EQ(nullptr, support::ownWindow("Lunetka"));
}

// The host promises to call from its user-interface thread. A start, a stop,
// a list asked for or given back, a page declared or the menu entry from
// another thread would make or destroy windows there, or forget ours: each
// is refused with a log line, and the session on our thread goes on whole.
// A question answered from constants is answered from any thread.
TEST(MessageDispatch, WindowWorkFromAnotherThreadIsRefused)
{
    auto host = support::openPluginPage("uid,net,display,city\n0,1,Ja,x\n1,1,Ala,Opole\n");
    HWND page = host->page().window();
    HWND list = host->page().slotControl(RESULTS);
    ASSERT_NE(nullptr, list);
    std::vector<uint8_t> create = support::slotEvent(CREATE, page, nullptr);
    std::vector<uint8_t> destroy = support::slotEvent(DESTROY, page, list);
    std::vector<uint8_t> menu = host::eventRecord(HEADER, OPEN_WINDOW, 0, ACTIVATED);
    struct Asked {
        const char* what;
        int message;
        intptr_t p1;
    };
    const Asked asks[] = {
        {"a list", ACTION_EVENT, reinterpret_cast<intptr_t>(create.data())},
        {"the list given back", ACTION_EVENT, reinterpret_cast<intptr_t>(destroy.data())},
        {"the menu entry", ACTION_EVENT, reinterpret_cast<intptr_t>(menu.data())},
        {"the page declared", BUILD_UI, 0},
        {"a start", START, reinterpret_cast<intptr_t>(host->controlObject())},
        {"a stop", STOP, 0},
    };
    struct Worker {
        StandInHost* host;
        const Asked* ask;
        intptr_t answer = -1;
        intptr_t name = 0;
        static DWORD WINAPI run(void* self)
        {
            Worker* worker = static_cast<Worker*>(self);
            worker->answer = worker->host->send(worker->ask->message, worker->ask->p1);
            worker->name = worker->host->send(host::MSG_PLUGIN_NAME);
            return 0;
        }
    };
    for (const Asked& ask : asks) {
        SCOPED_TRACE(ask.what);
        host->clearLog();
        Worker worker{host.get(), &ask};
        HANDLE thread = CreateThread(nullptr, 0, Worker::run, &worker, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        // Our thread serves what the worker sends its windows meanwhile.
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG pending;
            while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&pending);
        }
        CloseHandle(thread);
        EXPECT_EQ(0, worker.answer);
        EXPECT_STREQ("Lunetka", reinterpret_cast<const char*>(worker.name)) << "a constant's question is answered";
        ASSERT_EQ(1u, host->log().size());
        EXPECT_EQ("message " + std::to_string(ask.message) + " from another thread than the one that started us: refused",
                  host->log()[0]);
    }
    EXPECT_TRUE(IsWindow(list)) << "our list lives";
    EXPECT_EQ(nullptr, support::ownWindow("Lunetka")) << "no search window was made";
    EXPECT_EQ(1, support::listViewsIn(page));
    host->clearExchanges();
    host->send(UNKNOWN);
    EXPECT_EQ((std::vector<std::string>{"setStatus"}), pluginCalls(*host)) << "still started, on our thread";
    EXPECT_EQ(0, sendEvent(*host, destroy));
    EXPECT_FALSE(IsWindow(list)) << "given back on our thread";
    EXPECT_EQ(1, host->send(STOP));
}

// A host that starts us again from inside our start (from its answer to a
// question the start puts): the inner start registers the class and the
// session is its; the outer start then answers 1 too, as we are started.
TEST(MessageDispatch, StartFromInsideAStart)
{
    auto host = support::loadPlugin();
    bool again = false;
    intptr_t inner = -1;
    host->beforeAnswer = [&](host::Op op, int) {
        if (op != host::Op::GetAppInstance || again)
            return;
        again = true;
        inner = host->send(START, reinterpret_cast<intptr_t>(host->controlObject()));
    };
    EXPECT_EQ(1, host->send(START, reinterpret_cast<intptr_t>(host->controlObject())));
    host->beforeAnswer = nullptr;
    ASSERT_TRUE(again);
    EXPECT_EQ(1, inner);
    EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, ACTIVATED)) << "the class registered";
    HWND opened = support::ownWindow("Lunetka");
    EXPECT_NE(nullptr, opened);
    EXPECT_EQ(1, host->send(STOP));
    EXPECT_FALSE(IsWindow(opened));
    EXPECT_FALSE(UnregisterClassA("Lunetka", GetModuleHandleA(nullptr))) << "the stop unregistered it";
}
