// The host's side of the binary interface, as the host itself defines it:
// message numbers, notification codes, its own places, and the byte offsets
// of every record. The host, its scripts, the benchmark and the tests read
// and build records through this header only; it never includes the
// plug-in's declarations, so a field the plug-in puts in the wrong place
// shows up as a wrong value here.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

#include "host/record_reader.h"

namespace host {

// Messages, in both directions.
enum HostMessageId {
    MSG_LOG = 1,
    MSG_VERSION_TEXT = 26,
    MSG_CONTACT_COUNT = 201,
    MSG_PLUGIN_COUNT = 240,
    MSG_PLUGIN_ID_AT = 243,
    MSG_PLUGIN_MODULE = 245,
    MSG_ADD_COLUMN = 1102,
    MSG_ACTION_CREATE = 10101,
    MSG_ACTION_CALL = 10103,
    MSG_ACTION_GET_VALUE = 10106,
    MSG_ICON_REGISTER = 10130,
    MSG_ICON_GET = 10136,
    MSG_START = 20001,
    MSG_STOP = 20002,
    MSG_SETTINGS_COLUMNS = 21001,
    MSG_BUILD_UI = 22000,
    MSG_ACTION_EVENT = 22200,
    MSG_PLUGIN_NET = 30010,
    MSG_PLUGIN_TYPE = 30011,
    MSG_PLUGIN_DISPLAY_NAME = 30016,
    MSG_PLUGIN_NAME = 30013,
    // Queries the host asks every plug-in, whose meaning the host alone knows;
    // the replies are fixed.
    MSG_QUERY_20020 = 20020,
    MSG_QUERY_22100 = 22100,
    MSG_QUERY_22101 = 22101,
    MSG_QUERY_30012 = 30012,
    MSG_QUERY_30017 = 30017,
    // The README's example of adding a message: no messenger sends it, and
    // only the example build of the plug-in (lunetka-example.dll) knows it.
    MSG_CONTACTS_RELOADED_EXAMPLE = 30100,
};

// Notification codes of an action event.
const int EVENT_ACTIVATED = 1;
const int EVENT_CHANGED = 2;        // the user changed a control's value
const int EVENT_REFRESH = 12;       // the page was shown: show the stored state
const int EVENT_IGNORED = 13;       // means nothing to the plug-in; the host never sends it
const int EVENT_CREATE_CONTROL = 220;
const int EVENT_DESTROY_CONTROL = 221;

// The host's own places that declared actions name as their parent.
const int PARENT_CONFIG_PAGES = 46;  // configuration pages
const int PARENT_PLUGIN_MENU = 12;   // the plug-in menu
const uint32_t TYPE_PAGE_BIT = 0x10; // marks a page among the actions
const uint32_t BUTTON_DEFAULT_BIT = 0x40;  // a button's type: the page's default button

// The configuration page's width, in which the host lays out declared controls.
const int PAGE_WIDTH = 460;

// HM_ICON_GET: the general contact icon, and a network's, which keeps only the
// network number's low 8 bits.
const int ICON_ID_GENERAL = 0x20000000;
inline int networkIconId(int net) { return ((net & 0xFF) | 0x200) << 20; }

// Byte offsets of the records.
namespace message {
const size_t SIZE = 0, ID = 2, TAG1 = 6, TAG2 = 10, TAG3 = 14, TAG4 = 18, P1 = 22, P2 = 26, LENGTH = 30;
}
namespace column_def {
const size_t TABLE = 22, COLUMN = 23, VALUE_TYPE = 27, DEFAULT = 31, KEY = 35, LENGTH = 39;
}
namespace action_def {
const size_t SIZE = 0, ID = 2, PARENT = 6, CONTACT = 10, POSITION = 14, FIELD_MASK = 30, TYPE = 34, TEXT = 50,
             TEXT_SIZE = 54, PARAM = 62, WIDTH = 70, HEIGHT = 72, EXTRA74 = 74, EXTRA76 = 76, SHORT = 74, LONG = 78;
// Words the host reads nothing from; tests check what the plug-in leaves there.
const size_t UNUSED18 = 18, UNUSED38 = 38, UNUSED42 = 42, VALUE58 = 58, VALUE66 = 66;
}
namespace icon_def {
const size_t SIZE = 0, ICON_ID = 4, KIND = 8, LAST = 16, MODULE = 20, RESOURCE = 24, LENGTH = 36;
const size_t ALIGN2 = 2, UNUSED12 = 12, UNUSED28 = 28;  // read by no host, zero
}
namespace cell_value {
const size_t TYPE = 0, VALUE = 2, BUFFER_SIZE = 6, LENGTH = 10;
}
namespace action_event {
const size_t SIZE = 0, ID = 2, PARENT = 6, CONTACT = 10, CODE = 14, HEADER = 18;
// The custom-slot fields of codes 220 and 221.
const size_t WINDOW = 24, PARENT_WINDOW = 28, X = 32, Y = 36, CONTROL_LENGTH = 68;
// A host action call (message 10103) is the header and three words.
const size_t CALL_LENGTH = 30;
}

// A message record as the host sends it: size 30, the id, tags 0, p1, p2.
inline std::vector<uint8_t> messageRecord(int id, intptr_t p1 = 0, intptr_t p2 = 0, uint16_t size = message::LENGTH)
{
    std::vector<uint8_t> record(message::LENGTH, 0);
    putU16(record.data(), message::SIZE, size);
    putI32(record.data(), message::ID, id);
    putI32(record.data(), message::P1, static_cast<int32_t>(p1));
    putI32(record.data(), message::P2, static_cast<int32_t>(p2));
    return record;
}

// An action event as the host sends it: the header, then zeros up to length.
inline std::vector<uint8_t> eventRecord(size_t length, int actionId, int parent, int code)
{
    std::vector<uint8_t> event(length, 0);
    putU16(event.data(), action_event::SIZE, static_cast<uint16_t>(length));
    putI32(event.data(), action_event::ID, actionId);
    putI32(event.data(), action_event::PARENT, parent);
    putI32(event.data(), action_event::CONTACT, -2);
    putI32(event.data(), action_event::CODE, code);
    return event;
}

}  // namespace host
