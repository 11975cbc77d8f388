#include "plugin/message_dispatch.h"

#include "base/action_ids.h"
#include "base/entry_guard.h"
#include "base/host_abi.h"
#include "base/host_calls.h"
#include "base/host_requests.h"
#include "base/plugin_state.h"
#include "base/portability.h"
#include "base/window_thunk.h"
#include "plugin/host_messages.h"
#include "plugin/lifetime.h"
#include "ui/settings_page.h"
#include "views/result_list.h"
#include "views/search_window.h"

const char PLUGIN_NAME[] = "Lunetka";

namespace {

// Only a record of at least this size carries p1 and p2.
const uint16_t FULL_MESSAGE_SIZE = sizeof(HostMessage);

intptr_t onStart(const HostMessage* message)
{
    // Without a control object there is nothing to attach to; a null one
    // would only fail at the first host call. A stop that runs starts nothing.
    if (message->size < FULL_MESSAGE_SIZE || message->p1 == 0 ||
        !attachHost(reinterpret_cast<HostControl*>(message->p1)))
        return 0;
    return registerSearchWindowClass();
}

// After a stop the host may unload us at once: nothing of ours may be left
// in its windows, nor a class that names our procedure.
intptr_t onStop(const HostMessage*)
{
    stopPlugin();
    return 1;
}

intptr_t onSettingsColumns(const HostMessage*) { return registerSettings(); }

intptr_t onBuildUi(const HostMessage*) { return buildInterface(); }

intptr_t onActionEvent(const HostMessage* message)
{
    if (message->size < FULL_MESSAGE_SIZE || message->p1 == 0)
        return 0;
    ActionEvent* event = reinterpret_cast<ActionEvent*>(message->p1);
    if (event->size < sizeof(ActionEvent))
        return 0;
    return routeActionEvent(event);
}

intptr_t pluginName(const HostMessage*)
{
    return reinterpret_cast<intptr_t>(PLUGIN_NAME);
}

// A message's handler runs only in the state it needs: the host's object
// and our declared actions exist only while started. Checked here, once.
enum class Needs { Anything, Started };

// Where a message may come from. Our windows belong to the thread that
// started us, and only it may make or destroy them, start or stop us: the
// host promises to call from that one thread, and a message that would do
// such work from another is refused with a log line. A question answered
// from constants may come from any thread.
enum class Thread { Any, Ours };

struct MessageRoute {
    int id;
    Needs needs;
    Thread thread;
    intptr_t (*handle)(const HostMessage*);  // null: reply the constant
    intptr_t constantReply;
};

// A test build adds its rows here: the README's example message
// (examples/contacts_reloaded.cpp).
#ifndef LUNETKA_MORE_MESSAGE_ROUTES
#define LUNETKA_MORE_MESSAGE_ROUTES
#endif

const MessageRoute messageRoutes[] = {
    {HM_START, Needs::Anything, Thread::Ours, onStart, 0},
    {HM_STOP, Needs::Anything, Thread::Ours, onStop, 0},
    {HM_QUERY_20020, Needs::Anything, Thread::Any, nullptr, 2},
    {HM_SETTINGS_COLUMNS, Needs::Started, Thread::Ours, onSettingsColumns, 0},
    {HM_BUILD_UI, Needs::Started, Thread::Ours, onBuildUi, 0},
    {HM_QUERY_22100, Needs::Anything, Thread::Any, nullptr, 1},
    {HM_QUERY_22101, Needs::Anything, Thread::Any, nullptr, 1},
    {HM_ACTION_EVENT, Needs::Started, Thread::Ours, onActionEvent, 0},
    {HM_PLUGIN_NET, Needs::Anything, Thread::Any, nullptr, PLUGIN_NET},
    {HM_PLUGIN_TYPE, Needs::Anything, Thread::Any, nullptr, 0},
    {HM_QUERY_30012, Needs::Anything, Thread::Any, nullptr, 0},
    {HM_PLUGIN_NAME, Needs::Anything, Thread::Any, pluginName, 0},
    {HM_PLUGIN_DISPLAY_NAME, Needs::Anything, Thread::Any, pluginName, 0},
    {HM_QUERY_30017, Needs::Anything, Thread::Any, nullptr, 0},
    LUNETKA_MORE_MESSAGE_ROUTES
};

intptr_t dispatch(const HostMessage* message)
{
    for (const MessageRoute& route : messageRoutes) {
        if (route.id != message->id)
            continue;
        if (route.thread == Thread::Ours && session.lifecycle != PluginState::Loaded &&
            GetCurrentThreadId() != session.thread) {
            logLine("message %d from another thread than the one that started us: refused", message->id);
            return 0;
        }
        if (route.needs == Needs::Started && session.lifecycle != PluginState::Started)
            return 0;
        return route.handle ? route.handle(message) : route.constantReply;
    }
    // A message we do not know: tell the host so, if we can reach it.
    hostSetStatus(1);
    return 0;
}

}  // namespace

namespace {

intptr_t entry(HostMessage* message)
{
    if (!message)
        return 0;
    // Whatever fails inside is answered 0, the reply of a failure.
    return guardEntry("host message", static_cast<intptr_t>(0), [message] { return dispatch(message); });
}

// The host's message as the export hands it on: three words of nothing,
// then the record.
LRESULT CALLBACK enterDirectly(HWND, UINT, WPARAM, LPARAM record) { return entry(reinterpret_cast<HostMessage*>(record)); }

LRESULT CALLBACK enterThroughThunk(WindowThunk*, HWND, UINT, WPARAM, LPARAM record)
{
    return entry(reinterpret_cast<HostMessage*>(record));
}

}  // namespace

// Where the export goes: a thunk outside our image while one could be made,
// which holds the library for the length of the message, so that a host that
// frees us from inside it unmaps us only once the message is back there.
// The export's own instructions name it, so it is a plain global, set only
// when the library is loaded and let go (DllMain).
extern "C" {
WNDPROC entryTarget = enterDirectly;
}

extern "C" LUNETKA_NAKED intptr_t __stdcall IMessageProc(HostMessage*)
{
    LUNETKA_JUMP_WITH_THREE_WORDS(entryTarget);
}

void armEntryThunk()
{
    session.entryThunk = makeWindowThunk(enterThroughThunk, nullptr, false, false, nullptr, nullptr);
    if (session.entryThunk)
        entryTarget = thunkEntry(session.entryThunk);
}

void disarmEntryThunk()
{
    entryTarget = enterDirectly;
    if (session.entryThunk)
        freeWindowThunk(session.entryThunk);
    session.entryThunk = nullptr;
}
