// The messenger host's binary interface, as this plug-in relies on it: the
// records its messages carry, and the HostControl object the host hands over
// at start. The message numbers live apart, read only where they are sent or
// answered: plugin/host_messages.h (what the host sends us) and
// base/host_requests.h (what we send, and what plug-ins ask each other).
//
// Every record is little-endian, packed, and starts with its own 16-bit size,
// by which the host tells the forms apart. The host is a 32-bit process.
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

static_assert(sizeof(void*) == 4, "the host loads 32-bit plug-ins only");

// ---------------------------------------------------------------------------
// Action type words: bits 16-23 the kind, 0x0A in bits 24-31 on a control
// bound to a settings column, bits 0-15 further flags.
// ---------------------------------------------------------------------------
const uint32_t TYPE_PAGE = 0x00000000;            // a configuration page (createPageAction adds TYPE_PAGE_BIT)
const uint32_t TYPE_PAGE_BIT = 0x10;              // marks a page; createPageAction sets it
const uint32_t TYPE_GROUP_START = 0x000F0000;     // a framed group, captioned by the text
const uint32_t TYPE_GROUP_END = 0x00100000;       // closes the group
const uint32_t TYPE_COMBO = 0x0A169040;           // a drop-down list bound to a settings column
const uint32_t TYPE_EDIT = 0x0A0C0000;            // an edit field bound to a settings column
const uint32_t TYPE_CUSTOM_SLOT = 0x00050000;     // a slot whose control the plug-in makes (220/221)
const uint32_t TYPE_BUTTON_DEFAULT = 0x000E0040;  // a button, the page's default one
const uint32_t TYPE_BUTTON = 0x000E0000;          // a button
const uint32_t TYPE_MENU_ENTRY = 0x00000000;      // a menu entry
const uint32_t TYPE_INFO_IMAGE = 0x001C0040;      // the info box's image, with its parameter text
const uint32_t TYPE_INFO_TEXT = 0x00180080;       // the info box's rich description

// A button's caption is its visible text, 0x03, then a number that is the
// host's business (1342177296 is 0x50000010); macros, so that a caption and
// its number make one literal.
#define CAPTION_STYLE_PROPERTIES "\x03" "102"
#define CAPTION_STYLE_TALK "\x03" "1342177296"

const int CONTACT_TABLE = 1;
const int CONTACT_NONE = -2;

#pragma pack(push, 1)

// Every message, in both directions.
struct HostMessage {
    uint16_t size;      // 30
    int32_t id;
    int32_t tag1;
    int32_t tag2;
    int32_t tag3;       // -1 with HM_PLUGIN_COUNT
    int32_t tag4;
    intptr_t p1;
    intptr_t p2;
};
static_assert(sizeof(HostMessage) == 30, "HostMessage size");
static_assert(offsetof(HostMessage, id) == 2, "HostMessage.id");
static_assert(offsetof(HostMessage, tag1) == 6, "HostMessage.tag1");
static_assert(offsetof(HostMessage, tag2) == 10, "HostMessage.tag2");
static_assert(offsetof(HostMessage, tag3) == 14, "HostMessage.tag3");
static_assert(offsetof(HostMessage, tag4) == 18, "HostMessage.tag4");
static_assert(offsetof(HostMessage, p1) == 22, "HostMessage.p1");
static_assert(offsetof(HostMessage, p2) == 26, "HostMessage.p2");

// HM_ADD_COLUMN: the long form of a message; the column replaces p1 and p2.
struct ColumnDef {
    uint16_t size;      // 39
    int32_t id;         // HM_ADD_COLUMN
    int32_t tag1;
    int32_t tag2;
    int32_t tag3;
    int32_t tag4;
    uint8_t table;      // 0: the plug-in's settings
    int32_t column;
    int32_t valueType;  // 0 integer, 1 text
    intptr_t defaultValue;  // the integer, or a pointer to the text
    const char* key;
};
static_assert(sizeof(ColumnDef) == 39, "ColumnDef size");
static_assert(offsetof(ColumnDef, id) == 2, "ColumnDef.id");
static_assert(offsetof(ColumnDef, tag1) == 6, "ColumnDef.tag1");
static_assert(offsetof(ColumnDef, tag4) == 18, "ColumnDef.tag4");
static_assert(offsetof(ColumnDef, table) == 22, "ColumnDef.table");
static_assert(offsetof(ColumnDef, column) == 23, "ColumnDef.column");
static_assert(offsetof(ColumnDef, valueType) == 27, "ColumnDef.valueType");
static_assert(offsetof(ColumnDef, defaultValue) == 31, "ColumnDef.defaultValue");
static_assert(offsetof(ColumnDef, key) == 35, "ColumnDef.key");

