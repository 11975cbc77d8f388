// The only way the plug-in reaches the host: each function fills one record in
// its own storage, hands it to a HostControl operation and returns the reply
// unexamined. While session.hostControl is not set (plugin_state.h) they send
// nothing and answer 0.
//
// Re-entrancy: every call below may run the host, and the host may, before
// it answers, call IMessageProc again (any message, nested to any depth),
// stop the plug-in (HM_STOP), or destroy or replace our windows (the list,
// its page, a search window). So after any call to the host, and after any
// SendMessage or DestroyWindow that reaches a host window, a caller checks
// again what it relies on before going on:
//   - session.lifecycle is still Started (lifetime.h); if not, it takes nothing
//     new (no window, no subclass) and gives back what it holds;
//   - the window it holds is still session.resultList (the list and its
//     page are forgotten when the host destroys them);
//   - nothing it read from the host is used after the next call: texts are
//     copied at once.
// What keeps those checks few: a search asked for meanwhile waits until the
// running one has been shown (search_run.h), so search.foundContacts never
// changes under a walk or a fill, and walks never nest; the table lock goes
// back to the object that took it. The loops that the host can restart
// (search passes, fill passes, list drops) are bounded.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "base/portability.h"

// The records are declared in host_abi.h; a caller that fills one includes
// it, the others do not recompile when a record changes.
struct ActionCall;
struct ActionDef;

// The control object's own operations.
int hostPluginId();
HINSTANCE hostAppInstance();
HINSTANCE hostPluginInstance();
int hostQueryState();
void hostSetStatus(int status);

intptr_t hostSend(int id, intptr_t p1, intptr_t p2);
// A message with tag3 set (HM_PLUGIN_COUNT's -1), all else 0.
intptr_t hostSendTagged(int id, int tag3);
// A message to a plug-in by id, p1 and p2 0; target 0 is the plug-in itself.
intptr_t pluginSend(int id, int target);
// One English line to the host's log, cut to 254 characters. Throws nothing.
intptr_t logLine(const char* format, ...) LUNETKA_PRINTF(1, 2);
// A column of the plug-in's settings table (table 0).
intptr_t addSettingsColumn(int column, int valueType, intptr_t defaultValue, const char* key);

// One action to declare (a page, a group frame, a control, a menu entry), by
// name: the ActionDef fields a caller chooses. Made from the three every
// action has; the rest are named where they are set:
//   createActionEx(ActionSpec(ACTION_PAGE, ACTION_FIELD, TYPE_COMBO)
//                      .withText(items).withParam(ACTION_FIELD).withSize(100, 0));
struct ActionSpec {
    int parent;                  // the action it belongs to
    int id;                      // 0 for group frames and group ends
    uint32_t type;               // kind and style bits (TYPE_* in host_abi.h)
    const char* text = nullptr;  // caption, item list or parameter text
    int param = 0;               // an icon id (page, menu entry) or the settings column a control shows
    int width = 0;
    int height = 0;

    ActionSpec(int parent_, int id_, uint32_t type_) : parent(parent_), id(id_), type(type_) {}
    ActionSpec& withText(const char* text_) { text = text_; return *this; }
    ActionSpec& withParam(int param_) { param = param_; return *this; }
    ActionSpec& withSize(int width_, int height_) { width = width_; height = height_; return *this; }
};

// 74 bytes, position -1.
intptr_t createAction(const ActionSpec& action);
// 74 bytes at a position of the parent's.
intptr_t createActionAt(const ActionSpec& action, int position);
// 78 bytes: two more 16-bit words, 0, after byte 73.
intptr_t createActionEx(const ActionSpec& action);
// As createAction, with the page bit (TYPE_PAGE_BIT) added to the type.
intptr_t createPageAction(const ActionSpec& action);
// The current value of one of the page's controls, into buffer.
intptr_t getActionValue(int id, char* buffer, int bufferSize);
// Registers the icon resource numbered with iconId's low 16 bits; returns iconId.
int registerIcon(int kind, int iconId, HINSTANCE module);
int readContactInt(int row, int column);
// The host's own text; copy it before the next host call.
const char* readContactText(int row, int column);
void initActionCall(ActionCall* call);
void initActionDef(ActionDef* def, const ActionSpec& action, int position);
