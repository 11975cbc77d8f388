// The only way the plug-in reaches the host: each function fills one record in
// its own storage, hands it to a HostControl operation and returns the reply
// unexamined. While hostControl is not set they send nothing and answer 0.
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
intptr_t createAction(int parent, int id, uint32_t type, const char* text, int param,
                      int width, int height, int value66, int value58);
intptr_t createActionAt(int parent, int id, int position, uint32_t type, const char* text, int param,
                        int width, int height, int value66, int value58);
intptr_t createActionEx(int parent, int id, uint32_t type, const char* text, int param,
                        int extra74, int extra76, int width, int height, int value66, int value58);
intptr_t createPageAction(int parent, int id, uint32_t type, const char* text, int param,
                          int width, int height, int value66, int value58);
intptr_t getActionValue(int id, int parent, int contact, char* buffer, int bufferSize, bool flag);
int registerIcon(int kind, int iconId, HINSTANCE module, int resourceId, int last);
int readContactInt(int row, int column);
// The host's own text; copy it before the next host call.
const char* readContactText(int row, int column, char* buffer, int bufferSize);
void initActionCall(ActionCall* call);
void initActionDef(ActionDef* def, int parent, int id, int position, uint32_t type, const char* text,
                   int param, int width, int height, int value66, int value58);
