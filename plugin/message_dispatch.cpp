#include "plugin/message_dispatch.h"

#include "plugin/action_ids.h"
#include "plugin/entry_guard.h"
#include "plugin/host_calls.h"
#include "plugin/lifetime.h"
#include "plugin/plugin_state.h"
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

struct MessageRoute {
    int id;
    Needs needs;
    intptr_t (*handle)(const HostMessage*);  // null: reply the constant
    intptr_t constantReply;
};

const MessageRoute messageRoutes[] = {
    {HM_START, Needs::Anything, onStart, 0},
    {HM_STOP, Needs::Anything, onStop, 0},
    {HM_QUERY_20020, Needs::Anything, nullptr, 2},
    {HM_SETTINGS_COLUMNS, Needs::Started, onSettingsColumns, 0},
    {HM_BUILD_UI, Needs::Started, onBuildUi, 0},
    {HM_QUERY_22100, Needs::Anything, nullptr, 1},
    {HM_QUERY_22101, Needs::Anything, nullptr, 1},
    {HM_ACTION_EVENT, Needs::Started, onActionEvent, 0},
    {HM_PLUGIN_NET, Needs::Anything, nullptr, PLUGIN_NET},
    {HM_PLUGIN_TYPE, Needs::Anything, nullptr, 0},
    {HM_QUERY_30012, Needs::Anything, nullptr, 0},
    {HM_PLUGIN_NAME, Needs::Anything, pluginName, 0},
    {HM_PLUGIN_DISPLAY_NAME, Needs::Anything, pluginName, 0},
    {HM_QUERY_30017, Needs::Anything, nullptr, 0},
};

intptr_t dispatch(const HostMessage* message)
{
    for (const MessageRoute& route : messageRoutes) {
        if (route.id != message->id)
            continue;
        if (route.needs == Needs::Started && session.state != PluginState::Started)
            return 0;
        return route.handle ? route.handle(message) : route.constantReply;
    }
    // A message we do not know: tell the host so, if we can reach it.
    hostSetStatus(1);
    return 0;
}

}  // namespace

extern "C" intptr_t __stdcall IMessageProc(HostMessage* message)
{
    if (!message)
        return 0;
    // Whatever fails inside is answered 0, the reply of a failure.
    return guardEntry("host message", static_cast<intptr_t>(0), [message] { return dispatch(message); });
}
