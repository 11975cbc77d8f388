#include "plugin/message_dispatch.h"

#include "base/action_ids.h"
#include "base/host_abi.h"
#include "base/host_requests.h"
#include "search/search_run.h"
#include "views/contact_actions.h"
#include "views/result_fill.h"
#include "views/result_list.h"
#include "views/search_window.h"

namespace {

const int ANY_CODE = -0x7fffffff;

// Code 13 means nothing to us; 12 asks to show the stored search whatever
// the texts; any other code, to search if a criterion changed.
intptr_t onCriteriaChanged(ActionEvent* event)
{
    if (event->code == NOTIFY_IGNORE)
        return 0;
    return runSearch(event->code == NOTIFY_FORCE_REFRESH ? SearchAsk::Forced : SearchAsk::IfChanged, fillResultList);
}
intptr_t onCreateResults(ActionEvent* event) { return createResultList(event); }
intptr_t onDestroyResults(ActionEvent* event) { return destroyResultList(event); }
intptr_t onTalk(ActionEvent*) { return pressTalkButton(); }
intptr_t onProperties(ActionEvent*) { return pressPropertiesButton(); }
intptr_t onOpenWindow(ActionEvent*) { return openSearchWindow(); }

struct EventRoute {
    int actionId;
    int code;  // ANY_CODE matches every code
    intptr_t (*handle)(ActionEvent*);
};

const EventRoute eventRoutes[] = {
    {ACTION_FIELD, ANY_CODE, onCriteriaChanged},
    {ACTION_CONDITION, ANY_CODE, onCriteriaChanged},
    {ACTION_VALUE, ANY_CODE, onCriteriaChanged},
    {ACTION_RESULTS, NOTIFY_CREATE_CONTROL, onCreateResults},
    {ACTION_RESULTS, NOTIFY_DESTROY_CONTROL, onDestroyResults},
    {ACTION_TALK, NOTIFY_ACTIVATED, onTalk},
    {ACTION_PROPERTIES, NOTIFY_ACTIVATED, onProperties},
    {ACTION_OPEN_WINDOW, NOTIFY_ACTIVATED, onOpenWindow},
};

}  // namespace

intptr_t routeActionEvent(ActionEvent* event)
{
    for (const EventRoute& route : eventRoutes) {
        if (route.actionId == event->id && (route.code == ANY_CODE || route.code == event->code))
            return route.handle(event);
    }
    return 0;
}
