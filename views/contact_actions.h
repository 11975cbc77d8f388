// The two buttons beside the result list: each asks the host to run one of
// its own actions for the focused row's contact.
#pragma once

#include <stdint.h>

intptr_t pressPropertiesButton();
intptr_t pressTalkButton();
