#include "host/stand_in_host.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "host/host_control_table.h"
#include "host/host_error.h"
#include "host/net_icons.h"
#include "host/record_reader.h"
#include "host/settings_profile.h"
#include "host/stack_check.h"
#include "host/text_codec.h"
#include "host/window_class.h"

namespace host {

struct StandInHost::RawControl {
    RawHostControl raw;
};

namespace {

const int VERSION_BUFFER = 52;
const int PAGE_HEIGHT = 640;
const int SLOT_X = 12, SLOT_Y = 260;
const char PAGE_CLASS[] = "LunetkaHostPage";

// Texts the plug-in sends hold control bytes (0x02, 0x03, 0x1A, "\n"): show them.
std::string printable(const std::string& cp1250)
{
    std::string shown;
    for (char c : cp1250) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return cp1250ToUtf8(shown);
}

const char* messageName(int id)
{
    switch (id) {
    case MSG_LOG: return "log";
    case MSG_VERSION_TEXT: return "version text";
    case MSG_CONTACT_COUNT: return "contact count";
    case MSG_PLUGIN_COUNT: return "plug-in count";
    case MSG_PLUGIN_ID_AT: return "plug-in id at";
    case MSG_PLUGIN_MODULE: return "plug-in module";
    case MSG_ADD_COLUMN: return "add settings column";
    case MSG_ACTION_CREATE: return "create action";
    case MSG_ACTION_CALL: return "run host action";
    case MSG_ACTION_GET_VALUE: return "action value";
    case MSG_ICON_REGISTER: return "register icon";
    case MSG_ICON_GET: return "get icon";
    case MSG_START: return "start";
    case MSG_STOP: return "stop";
    case MSG_SETTINGS_COLUMNS: return "settings columns";
    case MSG_BUILD_UI: return "build interface";
    case MSG_ACTION_EVENT: return "action event";
    case MSG_PLUGIN_NET: return "plug-in network";
    case MSG_PLUGIN_TYPE: return "plug-in type";
    case MSG_PLUGIN_DISPLAY_NAME: return "plug-in display name";
    default: return "?";
    }
}

std::wstring widen(const std::string& utf8)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring result(static_cast<size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &result[0], length);
    result.resize(wcslen(result.c_str()));
    return result;
}

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

LRESULT CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

StandInHost::StandInHost() : control_(new RawControl)
{
    // The messenger makes the list-view class available and keeps the common
    // controls loaded for its whole life; the plug-in relies on both, even
    // for the list it leaves behind when unloaded without a stop.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    initRawHostControl(&control_->raw, this);
    networkPlugins_ = defaultNetworkPlugins();
}

StandInHost::~StandInHost()
{
    // A host that shuts down stops its plug-ins before it unloads them.
    if (started_ && entry_)
        stop();
    closePage();
    for (auto& icon : icons_)
        DestroyIcon(icon.second);
    if (ownsModule_ && pluginModule_)
        FreeLibrary(pluginModule_);
}

void StandInHost::loadPlugin(const std::string& path)
{
    HMODULE module = LoadLibraryW(widen(path).c_str());
    if (!module)
        throw HostError("cannot load plug-in " + path + " (Windows error " + std::to_string(GetLastError()) + ")");
    FARPROC entry = GetProcAddress(module, "_IMessageProc@4");
    if (!entry) {
        FreeLibrary(module);
        throw HostError("plug-in " + path + " does not export _IMessageProc@4");
    }
    attachEntry(reinterpret_cast<void*>(entry), module);
    ownsModule_ = true;
}

void StandInHost::unloadPlugin()
{
    if (ownsModule_ && pluginModule_)
        FreeLibrary(pluginModule_);
    entry_ = nullptr;
    pluginModule_ = nullptr;
    ownsModule_ = false;
    started_ = false;
}

void StandInHost::attachEntry(void* imessageProc, HMODULE module)
{
    entry_ = imessageProc;
    pluginModule_ = module;
    ownsModule_ = false;
}

void* StandInHost::controlObject()
{
    return &control_->raw;
}

void StandInHost::abiError(const std::string& what)
{
    abiErrors_.push_back(what);
    fprintf(stderr, "lunetka-host: ABI error: %s\n", what.c_str());
}

// --- Host -> plug-in --------------------------------------------------------

intptr_t StandInHost::callPlugin(void* record, int messageId)
{
    if (!entry_)
        throw HostError("no plug-in loaded");
    Exchange exchange;
    exchange.op = "IMessageProc";
    exchange.message = messageId;
    exchange.record = bytesOf(record, message::LENGTH);
    size_t index = keep(exchange);

    // Whoever sends the start message, the host stops the plug-in before unloading it.
    if (messageId == MSG_START)
        started_ = true;
    else if (messageId == MSG_STOP)
        started_ = false;
    int stackDelta = 0;
    intptr_t reply = callStdcallChecked(entry_, record, &stackDelta);
    if (stackDelta != 0)
        abiError("IMessageProc moved the stack by " + std::to_string(stackDelta) + " bytes (message " +
                 std::to_string(messageId) + "): not __stdcall with one argument");
    setReply(index, reply);
    return reply;
}

intptr_t StandInHost::send(int messageId, intptr_t p1, intptr_t p2)
{
    std::vector<uint8_t> record = messageRecord(messageId, p1, p2);
    return callPlugin(record.data(), messageId);
}

intptr_t StandInHost::sendRecord(const std::vector<uint8_t>& bytes)
{
    // Padded so a plug-in that over-reads a short record reads zeros, not garbage;
    // tests look at what it does with the size it was told.
    std::vector<uint8_t> record(bytes);
    record.resize(std::max<size_t>(record.size(), 64), 0);
    int messageId = bytes.size() >= 6 ? i32At(record.data(), message::ID) : 0;
    return callPlugin(record.data(), messageId);
}

void StandInHost::start()
{
    send(MSG_START, reinterpret_cast<intptr_t>(&control_->raw), 0);
    send(MSG_SETTINGS_COLUMNS);
    send(MSG_BUILD_UI);
}

void StandInHost::stop()
{
    closePage();
    send(MSG_STOP);
    saveProfile();
}

const Action* StandInHost::action(int id) const
{
    for (const Action& declared : actions_) {
        if (declared.id == id && id != 0)
            return &declared;
    }
    return nullptr;
}

intptr_t StandInHost::actionEvent(int actionId, int code)
{
    const Action* declared = action(actionId);
    std::vector<uint8_t> event = eventRecord(action_event::HEADER, actionId, declared ? declared->parent : 0, code);
    return send(MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()), 0);
}