const int VALUE_INTEGER = 0;
const int VALUE_TEXT = 1;

// HM_ACTION_CREATE and HM_ACTION_GET_VALUE: one action (page, group, control,
// menu entry) to create, or whose current value is asked.
struct ActionDef {
    uint16_t size;      // 74
    int32_t id;
    int32_t parent;
    int32_t contact;    // CONTACT_NONE
    int32_t position;   // -1 unless placed explicitly; 0 in a value request
    int32_t unused18[3];
    uint32_t fieldMask; // 0x35F when creating; 64 (+65536) in a value request
    uint32_t type;
    int32_t unused38;   // -1 when creating
    int32_t unused42[2];
    const char* text;   // caption, list, parameter text, or value buffer
    int32_t textSize;   // the value buffer's size in a value request
    int32_t value58;
    int32_t param;      // icon id or bound settings column
    int32_t value66;
    int16_t width;
    int16_t height;
};
static_assert(sizeof(ActionDef) == 74, "ActionDef size");
static_assert(offsetof(ActionDef, id) == 2, "ActionDef.id");
static_assert(offsetof(ActionDef, parent) == 6, "ActionDef.parent");
static_assert(offsetof(ActionDef, contact) == 10, "ActionDef.contact");
static_assert(offsetof(ActionDef, position) == 14, "ActionDef.position");
static_assert(offsetof(ActionDef, unused18) == 18, "ActionDef bytes 18-29");
static_assert(offsetof(ActionDef, fieldMask) == 30, "ActionDef.fieldMask");
static_assert(offsetof(ActionDef, type) == 34, "ActionDef.type");
static_assert(offsetof(ActionDef, unused38) == 38, "ActionDef bytes 38-41");
static_assert(offsetof(ActionDef, unused42) == 42, "ActionDef bytes 42-49");
static_assert(offsetof(ActionDef, text) == 50, "ActionDef.text");
static_assert(offsetof(ActionDef, textSize) == 54, "ActionDef.textSize");
static_assert(offsetof(ActionDef, value58) == 58, "ActionDef bytes 58-61");
static_assert(offsetof(ActionDef, param) == 62, "ActionDef.param");
static_assert(offsetof(ActionDef, value66) == 66, "ActionDef bytes 66-69");
static_assert(offsetof(ActionDef, width) == 70, "ActionDef.width");
static_assert(offsetof(ActionDef, height) == 72, "ActionDef.height");

// The extended, 78-byte form.
struct ActionDefEx {
    ActionDef base;     // base.size = 78
    int16_t extra74;
    int16_t extra76;
};
static_assert(sizeof(ActionDefEx) == 78, "ActionDefEx size");
static_assert(offsetof(ActionDefEx, extra74) == 74, "ActionDefEx.extra74");
static_assert(offsetof(ActionDefEx, extra76) == 76, "ActionDefEx.extra76");

const uint32_t ACTION_FIELD_MASK_CREATE = 0x35F;
const uint32_t ACTION_FIELD_MASK_VALUE = 64;
const uint32_t ACTION_FIELD_MASK_VALUE_FLAG = 65536;

// HostControl::readCell: in-out description of one table cell.
struct CellValue {
    uint16_t type;      // 0 integer, 1 text
    intptr_t value;     // in: 0 or the text buffer; out: the integer or a text pointer
    int32_t size;       // the text buffer's size
};
static_assert(sizeof(CellValue) == 10, "CellValue size");
static_assert(offsetof(CellValue, value) == 2, "CellValue.value");
static_assert(offsetof(CellValue, size) == 6, "CellValue.size");

// HM_ACTION_EVENT: the common header; what follows depends on the code.
struct ActionEvent {
    uint16_t size;      // the whole record's length
    int32_t id;
    int32_t parent;
    int32_t contact;
    int32_t code;
};
static_assert(sizeof(ActionEvent) == 18, "ActionEvent size");
static_assert(offsetof(ActionEvent, id) == 2, "ActionEvent.id");
static_assert(offsetof(ActionEvent, parent) == 6, "ActionEvent.parent");
static_assert(offsetof(ActionEvent, contact) == 10, "ActionEvent.contact");
static_assert(offsetof(ActionEvent, code) == 14, "ActionEvent.code");

