#include "plugin/message_dispatch.h"

#include "plugin/action_ids.h"
#include "plugin/entry_guard.h"
#include "plugin/host_calls.h"
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
    // would only fail at the first host call.
    if (message->size < FULL_MESSAGE_SIZE || message->p1 == 0)
        return 0;
    if (!attachHost(reinterpret_cast<HostControl*>(message->p1)))
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

bool started() { return pluginState() == PluginState::Started; }

intptr_t onSettingsColumns(const HostMessage*)
{
    return started() ? registerSettings() : 0;
}

intptr_t onBuildUi(const HostMessage*)
{
    return started() ? buildInterface() : 0;
}

intptr_t onActionEvent(const HostMessage* message)
{
    if (!started() || message->size < FULL_MESSAGE_SIZE || message->p1 == 0)
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

struct MessageRoute {
    int id;
    intptr_t (*handle)(const HostMessage*);  // null: reply the constant
    intptr_t constantReply;
};

const MessageRoute messageRoutes[] = {
    {HM_START, onStart, 0},
    {HM_STOP, onStop, 0},
    {HM_QUERY_20020, nullptr, 2},
    {HM_SETTINGS_COLUMNS, onSettingsColumns, 0},
    {HM_BUILD_UI, onBuildUi, 0},
    {HM_QUERY_22100, nullptr, 1},
    {HM_QUERY_22101, nullptr, 1},
    {HM_ACTION_EVENT, onActionEvent, 0},
    {HM_PLUGIN_NET, nullptr, PLUGIN_NET},
    {HM_PLUGIN_TYPE, nullptr, 0},
    {HM_QUERY_30012, nullptr, 0},
    {HM_PLUGIN_NAME, pluginName, 0},
    {HM_PLUGIN_DISPLAY_NAME, pluginName, 0},
    {HM_QUERY_30017, nullptr, 0},
};

}  // namespace

namespace {

intptr_t dispatch(const HostMessage* message)
{
    keepLoadedWhilePagesNeedUs();
    for (const MessageRoute& route : messageRoutes) {
        if (route.id == message->id)
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