HWND StandInHost::openPage()
{
    if (pageWindow_)
        return pageWindow_;
    registerWindowClass(PAGE_CLASS, pageProc);
    HWND page = CreateWindowExA(0, PAGE_CLASS, "Lunetka", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, PAGE_WIDTH, PAGE_HEIGHT, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    if (!page)
        throw HostError("cannot create the page window (Windows error " + std::to_string(GetLastError()) + ")");
    adoptPage(page, true);

    int y = SLOT_Y;
    for (const Action& declared : actions_) {
        if (declared.kind() == KIND_CUSTOM && declared.id)
            y = requestControl(declared.id, SLOT_X, y).endY + 8;
    }
    refreshCriteria();
    return pageWindow_;
}

void StandInHost::adoptPage(HWND page, bool owned)
{
    pageWindow_ = page;
    ownsPage_ = owned;
}

ControlSlot StandInHost::requestControl(int actionId, int x, int y)
{
    const Action* declared = action(actionId);
    std::vector<uint8_t> event = eventRecord(action_event::CONTROL_LENGTH, actionId, declared ? declared->parent : 0,
                                             EVENT_CREATE_CONTROL);
    putPtr(event.data(), action_event::PARENT_WINDOW, pageWindow_);
    putI32(event.data(), action_event::X, x);
    putI32(event.data(), action_event::Y, y);
    send(MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()), 0);
    ControlSlot slot;
    slot.actionId = actionId;
    slot.window = reinterpret_cast<HWND>(static_cast<uintptr_t>(u32At(event.data(), action_event::WINDOW)));
    slot.x = x;
    slot.y = y;
    slot.endX = i32At(event.data(), action_event::X);
    slot.endY = i32At(event.data(), action_event::Y);
    slots_.push_back(slot);
    return slot;
}

void StandInHost::refreshCriteria()
{
    // Show the stored search at once: each criteria control hears "refresh".
    for (const Action& declared : actions_) {
        if ((declared.kind() == KIND_COMBO || declared.kind() == KIND_EDIT) && declared.id)
            actionEvent(declared.id, EVENT_REFRESH);
    }
}

