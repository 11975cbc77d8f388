// The messages the plug-in sends: to the host (p1, p2 are 0 unless given),
// and to every plug-in, which the host and other plug-ins send us too; and
// the codes of the action events the host reports. Read only by the files
// that send or answer one.
#pragma once

#include <stdint.h>

// in:  p1 = text, p2 = level (256).  reply: unused.
const int HM_LOG = 1;
// in:  p1 = reply of HM_PLUGIN_MODULE, p2 = char[52] buffer.  out: version text in it.
const int HM_VERSION_TEXT = 26;
// reply: number of rows in the contact table.
const int HM_CONTACT_COUNT = 201;
// in:  tag3 = -1.  reply: n plug-in positions; positions 1..n-1 are asked.
const int HM_PLUGIN_COUNT = 240;
// in:  p1 = position.  reply: plug-in id.
const int HM_PLUGIN_ID_AT = 243;
// in:  p1 = plug-in id.  reply: a value for HM_VERSION_TEXT.
const int HM_PLUGIN_MODULE = 245;
// in:  the message is a ColumnDef.  reply: unused.
const int HM_ADD_COLUMN = 1102;
// in:  p1 = ActionDef* (74 or 78 bytes).  reply: unused.
const int HM_ACTION_CREATE = 10101;
// in:  p1 = ActionCall*.  reply: unused.
const int HM_ACTION_CALL = 10103;
// in:  p1 = ActionDef* as value request.  out: the value text in its buffer.
const int HM_ACTION_GET_VALUE = 10106;
// in:  p1 = IconDef*.  reply: unused.
const int HM_ICON_REGISTER = 10130;
// in:  p1 = icon id, p2 = 1.  reply: HICON, destroyed by the caller.
const int HM_ICON_GET = 10136;

// Notification codes of an ActionEvent.
const int NOTIFY_ACTIVATED = 1;
const int NOTIFY_FORCE_REFRESH = 12;   // criteria controls: search even without a change
const int NOTIFY_IGNORE = 13;          // criteria controls: do nothing
const int NOTIFY_CREATE_CONTROL = 220;
const int NOTIFY_DESTROY_CONTROL = 221;

// Asked of every plug-in, by the host or by another plug-in; we ask them of
// the others too.
// reply: the network number (512).
const int HM_PLUGIN_NET = 30010;
// reply: type bits; 0x20 marks a network plug-in.
const int HM_PLUGIN_TYPE = 30011;
// reply: pointer to the name to show; null means none.
const int HM_PLUGIN_DISPLAY_NAME = 30016;

// HM_PLUGIN_TYPE's bit of a network plug-in.
const int PLUGIN_TYPE_NETWORK = 0x20;
// HM_ICON_GET: the general contact icon, and that of a network, which keeps
// only the low 8 bits of the network number.
const intptr_t ICON_ID_GENERAL = 0x20000000;
inline intptr_t networkIconId(int net) { return static_cast<intptr_t>((net & 0xFF) | 0x200) << 20; }

const int LOG_LEVEL_PLUGIN = 256;
