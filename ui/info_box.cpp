#include "ui/info_box.h"

#include <stdio.h>

#include "base/action_ids.h"
#include "base/host_calls.h"
#include "base/host_requests.h"
#include "ui/action_params.h"
#include "ui/texts.h"

namespace {

const int VERSION_BUFFER_SIZE = 52;

// The plug-in's name as the host reports it (asked through the host, which
// answers through our own IMessageProc) and, unless the host hides it, the
// version text of our module.
std::string nameAndVersion()
{
    int self = hostPluginId();
    const char* name = reinterpret_cast<const char*>(pluginSend(HM_PLUGIN_DISPLAY_NAME, self));
    std::string title = name ? name : "";

    intptr_t module = hostSend(HM_PLUGIN_MODULE, hostPluginId(), 0);
    char version[VERSION_BUFFER_SIZE];
    version[0] = '\0';
    hostSend(HM_VERSION_TEXT, module, reinterpret_cast<intptr_t>(version));
    version[VERSION_BUFFER_SIZE - 1] = '\0';  // never run past the buffer, whatever the host wrote

    if (hostQueryState() != 1) {
        title += ' ';
        title += version;
    }
    return title;
}

}  // namespace

std::string iconUrl(int iconId)
{
    char address[32];
    snprintf(address, sizeof address, "reg://IML32/%i.ICON", iconId);
    return address;
}

void addInfoBox(const char* extraText)
{
    createAction(ActionSpec(ACTION_PAGE, 0, TYPE_GROUP_START).withText(""));

    std::string title = nameAndVersion();
    std::string tip;
    if (!title.empty())
        tip = "<b>" + title + "</b><br/>";
    tip += extraText;

    std::string params;
    params = setActionParam(params, ACTION_PARAM_KEY("imgurl"), iconUrl(ICON_LARGE));
    params = setActionParam(params, ACTION_PARAM_KEY("iconsize"), "32");
    params = setActionParam(params, ACTION_PARAM_KEY("tipRich"), tip);
    params = setActionParam(params, ACTION_PARAM_KEY("tipWidth"), "300");

    createAction(ActionSpec(ACTION_PAGE, 0, TYPE_INFO_IMAGE).withText(params.c_str()).withSize(40, 40));
    createActionEx(ActionSpec(ACTION_PAGE, 0, TYPE_INFO_TEXT).withText(TEXT_DESCRIPTION).withSize(300, -2));
    createAction(ActionSpec(ACTION_PAGE, 0, TYPE_GROUP_END));
}
