// The ids under which the plug-in declares its actions and icons; the host
// reports action events by them, and each bound control shares its id with
// the settings column it shows.
#pragma once

// Windows names its WM_SETICON size ICON_SMALL; ours is an icon id. Windows'
// headers are taken in first, so the macro cannot come back after this.
#include <windows.h>
#undef ICON_SMALL

const int ACTION_PAGE = 512001;         // configuration page "Lunetka"
const int ACTION_FIELD = 512002;        // field combo / its settings column
const int ACTION_CONDITION = 512003;    // condition combo / its settings column
const int ACTION_VALUE = 512004;        // value edit / its settings column
const int ACTION_RESULTS = 512005;      // slot of the result list
// 512006 is not used.
const int ACTION_TALK = 512007;         // button "Zacznij rozmowę"
const int ACTION_PROPERTIES = 512008;   // button "Właściwości"
const int ACTION_OPEN_WINDOW = 512009;  // menu entry "Szukaj na liscie"
const int ICON_LARGE = 512010;          // 32x32, resource 53258
const int ICON_SMALL = 512011;          // 16x16, resource 53259

// The host's own places and actions we name.
const int HOST_CONFIG_PAGES = 46;       // parent of configuration pages
const int HOST_MAIN_MENU = 12;          // parent of the menu entry
const int HOST_ACTION_PROPERTIES = 202, HOST_GROUP_PROPERTIES = 200;
const int HOST_ACTION_TALK = 130, HOST_GROUP_TALK = 30;

// The plug-in's identity as the host asks for it.
extern const char PLUGIN_NAME[];        // "Lunetka", also the window class name
const int PLUGIN_NET = 512;
