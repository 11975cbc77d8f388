// The ids under which Lunetka declares its actions and icons, as the host and
// the tests know them: written here on their own, not taken from the
// plug-in's headers, so that a wrong id on either side shows.
#pragma once

namespace host {
namespace lunetka {

const int PAGE = 512001;         // configuration page "Lunetka"
const int FIELD = 512002;        // field combo, and its settings column
const int CONDITION = 512003;    // condition combo, and its settings column
const int VALUE = 512004;        // value edit, and its settings column
const int RESULTS = 512005;      // the result list's slot
const int NOT_USED = 512006;     // an id of the plug-in's range it declares nothing under
const int TALK = 512007;         // button "Zacznij rozmowę"
const int PROPERTIES = 512008;   // button "Właściwości"
const int OPEN_WINDOW = 512009;  // menu entry "Szukaj na liscie"
const int LARGE_ICON = 512010;     // (Windows names a macro ICON_SMALL)
const int SMALL_ICON = 512011;

}  // namespace lunetka
}  // namespace host
