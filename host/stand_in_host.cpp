#include "host/stand_in_host.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <map>

#include "host/host_control_table.h"
#include "host/host_error.h"
#include "host/host_subclass.h"
#include "host/host_window.h"
#include "host/net_icons.h"
#include "host/personality.h"
#include "host/record_reader.h"
#include "host/result_list_reader.h"
#include "host/settings_profile.h"
#include "host/stack_check.h"
#include "host/text_codec.h"

namespace host {

struct StandInHost::RawControl {
    RawHostControl raw;
};

namespace {

// How many of this process's hosts hold each plug-in library: one that lets
// go of the last reference may expect the library to be gone.
std::map<HMODULE, int>& librariesHeld()
{
    static std::map<HMODULE, int> held;
    return held;
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
    if (personality() == Personality::Unloading && ownsModule_ && pluginModule_)
        unloadAndLoadAgain();
    // A host that shuts down stops its plug-ins before it unloads them.
    if (started_ && entry_)
        stop();
    page_.close();
    for (auto& icon : icons_)
        DestroyIcon(icon.second);
    unloadPlugin();
}

void StandInHost::loadPlugin(const std::string& path)
{
    HMODULE module = LoadLibraryW(utf8ToWide(path).c_str());
    if (!module)
        throw HostError("cannot load plug-in " + path + " (Windows error " + std::to_string(GetLastError()) + ")");
    FARPROC entry = GetProcAddress(module, "_IMessageProc@4");
    if (!entry) {
        FreeLibrary(module);
        throw HostError("plug-in " + path + " does not export _IMessageProc@4");
    }
    initRawHostControl(&control_->raw, this);  // a new object for every load
    attachEntry(reinterpret_cast<void*>(entry), module);
    ownsModule_ = true;
    ++librariesHeld()[module];
    pluginPath_ = path;
}

void StandInHost::poisonControl() { poisonRawHostControl(&control_->raw); }

bool StandInHost::holdsLastReference() const
{
    auto held = librariesHeld().find(pluginModule_);
    return held != librariesHeld().end() && held->second == 1;
}

void StandInHost::unloadPlugin()
{
    if (ownsModule_ && pluginModule_) {
        if (--librariesHeld()[pluginModule_] == 0)
            librariesHeld().erase(pluginModule_);
        FreeLibrary(pluginModule_);
    }
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
    exchange.op = Op::Entry;
    exchange.message = messageId;
    exchange.record = bytesOf(record, message::LENGTH);
    size_t index = keep(exchange);

    // Whoever sends the start message, the host stops the plug-in before
    // unloading it; a start declares the plug-in's actions anew.
    if (messageId == MSG_START) {
        started_ = true;
        actions_.clear();
    }
    else if (messageId == MSG_STOP)
        started_ = false;
    if (messageId == MSG_STOP && personality() == Personality::Subclassing && removeEveryPageSubclass() > 0)
        noteKindAct("took its SetWindowSubclass off every page before HM_STOP");
    int stackDelta = 0;
    intptr_t reply = callStdcallChecked(entry_, record, &stackDelta);
    if (stackDelta != 0)
        abiError("IMessageProc moved the stack by " + std::to_string(stackDelta) + " bytes (message " +
                 std::to_string(messageId) + "): not __stdcall with one argument");
    log_.setReply(index, reply);
    if (messageId == MSG_START)
        lastStartReply_ = reply;
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

intptr_t StandInHost::start()
{
    intptr_t reply = send(MSG_START, reinterpret_cast<intptr_t>(&control_->raw), 0);
    send(MSG_SETTINGS_COLUMNS);
    send(MSG_BUILD_UI);
    return reply;
}

void StandInHost::stop()
{
    page_.close();
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

intptr_t StandInHost::changeControl(int actionId, const std::string& value)
{
    const Action* declared = action(actionId);
    if (declared && settings_.count(declared->param)) {
        settings_[declared->param].value = value;
        saveProfile();
    }
    return actionEvent(actionId, EVENT_CHANGED);
}

void StandInHost::hostLog(const std::string& line)
{
    log_.addLine(line, recording_);
    if (onLog)
        onLog(line);
}

// --- Plug-in -> host: the control object's operations ------------------------

void StandInHost::noteCall(Op op, std::initializer_list<intptr_t> args, intptr_t reply)
{
    if (!recording_.exchanges)
        return;  // the hot paths (lock, unlock) then cost next to nothing
    Exchange exchange;
    exchange.op = op;
    exchange.args = args;
    exchange.reply = reply;
    keep(exchange);
}

int StandInHost::opGetPluginId()
{
    if (beforeAnswer)
        beforeAnswer(Op::GetPluginId, 0);
    noteCall(Op::GetPluginId, {}, pluginId_);
    return pluginId_;
}

HINSTANCE StandInHost::opGetAppInstance()
{
    if (beforeAnswer)
        beforeAnswer(Op::GetAppInstance, 0);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    noteCall(Op::GetAppInstance, {}, reinterpret_cast<intptr_t>(instance));
    return instance;
}

HINSTANCE StandInHost::opGetPluginInstance()
{
    if (beforeAnswer)
        beforeAnswer(Op::GetPluginInstance, 0);
    noteCall(Op::GetPluginInstance, {}, reinterpret_cast<intptr_t>(pluginModule_));
    return pluginModule_;
}

int StandInHost::opQueryState()
{
    if (beforeAnswer)
        beforeAnswer(Op::QueryState, 0);
    noteCall(Op::QueryState, {}, queryState_);
    return queryState_;
}

void StandInHost::opSetStatus(int status)
{
    if (beforeAnswer)
        beforeAnswer(Op::SetStatus, 0);
    noteCall(Op::SetStatus, {status});
}

void StandInHost::opReserved(int slot)
{
    noteCall(Op::Reserved, {slot});
    abiError("the plug-in called unused slot " + std::to_string(slot) + " of the control object");
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

}  // namespace host
