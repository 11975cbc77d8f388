#include "views/contact_actions.h"

#include "base/action_ids.h"
#include "views/result_list.h"

intptr_t pressPropertiesButton()
{
    requestContactAction(HOST_ACTION_PROPERTIES, HOST_GROUP_PROPERTIES);
    return 0;
}

intptr_t pressTalkButton()
{
    requestContactAction(HOST_ACTION_TALK, HOST_GROUP_TALK);
    return 0;
}
