// The network plug-ins the stand-in host pretends to have, and their icons.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "host/stand_in_host.h"

namespace host {

std::vector<NetworkPlugin> defaultNetworkPlugins();
// A new 16x16 icon for an icon id the host hands out: the general contact
// icon or a network's (host_layout.h). The caller destroys it.
HICON createNetworkIcon(int iconId, const std::vector<NetworkPlugin>& plugins);
// "1.0.0.3" from the module's version block; empty when it has none.
std::string moduleVersionText(HMODULE module);

}  // namespace host
