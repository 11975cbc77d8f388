#include "base/host_calls.h"

#include <stdio.h>
#include <string.h>

#include "base/action_ids.h"
#include "base/host_abi.h"
#include "base/host_requests.h"
#include "base/invariant.h"
#include "base/plugin_state.h"

namespace {

HostMessage makeMessage(int id, int tag3, intptr_t p1, intptr_t p2)
{
    HostMessage message;
    memset(&message, 0, sizeof message);
    message.size = sizeof message;
    message.id = id;
    message.tag3 = tag3;
    message.p1 = p1;
    message.p2 = p2;
    return message;
}

}  // namespace

// --- HostControl's own helpers ---------------------------------------------

intptr_t HostControl::sendToPlugin(int id, int target)
{
    if (target == 0)
        target = getPluginId();  // a plug-in may put a question to itself
    HostMessage message = makeMessage(id, 0, 0, 0);
    return sendMessageTo(target, &message);
}

intptr_t HostControl::logFormatted(int level, const char* format, va_list arguments)
{
    char line[256];
    vsnprintf(line, sizeof line, format, arguments);
    line[254] = '\0';  // the host takes at most 254 characters
    HostMessage message = makeMessage(HM_LOG, 0, reinterpret_cast<intptr_t>(line), level);
    return sendMessage(&message);
}

intptr_t HostControl::addColumn(int column, int valueType, intptr_t defaultValue, const char* key)
{
    ColumnDef def;
    memset(&def, 0, sizeof def);
    def.size = sizeof def;
    def.id = HM_ADD_COLUMN;
    def.table = 0;  // the plug-in's settings
    def.column = column;
    def.valueType = valueType;
    def.defaultValue = defaultValue;
    def.key = key;
    return sendMessage(reinterpret_cast<HostMessage*>(&def));
}

intptr_t HostControl::defineAction(int parent, int id, int position, uint32_t type, const char* text, int param,
                                   int width, int height)
{
    ActionDef def;
    initActionDef(&def, ActionSpec(parent, id, type).withText(text).withParam(param).withSize(width, height), position);
    HostMessage message = makeMessage(HM_ACTION_CREATE, 0, reinterpret_cast<intptr_t>(&def), 0);
    return sendMessage(&message);
}

// --- Free functions over session.hostControl ---------------------------------
// While detached (a stop from inside one of our calls, see the header) every
// function is a no-op answering 0.

void initActionDef(ActionDef* def, const ActionSpec& action, int position)
{
    memset(def, 0, sizeof *def);
    def->size = sizeof *def;
    def->id = action.id;
    def->parent = action.parent;
    def->contact = CONTACT_NONE;
    def->position = position;
    def->fieldMask = ACTION_FIELD_MASK_CREATE;
    def->type = action.type;
    def->unused38 = -1;
    def->text = action.text;
    def->param = action.param;
    def->width = static_cast<int16_t>(action.width);
    def->height = static_cast<int16_t>(action.height);
}

int hostPluginId() { return session.hostControl ? session.hostControl->getPluginId() : 0; }
// Asked first thing at the start and at the menu entry, always with a host attached.
HINSTANCE hostAppInstance() { return NEVER(!session.hostControl) ? nullptr : session.hostControl->getAppInstance(); }
HINSTANCE hostPluginInstance() { return session.hostControl ? session.hostControl->getPluginInstance() : nullptr; }
int hostQueryState() { return session.hostControl ? session.hostControl->queryState() : 0; }

void hostSetStatus(int status)
{
    if (session.hostControl)
        session.hostControl->setStatus(status);
}

namespace {

intptr_t sendToHost(HostMessage message)
{
    return session.hostControl ? session.hostControl->sendMessage(&message) : 0;
}

}  // namespace

intptr_t hostSend(int id, intptr_t p1, intptr_t p2) { return sendToHost(makeMessage(id, 0, p1, p2)); }

intptr_t hostSendTagged(int id, int tag3) { return sendToHost(makeMessage(id, tag3, 0, 0)); }

intptr_t pluginSend(int id, int target)
{
    if (!session.hostControl)
        return 0;
    return session.hostControl->sendToPlugin(id, target);
}

intptr_t logLine(const char* format, ...)
{
    if (!session.hostControl)
        return 0;
    va_list arguments;
    va_start(arguments, format);
    intptr_t reply = session.hostControl->logFormatted(LOG_LEVEL_PLUGIN, format, arguments);
    va_end(arguments);
    return reply;
}

intptr_t addSettingsColumn(int column, int valueType, intptr_t defaultValue, const char* key)
{
    if (!session.hostControl)
        return 0;
    return session.hostControl->addColumn(column, valueType, defaultValue, key);
}

intptr_t createAction(const ActionSpec& action)
{
    return createActionAt(action, -1);
}

intptr_t createActionAt(const ActionSpec& action, int position)
{
    if (!session.hostControl)
        return 0;
    return session.hostControl->defineAction(action.parent, action.id, position, action.type, action.text,
                                             action.param, action.width, action.height);
}

intptr_t createActionEx(const ActionSpec& action)
{
    ActionDefEx def;
    initActionDef(&def.base, action, -1);
    def.base.size = sizeof def;
    def.extra74 = 0;
    def.extra76 = 0;
    return hostSend(HM_ACTION_CREATE, reinterpret_cast<intptr_t>(&def), 0);
}

intptr_t createPageAction(const ActionSpec& action)
{
    ActionSpec page = action;
    page.type |= TYPE_PAGE_BIT;
    return createAction(page);
}

intptr_t getActionValue(int id, char* buffer, int bufferSize)
{
    ActionDef request;
    memset(&request, 0, sizeof request);
    request.size = sizeof request;
    request.id = id;
    request.parent = ACTION_PAGE;
    request.contact = CONTACT_NONE;
    request.fieldMask = ACTION_FIELD_MASK_VALUE | ACTION_FIELD_MASK_VALUE_FLAG;
    request.text = buffer;
    request.textSize = bufferSize;
    return hostSend(HM_ACTION_GET_VALUE, reinterpret_cast<intptr_t>(&request), 0);
}

int registerIcon(int kind, int iconId, HINSTANCE module)
{
    IconDef def;
    memset(&def, 0, sizeof def);
    def.size = sizeof def;
    def.iconId = iconId;
    def.kind = kind;
    def.last = 1;
    def.module = module;
    def.resourceId = iconId;  // the resource carries the id's low 16 bits
    hostSend(HM_ICON_REGISTER, reinterpret_cast<intptr_t>(&def), 0);
    return iconId;  // the host's reply says nothing we need
}

int readContactInt(int row, int column)
{
    if (!session.hostControl)
        return 0;
    CellValue cell;
    memset(&cell, 0, sizeof cell);
    cell.type = VALUE_INTEGER;
    session.hostControl->readCell(CONTACT_TABLE, row, column, &cell);
    return static_cast<int>(cell.value);
}

const char* readContactText(int row, int column)
{
    if (!session.hostControl)
        return nullptr;
    CellValue cell;
    memset(&cell, 0, sizeof cell);
    cell.type = VALUE_TEXT;  // no buffer of ours: the host hands its own text
    session.hostControl->readCell(CONTACT_TABLE, row, column, &cell);
    return reinterpret_cast<const char*>(cell.value);
}

void initActionCall(ActionCall* call)
{
    memset(call, 0, sizeof *call);
    call->header.size = sizeof *call;
    call->header.contact = CONTACT_NONE;
}
