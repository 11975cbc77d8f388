// The only way the plug-in reaches the host: each function fills one record in
// its own storage, hands it to a HostControl operation and returns the reply
// unexamined. While hostControl is not set they send nothing and answer 0.
//
// Re-entrancy: every call below may run the host, and the host may, before
// it answers, call IMessageProc again (any message, nested to any depth),
// stop the plug-in (HM_STOP), or destroy or replace our windows (the list,
// its page, a search window). So after any call to the host, and after any
// SendMessage or DestroyWindow that reaches a host window, a caller checks
// again what it relies on before going on:
//   - pluginState() is still Started (lifetime.h); if not, it takes nothing
//     new (no window, no subclass) and gives back what it holds;
//   - the window it holds is still the one in resultList (result_list.cpp
//     keeps the list and its page, and forgets them when the host destroys
//     them);
//   - nothing it read from the host is used after the next call: texts are
//     copied at once.
// What keeps those checks few: a search asked for meanwhile waits until the
// running one has been shown (search_run.h), so foundContacts never changes
// under a walk or a fill, and walks never nest; the table lock goes back to
// the object that took it. The loops that the host can restart (search
// passes, fill passes, list drops) are bounded.
#pragma once

#include "plugin/host_abi.h"
#include "plugin/portability.h"

// Set from HM_START to HM_STOP; the host owns the object.
extern HostControl* hostControl;

// The control object's own operations.
int hostPluginId();
HINSTANCE hostAppInstance();
HINSTANCE hostPluginInstance();
int hostQueryState();
void hostSetStatus(int status);

intptr_t hostSend(int id, intptr_t p1, intptr_t p2);
intptr_t hostSendTagged(int id, int tag2, int tag3, intptr_t p1, intptr_t p2);
intptr_t pluginSend(int id, int target, intptr_t p1, intptr_t p2);
// One English line to the host's log, cut to 254 characters.
intptr_t logLine(const char* format, ...) LUNETKA_PRINTF(1, 2);
intptr_t addSettingsColumn(int table, int column, int valueType, intptr_t defaultValue, const char* key);

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
    int value66 = 0;             // the host's unnamed words at bytes 66 and 58
    int value58 = 0;

    ActionSpec(int parent_, int id_, uint32_t type_) : parent(parent_), id(id_), type(type_) {}
    ActionSpec& withText(const char* text_) { text = text_; return *this; }
    ActionSpec& withParam(int param_) { param = param_; return *this; }
    ActionSpec& withSize(int width_, int height_) { width = width_; height = height_; return *this; }
    ActionSpec& withUnnamed(int value66_, int value58_) { value66 = value66_; value58 = value58_; return *this; }
};

// 74 bytes, position -1.
intptr_t createAction(const ActionSpec& action);
// 74 bytes at a position of the parent's.
intptr_t createActionAt(const ActionSpec& action, int position);
// 78 bytes: two more 16-bit words after byte 73.
intptr_t createActionEx(const ActionSpec& action, int extra74 = 0, int extra76 = 0);
// As createAction, with the page bit (TYPE_PAGE_BIT) added to the type.
intptr_t createPageAction(const ActionSpec& action);
intptr_t getActionValue(int id, int parent, int contact, char* buffer, int bufferSize, bool flag);
int registerIcon(int kind, int iconId, HINSTANCE module, int resourceId, int last);
int readContactInt(int row, int column);
// The host's own text; copy it before the next host call.
const char* readContactText(int row, int column, char* buffer, int bufferSize);
void initActionCall(ActionCall* call);
void initActionDef(ActionDef* def, const ActionSpec& action, int position);
