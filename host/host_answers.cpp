// What the stand-in host answers the plug-in: the messages it sends, the
// cells it reads, the table lock. Every record is read by byte offset
// (host_layout.h) and checked before it is answered.
#include "host/stand_in_host.h"

#include <sstream>

#include "host/host_layout.h"
#include "host/net_icons.h"
#include "host/record_reader.h"
#include "host/settings_profile.h"
#include "host/text_codec.h"

namespace host {

namespace {

const int VERSION_BUFFER = 52;

// Combo list text: " label" 0x02 value, items split by "\n".
std::vector<std::pair<std::string, std::string>> parseItems(const std::string& list)
{
    std::vector<std::pair<std::string, std::string>> items;
    std::istringstream lines(list);
    std::string line;
    while (std::getline(lines, line, '\n')) {
        std::string::size_type mark = line.find('\x02');
        std::string label = line.substr(0, mark);
        if (!label.empty() && label[0] == ' ')
            label.erase(0, 1);
        items.push_back({label, mark == std::string::npos ? std::string() : line.substr(mark + 1)});
    }
    return items;
}

}  // namespace

intptr_t StandInHost::opSendMessage(void* record)
{
    // The checks of a record hold whether or not the exchange is recorded.
    if (!record) {
        abiError("sendMessage with a null record");
        noteCall(Op::Send, {0});
        return 0;
    }
    int messageId = i32At(record, message::ID);
    uint16_t size = u16At(record, message::SIZE);
    if (size != message::LENGTH && size != column_def::LENGTH)
        abiError("message " + std::to_string(messageId) + " has size " + std::to_string(size));
    if (beforeAnswer)
        beforeAnswer(Op::Send, messageId);
    if (!recording_.exchanges) {
        // As cheap as the real host promises: no copies kept, the scratch record reused.
        scratch_.message = messageId;
        return answer(scratch_, record);
    }
    Exchange exchange;
    exchange.op = Op::Send;
    exchange.message = messageId;
    exchange.record = bytesOf(record, size == column_def::LENGTH ? column_def::LENGTH : message::LENGTH);
    intptr_t reply = answer(exchange, record);
    exchange.reply = reply;
    keep(exchange);
    return reply;
}

const void* StandInHost::requiredRecord(intptr_t p1, const char* what)
{
    if (!p1)
        abiError(std::string(what) + " without its record");
    return reinterpret_cast<const void*>(p1);
}

intptr_t StandInHost::opSendMessageTo(int target, void* record)
{
    Exchange exchange;
    exchange.op = Op::SendTo;
    exchange.args.push_back(target);
    if (!record) {
        abiError("sendMessageTo with a null record");
        keep(exchange);
        return 0;
    }
    if (u16At(record, message::SIZE) != message::LENGTH)
        abiError("message to plug-in " + std::to_string(target) + " has size " +
                 std::to_string(u16At(record, message::SIZE)));
    if (beforeAnswer)
        beforeAnswer(Op::SendTo, i32At(record, message::ID));
    exchange.message = i32At(record, message::ID);
    exchange.record = bytesOf(record, message::LENGTH);
    size_t index = keep(exchange);

    intptr_t reply = 0;
    // A plug-in the host let go of from inside this call is answered 0: a
    // throw would have to cross the plug-in's frames.
    if (target == pluginId_ && answerOwnQuestions_ && entry_) {
        reply = callPlugin(record, exchange.message);  // re-entrant, as in the real host
    } else {
        for (const NetworkPlugin& plugin : networkPlugins_) {
            if (plugin.id == target)
                reply = networkPluginAnswer(plugin, exchange.message);
        }
    }
    log_.setReply(index, reply);
    return reply;
}

intptr_t StandInHost::networkPluginAnswer(const NetworkPlugin& plugin, int messageId)
{
    switch (messageId) {
    case MSG_PLUGIN_TYPE: return plugin.type;
    case MSG_PLUGIN_NET: return plugin.net;
    default: return 0;
    }
}

int StandInHost::opReadCell(int table, int row, int column, void* cell)
{
    if (beforeAnswer)
        beforeAnswer(Op::ReadCell, 0);
    if (table != 1)
        abiError("readCell of table " + std::to_string(table));
    if (!cell) {
        abiError("readCell with a null CellValue");
        return 0;
    }
    uint16_t type = u16At(cell, cell_value::TYPE);
    const char* text = contacts_.text(row, column);
    if (type == 1) {
        char* buffer = const_cast<char*>(textAt(cell, cell_value::VALUE));
        int size = i32At(cell, cell_value::BUFFER_SIZE);
        if (buffer && size > 0) {
            std::string value = textOrEmpty(text);
            size_t length = std::min(value.size(), static_cast<size_t>(size - 1));
            memcpy(buffer, value.data(), length);
            buffer[length] = '\0';
        } else {
            putPtr(cell, cell_value::VALUE, text);  // the host's own text, valid until the table changes
        }
    } else {
        putI32(cell, cell_value::VALUE, text ? atoi(text) : 0);
    }
    if (recording_.cellReads && recording_.exchanges) {
        Exchange exchange;
        exchange.op = Op::ReadCell;
        exchange.args = {table, row, column};
        exchange.record = bytesOf(cell, cell_value::LENGTH);
        exchange.text = textOrEmpty(text);
        exchange.reply = 1;
        keep(exchange);
    }
    return 1;
}

void StandInHost::opLockTable(int table, int row, int flags)
{
    if (beforeAnswer)  // before the lock is taken
        beforeAnswer(Op::LockTable, 0);
    ++lockDepth_;
    maxLockDepth_ = std::max(maxLockDepth_, lockDepth_);
    noteCall(Op::LockTable, {table, row, flags});
}

void StandInHost::opUnlockTable(int table, int row, int flags)
{
    if (lockDepth_ == 0)
        abiError("unlockTable without lockTable");
    else
        --lockDepth_;
    noteCall(Op::UnlockTable, {table, row, flags});
    if (beforeAnswer)  // once the lock is given back
        beforeAnswer(Op::UnlockTable, 0);
}

// --- The messages the host answers ------------------------------------------

// One route per message the host answers, as the plug-in routes the host's
// messages; a message without a route is answered 0, as the real host does.
struct StandInHost::AnswerRoute {
    int message;
    intptr_t (StandInHost::*answer)(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
};

const StandInHost::AnswerRoute StandInHost::answerRoutes[] = {
    {MSG_LOG, &StandInHost::onLogLine},
    {MSG_VERSION_TEXT, &StandInHost::onVersionText},
    {MSG_CONTACT_COUNT, &StandInHost::onContactCount},
    {MSG_PLUGIN_COUNT, &StandInHost::onPluginCount},
    {MSG_PLUGIN_ID_AT, &StandInHost::onPluginIdAt},
    {MSG_PLUGIN_MODULE, &StandInHost::onPluginModule},
    {MSG_ADD_COLUMN, &StandInHost::onAddColumn},
    {MSG_ACTION_CREATE, &StandInHost::onActionCreate},
    {MSG_ACTION_CALL, &StandInHost::onActionCall},
    {MSG_ACTION_GET_VALUE, &StandInHost::onActionGetValue},
    {MSG_ICON_REGISTER, &StandInHost::onIconRegister},
    {MSG_ICON_GET, &StandInHost::onIconGet},
};

intptr_t StandInHost::answer(Exchange& exchange, void* record)
{
    intptr_t p1 = i32At(record, message::P1);
    intptr_t p2 = i32At(record, message::P2);
    for (const AnswerRoute& route : answerRoutes) {
        if (route.message == exchange.message)
            return (this->*route.answer)(exchange, record, p1, p2);
    }
    return 0;
}

intptr_t StandInHost::onLogLine(Exchange& exchange, void*, intptr_t p1, intptr_t)
{
    exchange.text.assign(p1 ? reinterpret_cast<const char*>(p1) : "");  // reuses the scratch text's storage
    log_.addLine(exchange.text, recording_);
    if (onLog)
        onLog(exchange.text);
    return 0;
}

intptr_t StandInHost::onContactCount(Exchange&, void*, intptr_t, intptr_t)
{
    return contacts_.rows();
}

intptr_t StandInHost::onPluginCount(Exchange&, void*, intptr_t, intptr_t)
{
    return 2 + static_cast<intptr_t>(networkPlugins_.size());  // the host, the plug-in, the networks
}

intptr_t StandInHost::onPluginIdAt(Exchange&, void*, intptr_t p1, intptr_t)
{
    if (p1 == 1)
        return pluginId_;
    if (p1 >= 2 && static_cast<size_t>(p1 - 2) < networkPlugins_.size())
        return networkPlugins_[static_cast<size_t>(p1 - 2)].id;
    return 0;
}

intptr_t StandInHost::onPluginModule(Exchange&, void*, intptr_t p1, intptr_t)
{
    return p1 == pluginId_ ? reinterpret_cast<intptr_t>(pluginModule_) : 0;
}

intptr_t StandInHost::onActionCall(Exchange& exchange, void*, intptr_t p1, intptr_t)
{
    const void* call = requiredRecord(p1, "host action call");
    if (!call)
        return 0;
    if (u16At(call, action_event::SIZE) != action_event::CALL_LENGTH)
        abiError("host action call of " + std::to_string(u16At(call, action_event::SIZE)) + " bytes");
    exchange.payload = bytesOf(call, action_event::CALL_LENGTH);
    if (onHostAction)
        onHostAction(i32At(call, action_event::ID), i32At(call, action_event::PARENT),
                     i32At(call, action_event::CONTACT));
    return 0;
}

intptr_t StandInHost::onAddColumn(Exchange& exchange, void* record, intptr_t, intptr_t)
{
    if (u16At(record, message::SIZE) != column_def::LENGTH) {
        abiError("settings column in a record that is not 39 bytes long");
        return 0;
    }
    SettingsColumn column;
    column.column = i32At(record, column_def::COLUMN);
    column.valueType = i32At(record, column_def::VALUE_TYPE);
    column.key = textOrEmpty(textAt(record, column_def::KEY));
    if (column.valueType == 1)
        column.defaultValue = textOrEmpty(textAt(record, column_def::DEFAULT));
    else
        column.defaultValue = std::to_string(i32At(record, column_def::DEFAULT));
    exchange.text = column.key;
    const std::string* stored = profile_ ? profile_->find(column.key) : nullptr;
    column.value = stored ? *stored : column.defaultValue;
    settings_[column.column] = column;
    return 1;
}

intptr_t StandInHost::onActionCreate(Exchange& exchange, void*, intptr_t p1, intptr_t)
{
    const void* def = requiredRecord(p1, "create action");
    if (!def)
        return 0;
    uint16_t size = u16At(def, action_def::SIZE);
    if (size != action_def::SHORT && size != action_def::LONG) {
        abiError("action record of " + std::to_string(size) + " bytes");
        return 0;
    }
    exchange.payload = bytesOf(def, size);
    Action declared;
    declared.recordSize = size;
    declared.id = i32At(def, action_def::ID);
    declared.parent = i32At(def, action_def::PARENT);
    declared.position = i32At(def, action_def::POSITION);
    declared.type = u32At(def, action_def::TYPE);
    declared.param = i32At(def, action_def::PARAM);
    declared.width = i16At(def, action_def::WIDTH);
    declared.height = i16At(def, action_def::HEIGHT);
    const char* text = textAt(def, action_def::TEXT);
    declared.hasText = text != nullptr;
    declared.text = textOrEmpty(text);  // the plug-in's buffer dies with the call
    exchange.text = declared.text;
    if (declared.kind() == KIND_COMBO)
        declared.items = parseItems(declared.text);
    declared.caption = declared.text.substr(0, declared.text.find('\x03'));
    actions_.push_back(declared);
    return 1;
}

intptr_t StandInHost::onActionGetValue(Exchange& exchange, void*, intptr_t p1, intptr_t)
{
    const void* def = requiredRecord(p1, "action value request");
    if (!def)
        return 0;
    if (u16At(def, action_def::SIZE) != action_def::SHORT)
        abiError("action value request of " + std::to_string(u16At(def, action_def::SIZE)) + " bytes");
    exchange.payload = bytesOf(def, action_def::SHORT);
    int id = i32At(def, action_def::ID);
    char* buffer = const_cast<char*>(textAt(def, action_def::TEXT));
    int size = i32At(def, action_def::TEXT_SIZE);
    if (!buffer || size <= 0 || !answerValueRequests_)
        return 0;
    std::string value = controlValue(id);
    size_t length = std::min(value.size(), static_cast<size_t>(size - 1));
    memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    exchange.text = value.substr(0, length);
    return 1;
}

std::string StandInHost::controlValue(int actionId) const
{
    const Action* declared = action(actionId);
    if (!declared)
        return std::string();
    auto column = settings_.find(declared->param);
    return column != settings_.end() ? column->second.value : std::string();
}

intptr_t StandInHost::onIconRegister(Exchange& exchange, void*, intptr_t p1, intptr_t)
{
    const void* def = requiredRecord(p1, "icon registration");
    if (!def)
        return 0;
    exchange.payload = bytesOf(def, icon_def::LENGTH);
    if (u16At(def, icon_def::SIZE) != icon_def::LENGTH)
        abiError("icon record of " + std::to_string(u16At(def, icon_def::SIZE)) + " bytes");
    int iconId = i32At(def, icon_def::ICON_ID);
    int kind = i32At(def, icon_def::KIND);
    HINSTANCE module = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(u32At(def, icon_def::MODULE)));
    int resource = i32At(def, icon_def::RESOURCE) & 0xFFFF;  // resources are numbered by the id's low 16 bits
    int side = kind == 2 ? 32 : 16;
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(resource), IMAGE_ICON, side, side, 0));
    if (!icon)
        return 0;
    if (icons_.count(iconId))
        DestroyIcon(icons_[iconId]);
    icons_[iconId] = icon;
    return 1;
}

intptr_t StandInHost::onIconGet(Exchange& exchange, void*, intptr_t p1, intptr_t p2)
{
    exchange.args = {p1, p2};
    int iconId = static_cast<int>(p1);
    // A fresh handle every time: the caller destroys it.
    auto registered = icons_.find(iconId);
    if (registered != icons_.end())
        return reinterpret_cast<intptr_t>(CopyIcon(registered->second));
    return reinterpret_cast<intptr_t>(createNetworkIcon(iconId, networkPlugins_));
}

intptr_t StandInHost::onVersionText(Exchange&, void*, intptr_t module, intptr_t p2)
{
    char* buffer = reinterpret_cast<char*>(p2);
    if (!buffer)
        return 0;
    std::string version = moduleVersionText(reinterpret_cast<HMODULE>(module));
    version = version.substr(0, VERSION_BUFFER - 1);
    memcpy(buffer, version.c_str(), version.size() + 1);
    return 0;
}

}  // namespace host