void StandInHost::closePage()
{
    if (!pageWindow_)
        return;
    for (const ControlSlot& slot : slots_) {
        std::vector<uint8_t> event =
            eventRecord(action_event::CONTROL_LENGTH, slot.actionId, 0, EVENT_DESTROY_CONTROL);
        putPtr(event.data(), action_event::WINDOW, slot.window);
        putPtr(event.data(), action_event::PARENT_WINDOW, pageWindow_);
        if (entry_)
            send(MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()), 0);
    }
    slots_.clear();
    if (ownsPage_)
        DestroyWindow(pageWindow_);
    pageWindow_ = nullptr;
}

HWND StandInHost::slotControl(int actionId) const
{
    for (const ControlSlot& slot : slots_) {
        if (slot.actionId == actionId)
            return slot.window;
    }
    return nullptr;
}

intptr_t StandInHost::changeControl(int actionId, const std::string& value)
{
    const Action* declared = action(actionId);
    if (declared && settings_.count(declared->param)) {
        settings_[declared->param].value = value;
        saveProfile();
    }
    return actionEvent(actionId, EVENT_CHANGED);
}

std::vector<std::string> StandInHost::log() const
{
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end : logEnds_) {
        lines.push_back(logText_.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

void StandInHost::hostLog(const std::string& line)
{
    logText_ += line;
    logEnds_.push_back(logText_.size());
    if (onLog)
        onLog(line);
}

void StandInHost::clearLog()
{
    std::string().swap(logText_);
    std::vector<size_t>().swap(logEnds_);
    std::vector<std::pair<size_t, int64_t>>().swap(logTimes_);
}

std::vector<const Exchange*> StandInHost::find(const std::string& op, int messageId) const
{
    std::vector<const Exchange*> found;
    for (const Exchange& exchange : exchanges_) {
        if (exchange.op == op && (messageId == 0 || exchange.message == messageId))
            found.push_back(&exchange);
    }
    return found;
}

// --- Plug-in -> host: the control object's operations ------------------------

void StandInHost::noteCall(const char* op, std::initializer_list<intptr_t> args, intptr_t reply)
{
    if (!recordExchanges_)
        return;  // the hot paths (lock, unlock) then cost next to nothing
    Exchange exchange;
    exchange.op = op;
    exchange.args = args;
    exchange.reply = reply;
    exchanges_.push_back(exchange);
}

int StandInHost::opGetPluginId()
{
    noteCall("getPluginId", {}, pluginId_);
    return pluginId_;
}

HINSTANCE StandInHost::opGetAppInstance()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    noteCall("getAppInstance", {}, reinterpret_cast<intptr_t>(instance));
    return instance;
}

HINSTANCE StandInHost::opGetPluginInstance()
{
    noteCall("getPluginInstance", {}, reinterpret_cast<intptr_t>(pluginModule_));
    return pluginModule_;
}

int StandInHost::opQueryState()
{
    noteCall("queryState", {}, queryState_);
    return queryState_;
}

void StandInHost::opSetStatus(int status)
{
    noteCall("setStatus", {status});
}

void StandInHost::opReserved(int slot)
{
    noteCall("reserved", {slot});
    abiError("the plug-in called unused slot " + std::to_string(slot) + " of the control object");
}

size_t StandInHost::keep(const Exchange& exchange)
{
    if (!recordExchanges_)
        return SIZE_MAX;
    exchanges_.push_back(exchange);
    return exchanges_.size() - 1;
}

void StandInHost::setReply(size_t index, intptr_t reply)
{
    if (index < exchanges_.size())
        exchanges_[index].reply = reply;
}

intptr_t StandInHost::opSendMessage(void* record)
{
    // The checks of a record hold whether or not the exchange is recorded.
    if (!record) {
        abiError("sendMessage with a null record");
        noteCall("sendMessage", {0});
        return 0;
    }
    int messageId = i32At(record, message::ID);
    uint16_t size = u16At(record, message::SIZE);
    if (size != message::LENGTH && size != column_def::LENGTH)
        abiError("message " + std::to_string(messageId) + " has size " + std::to_string(size));
    if (beforeAnswer)
        beforeAnswer("sendMessage", messageId);
    if (!recordExchanges_) {
        // As cheap as the real host promises: no copies kept, the scratch record reused.
        scratch_.message = messageId;
        return answer(scratch_, record);
    }
    Exchange exchange;
    exchange.op = "sendMessage";
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
    exchange.op = "sendMessageTo";
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
        beforeAnswer("sendMessageTo", i32At(record, message::ID));
    exchange.message = i32At(record, message::ID);
    exchange.record = bytesOf(record, message::LENGTH);
    size_t index = keep(exchange);

    intptr_t reply = 0;
    if (target == pluginId_) {
        reply = callPlugin(record, exchange.message);  // re-entrant, as in the real host
    } else {
        for (const NetworkPlugin& plugin : networkPlugins_) {
            if (plugin.id == target)
                reply = networkPluginAnswer(plugin, exchange.message);
        }
    }
    setReply(index, reply);
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
        beforeAnswer("readCell", 0);
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
    if (recordCellReads_ && recordExchanges_) {
        Exchange exchange;
        exchange.op = "readCell";
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
    ++lockDepth_;
    maxLockDepth_ = std::max(maxLockDepth_, lockDepth_);
    noteCall("lockTable", {table, row, flags});
}

void StandInHost::opUnlockTable(int table, int row, int flags)
{
    if (lockDepth_ == 0)
        abiError("unlockTable without lockTable");
    else
        --lockDepth_;
    noteCall("unlockTable", {table, row, flags});
}

// --- The messages the host answers ------------------------------------------

intptr_t StandInHost::answer(Exchange& exchange, void* record)
{
    intptr_t p1 = i32At(record, message::P1);
    intptr_t p2 = i32At(record, message::P2);
    switch (exchange.message) {
    case MSG_LOG:
        exchange.text.assign(p1 ? reinterpret_cast<const char*>(p1) : "");  // reuses the scratch text's storage
        logText_ += exchange.text;
        logEnds_.push_back(logText_.size());
        if (onLog)
            onLog(exchange.text);
        if (!timeLogPrefix_.empty() && exchange.text.compare(0, timeLogPrefix_.size(), timeLogPrefix_) == 0) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            logTimes_.push_back({logEnds_.size() - 1, now.QuadPart});
        }
        return 0;
    case MSG_VERSION_TEXT:
        return onVersionText(p1, reinterpret_cast<char*>(p2));
    case MSG_CONTACT_COUNT:
        return contacts_.rows();
    case MSG_PLUGIN_COUNT:
        return 2 + static_cast<intptr_t>(networkPlugins_.size());  // the host, the plug-in, the networks
    case MSG_PLUGIN_ID_AT:
        if (p1 == 1)
            return pluginId_;
        if (p1 >= 2 && static_cast<size_t>(p1 - 2) < networkPlugins_.size())
            return networkPlugins_[static_cast<size_t>(p1 - 2)].id;
        return 0;
    case MSG_PLUGIN_MODULE:
        return p1 == pluginId_ ? reinterpret_cast<intptr_t>(pluginModule_) : 0;
    case MSG_ADD_COLUMN:
        return onAddColumn(exchange, record);
    case MSG_ACTION_CREATE:
        return onActionCreate(exchange, requiredRecord(p1, "create action"));
    case MSG_ACTION_CALL:
        if (const void* call = requiredRecord(p1, "host action call")) {
            if (u16At(call, action_event::SIZE) != action_event::CALL_LENGTH)
                abiError("host action call of " + std::to_string(u16At(call, action_event::SIZE)) + " bytes");
            exchange.payload = bytesOf(call, action_event::CALL_LENGTH);
            if (onHostAction)
                onHostAction(i32At(call, action_event::ID), i32At(call, action_event::PARENT),
                             i32At(call, action_event::CONTACT));
        }
        return 0;
    case MSG_ACTION_GET_VALUE:
        return onActionGetValue(exchange, requiredRecord(p1, "action value request"));
    case MSG_ICON_REGISTER:
        return onIconRegister(exchange, requiredRecord(p1, "icon registration"));
    case MSG_ICON_GET:
        exchange.args = {p1, p2};
        return onIconGet(static_cast<int>(p1));
    default:
        return 0;
    }
}

intptr_t StandInHost::onAddColumn(Exchange& exchange, const void* record)
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

intptr_t StandInHost::onActionCreate(Exchange& exchange, const void* def)
{
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

intptr_t StandInHost::onActionGetValue(Exchange& exchange, const void* def)
{
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

intptr_t StandInHost::onIconRegister(Exchange& exchange, const void* def)
{
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

intptr_t StandInHost::onIconGet(int iconId)
{
    // A fresh handle every time: the caller destroys it.
    auto registered = icons_.find(iconId);
    if (registered != icons_.end())
        return reinterpret_cast<intptr_t>(CopyIcon(registered->second));
    return reinterpret_cast<intptr_t>(createNetworkIcon(iconId, networkPlugins_));
}

intptr_t StandInHost::onVersionText(intptr_t module, char* buffer)
{
    if (!buffer)
        return 0;
    std::string version = moduleVersionText(reinterpret_cast<HMODULE>(module));
    version = version.substr(0, VERSION_BUFFER - 1);
    memcpy(buffer, version.c_str(), version.size() + 1);
    return 0;
}

// --- Settings profile --------------------------------------------------------

void StandInHost::setProfileFile(const std::string& path)
{
    profile_.reset(new SettingsProfile(path));
}

void StandInHost::saveProfile() const
{
    if (!profile_)
        return;
    std::map<std::string, std::string> values;
    for (const auto& column : settings_)
        values[column.second.key] = column.second.value;
    profile_->save(values);
}

// --- What people read --------------------------------------------------------

std::vector<std::string> StandInHost::transcript() const
{
    std::vector<std::string> lines;
    for (const Exchange& exchange : exchanges_) {
        std::string line;
        if (exchange.op == "IMessageProc") {
            line = "host -> plug-in  " + std::to_string(exchange.message) + " (" + messageName(exchange.message) +
                   ")";
        } else if (exchange.op == "sendMessage" || exchange.op == "sendMessageTo") {
            line = "plug-in -> host  " + exchange.op;
            if (exchange.op == "sendMessageTo")
                line += " plug-in " + std::to_string(exchange.args[0]);
            line += "  " + std::to_string(exchange.message) + " (" + messageName(exchange.message) + ")";
            if (!exchange.text.empty())
                line += " \"" + printable(exchange.text) + "\"";
        } else {
            line = "plug-in -> host  " + exchange.op;
            for (intptr_t argument : exchange.args)
                line += " " + std::to_string(argument);
            if (!exchange.text.empty())
                line += " \"" + printable(exchange.text) + "\"";
        }
        line += "  => " + std::to_string(exchange.reply);
        lines.push_back(line);
    }
    return lines;
}

std::string StandInHost::actionTreeText() const
{
    std::ostringstream out;
    std::map<int, int> depthOf;   // declared id -> depth of its children
    std::map<int, int> groupsOpen;  // parent id -> groups open under it
    for (const Action& declared : actions_) {
        int base = depthOf.count(declared.parent) ? depthOf[declared.parent] : 0;
        if (!depthOf.count(declared.parent) && !groupsOpen.count(declared.parent)) {
            out << "under host place " << declared.parent << ":\n";
            groupsOpen[declared.parent] = 0;
        }
        if (declared.kind() == KIND_GROUP_END) {
            if (groupsOpen[declared.parent] > 0)
                --groupsOpen[declared.parent];
            continue;
        }
        int depth = base + 1 + groupsOpen[declared.parent];
        std::string kind;
        switch (declared.kind()) {
        case KIND_GROUP_START: kind = "group"; break;
        case KIND_COMBO: kind = "combo"; break;
        case KIND_EDIT: kind = "edit"; break;
        case KIND_CUSTOM: kind = "custom control"; break;
        case KIND_BUTTON: kind = "button"; break;
        case KIND_INFO_IMAGE: kind = "info image"; break;
        case KIND_INFO_TEXT: kind = "info text"; break;
        default: kind = (declared.type & 0x10) ? "page" : "menu entry"; break;
        }
        out << std::string(static_cast<size_t>(depth) * 2, ' ') << kind;
        if (declared.id)
            out << " " << declared.id;
        if (declared.kind() == KIND_BUTTON)
            out << " \"" << printable(declared.caption) << "\"";
        else if (declared.kind() != KIND_COMBO && declared.hasText)
            out << " \"" << printable(declared.text) << "\"";
        if (declared.param)
            out << " param " << declared.param;
        if (declared.position != -1)
            out << " position " << declared.position;
        if (declared.width || declared.height)
            out << " size " << declared.width << "x" << declared.height;
        out << "\n";
        for (const auto& item : declared.items)
            out << std::string(static_cast<size_t>(depth) * 2 + 2, ' ') << "item " << printable(item.second) << ": "
                << printable(item.first) << "\n";
        if (declared.kind() == KIND_GROUP_START)
            ++groupsOpen[declared.parent];
        if (declared.id)
            depthOf[declared.id] = depth;
    }
    return out.str();
}

}  // namespace host