// HM_ACTION_EVENT with NOTIFY_CREATE_CONTROL / NOTIFY_DESTROY_CONTROL: the host
// asks for (or gives back) the control of a custom slot.
struct ControlSlotEvent {
    ActionEvent header;
    int32_t unused18;
    uint16_t unused22;
    HWND window;        // 220: receives the new control; 221: the one to destroy
    HWND parentWindow;  // 220: the page window
    int32_t x;          // 220: left edge in; handed back advanced by the width
    int32_t y;          // 220: top edge in; handed back advanced by the height
    int32_t unused40[7];
};
static_assert(sizeof(ControlSlotEvent) == 68, "ControlSlotEvent size");
static_assert(offsetof(ControlSlotEvent, window) == 24, "ControlSlotEvent.window");
static_assert(offsetof(ControlSlotEvent, parentWindow) == 28, "ControlSlotEvent.parentWindow");
static_assert(offsetof(ControlSlotEvent, x) == 32, "ControlSlotEvent.x");
static_assert(offsetof(ControlSlotEvent, y) == 36, "ControlSlotEvent.y");
// How much of the record each code needs before its fields may be touched.
const int CREATE_CONTROL_EVENT_SIZE = 68;
const int DESTROY_CONTROL_EVENT_SIZE = 32;

// HM_ACTION_CALL: run one of the host's actions for a contact.
struct ActionCall {
    ActionEvent header;
    int32_t words[3];
};
static_assert(sizeof(ActionCall) == 30, "ActionCall size");
static_assert(offsetof(ActionCall, words) == 18, "ActionCall words");

#pragma pack(pop)

// HM_ICON_REGISTER: the one record whose 32-bit fields keep 4-byte alignment.
#pragma pack(push, 4)
struct IconDef {
    uint16_t size;      // 36
    int32_t iconId;
    int32_t kind;       // 2: 32x32, 1: 16x16
    int32_t unused12;
    int32_t last;
    HINSTANCE module;
    int32_t resourceId;
    int32_t unused28[2];
};
#pragma pack(pop)
static_assert(sizeof(IconDef) == 36, "IconDef size");
static_assert(offsetof(IconDef, iconId) == 4, "IconDef.iconId");
static_assert(offsetof(IconDef, kind) == 8, "IconDef.kind");
static_assert(offsetof(IconDef, unused12) == 12, "IconDef bytes 12-15");
static_assert(offsetof(IconDef, last) == 16, "IconDef.last");
static_assert(offsetof(IconDef, module) == 20, "IconDef.module");
static_assert(offsetof(IconDef, resourceId) == 24, "IconDef.resourceId");
static_assert(offsetof(IconDef, unused28) == 28, "IconDef bytes 28-35");

// ---------------------------------------------------------------------------
// The host's control object. Operations sit at fixed slots of its table and
// take the object first (__stdcall). The reserved slots exist in the host but
// are never called; they keep the later slots where the host has them.
// No virtual destructor: it would add slots.
// ---------------------------------------------------------------------------
class HostControl {
public:
    virtual int __stdcall reserved0() = 0;                                   // 0
    virtual int __stdcall getPluginId() = 0;                                 // 1
    virtual HINSTANCE __stdcall getAppInstance() = 0;                        // 2
    virtual HINSTANCE __stdcall getPluginInstance() = 0;                     // 3
    virtual int __stdcall queryState() = 0;                                  // 4: 1 hides the version text
    virtual void __stdcall setStatus(int status) = 0;                        // 5
    virtual int __stdcall reserved6() = 0;                                   // 6
    virtual intptr_t __stdcall sendMessage(HostMessage* message) = 0;        // 7
    virtual intptr_t __stdcall sendMessageTo(int pluginId, HostMessage* message) = 0;  // 8
    virtual int __stdcall reserved9() = 0;
    virtual int __stdcall reserved10() = 0;
    virtual int __stdcall reserved11() = 0;
    virtual int __stdcall reserved12() = 0;
    virtual int __stdcall reserved13() = 0;
    virtual int __stdcall reserved14() = 0;
    virtual int __stdcall reserved15() = 0;
    virtual int __stdcall reserved16() = 0;
    virtual int __stdcall reserved17() = 0;
    virtual int __stdcall reserved18() = 0;
    virtual int __stdcall reserved19() = 0;
    virtual int __stdcall reserved20() = 0;
    virtual int __stdcall readCell(int table, int row, int column, CellValue* cell) = 0;  // 21
    virtual int __stdcall reserved22() = 0;
    virtual void __stdcall lockTable(int table, int row, int flags) = 0;     // 23
    virtual void __stdcall unlockTable(int table, int row, int flags) = 0;   // 24

    // Helpers of our own; they take no slot.
    intptr_t sendToPlugin(int id, int target);
    intptr_t logFormatted(int level, const char* format, va_list arguments);
    intptr_t addColumn(int column, int valueType, intptr_t defaultValue, const char* key);
    intptr_t defineAction(int parent, int id, int position, uint32_t type, const char* text, int param, int width,
                          int height);

protected:
    ~HostControl() {}
};
