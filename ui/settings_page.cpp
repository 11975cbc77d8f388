#include "ui/settings_page.h"

#include <stdio.h>
#include <string.h>

#include "build_info.h"
#include "base/action_ids.h"
#include "base/host_calls.h"
#include "ui/info_box.h"
#include "ui/texts.h"

namespace {

const int ICON_KIND_LARGE = 2;
const int ICON_KIND_SMALL = 1;

const char EMPTY_TEXT[] = "";

// Combo items: " label", 0x02, the stored value; items split by "\n".
const char FIELD_LIST_FORMAT[] =
    " %s\x02" "0\n %s\x02" "1\n %s\x02" "2\n %s\x02" "3\n %s\x02" "4\n"
    " %s\x02" "5\n %s\x02" "6\n %s\x02" "7\n %s\x02" "8";
const char CONDITION_LIST_FORMAT[] =
    " %s\x02" "1\n %s\x02" "0\n %s\x02" "2\n %s\x02" "3\n %s\x02" "4\n %s\x02" "5";

void declareCriteria()
{
    char list[10000];
    createAction(ActionSpec(ACTION_PAGE, 0, TYPE_GROUP_START).withText(TEXT_CRITERIA_GROUP));
    snprintf(list, sizeof list, FIELD_LIST_FORMAT, TEXT_FIELD_DESCRIPTION, TEXT_FIELD_UID, TEXT_FIELD_DISPLAY_NAME,
             TEXT_FIELD_MOBILE, TEXT_FIELD_IP, TEXT_FIELD_CITY, TEXT_FIELD_FIRST_NAME, TEXT_FIELD_LAST_NAME,
             TEXT_FIELD_NICK);
    createActionEx(ActionSpec(ACTION_PAGE, ACTION_FIELD, TYPE_COMBO).withText(list).withParam(ACTION_FIELD)
                       .withSize(100, 0));
    snprintf(list, sizeof list, CONDITION_LIST_FORMAT, TEXT_CONDITION_CONTAINS, TEXT_CONDITION_EQUALS,
             TEXT_CONDITION_DIFFERS, TEXT_CONDITION_STARTS_WITH, TEXT_CONDITION_ENDS_WITH,
             TEXT_CONDITION_NOT_CONTAINS);
    createActionEx(ActionSpec(ACTION_PAGE, ACTION_CONDITION, TYPE_COMBO).withText(list).withParam(ACTION_CONDITION)
                       .withSize(100, 0));
    createActionEx(ActionSpec(ACTION_PAGE, ACTION_VALUE, TYPE_EDIT).withText(EMPTY_TEXT).withParam(ACTION_VALUE)
                       .withSize(0, -2));
    createAction(ActionSpec(ACTION_PAGE, 0, TYPE_GROUP_END));
}

void declareResults()
{
    createAction(ActionSpec(ACTION_PAGE, 0, TYPE_GROUP_START).withText(TEXT_RESULTS_GROUP));
    createActionEx(ActionSpec(ACTION_PAGE, ACTION_RESULTS, TYPE_CUSTOM_SLOT));
    createActionEx(ActionSpec(ACTION_PAGE, ACTION_PROPERTIES, TYPE_BUTTON_DEFAULT).withText(TEXT_PROPERTIES_BUTTON)
                       .withSize(205, 0));
    createActionEx(ActionSpec(ACTION_PAGE, ACTION_TALK, TYPE_BUTTON).withText(TEXT_TALK_BUTTON).withSize(205, 0));
    createAction(ActionSpec(ACTION_PAGE, 0, TYPE_GROUP_END));
}

}  // namespace

int registerSettings()
{
    addSettingsColumn(ACTION_FIELD, VALUE_INTEGER, 1, "Lunetka/PoleWyszukiwania1");
    addSettingsColumn(ACTION_CONDITION, VALUE_INTEGER, 0, "Lunetka/WarunekWyszukiwania1");
    addSettingsColumn(ACTION_VALUE, VALUE_TEXT, reinterpret_cast<intptr_t>(EMPTY_TEXT),
                      "Lunetka/KryteriumWyszukiwania1");
    return 1;
}

int buildInterface()
{
    // Icons first: the page, the info box and the menu entry name them.
    registerIcon(ICON_KIND_LARGE, ICON_LARGE, hostPluginInstance());
    registerIcon(ICON_KIND_SMALL, ICON_SMALL, hostPluginInstance());

    createPageAction(ActionSpec(HOST_CONFIG_PAGES, ACTION_PAGE, TYPE_PAGE).withText(PLUGIN_NAME).withParam(ICON_SMALL));

    char credits[1024];
    memset(credits, 0, sizeof credits);
    snprintf(credits, sizeof credits, TEXT_CREDITS_FORMAT, LUNETKA_BUILD_TIME, LUNETKA_BUILD_DATE);
    addInfoBox(credits);

    declareCriteria();
    declareResults();

    const int MENU_POSITION = 2;
    createActionAt(ActionSpec(HOST_MAIN_MENU, ACTION_OPEN_WINDOW, TYPE_MENU_ENTRY).withText(TEXT_MENU_ENTRY)
                       .withParam(ICON_SMALL),
                   MENU_POSITION);
    return 1;
}
