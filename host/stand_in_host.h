// The stand-in messenger host: loads a plug-in, hands it a control object of
// its own making, answers what the real host promises, and records every
// exchange so that tests and people can see exactly what crossed.
//
// It never includes the plug-in's headers: records are read by byte offset.
#pragma once

#include <windows.h>
#include <stdint.h>
#include <initializer_list>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/contact_table.h"
#include "host/personality.h"
#include "host/exchange_log.h"
#include "host/page_session.h"
#include "host/host_layout.h"
#include "host/plugin_ids.h"

namespace host {

class SettingsProfile;

// A settings column the plug-in declared, with the host's stored value.
struct SettingsColumn {
    int column = 0;
    int valueType = 0;         // 0 integer, 1 text
    std::string key;
    std::string defaultValue;  // Windows-1250, integers in decimal
    std::string value;
};

// One declared action, as the host keeps it.
struct Action {
    int id = 0, parent = 0, position = 0, param = 0, width = 0, height = 0;
    uint32_t type = 0;
    int recordSize = 0;
    bool hasText = false;
    std::string text;                                         // copied at declaration
    std::vector<std::pair<std::string, std::string>> items;   // combos: label, value
    std::string caption;                                      // text before 0x03
    int kind() const { return static_cast<int>((type >> 16) & 0xFF); }
};
const int KIND_GROUP_START = 0x0F, KIND_GROUP_END = 0x10, KIND_COMBO = 0x16, KIND_EDIT = 0x0C,
          KIND_CUSTOM = 0x05, KIND_BUTTON = 0x0E, KIND_INFO_IMAGE = 0x1C, KIND_INFO_TEXT = 0x18;


// A network plug-in the host pretends to have loaded beside the real one.
struct NetworkPlugin {
    int id;
    int net;
    std::string name;
    COLORREF color;   // its icon's colour
    int type = 0x20;  // network plug-in
};

class StandInHost {
public:
    StandInHost();
    ~StandInHost();
    StandInHost(const StandInHost&) = delete;
    StandInHost& operator=(const StandInHost&) = delete;

    // The plug-in: a library by path (throws HostError), or an entry already in this process.
    void loadPlugin(const std::string& path);
    void attachEntry(void* imessageProc, HMODULE module);
    HMODULE pluginModule() const { return pluginModule_; }
    // The file the plug-in was last loaded from, kept after an unload.
    const std::string& pluginPath() const { return pluginPath_; }
    // Unloads the plug-in as a careless host would: no HM_STOP first.
    void unloadPlugin();
    // The host frees the object it handed over: every slot traps from now
    // on, until the next load.
    void poisonControl();
    // The object handed over with HM_START.
    void* controlObject();

    // Configuration.
    ContactTable& contacts() { return contacts_; }
    const ContactTable& contacts() const { return contacts_; }
    void setContacts(ContactTable table) { contacts_ = std::move(table); }  // taken, not copied
    void setPluginId(int id) { pluginId_ = id; }
    int pluginId() const { return pluginId_; }
    void setQueryState(int state) { queryState_ = state; }
    std::vector<NetworkPlugin>& networkPlugins() { return networkPlugins_; }
    // Settings persist in this file (UTF-8 "key=value" lines). Throws
    // HostError when the file cannot be written.
    void setProfileFile(const std::string& path);
    // What is kept of the exchanges (the ABI checks hold either way).
    RecordingOptions& recording() { return recording_; }
    // Pairs of (line number, time) of the log lines recording().timeLogPrefix picks.
    const std::vector<std::pair<size_t, int64_t>>& logTimes() const { return log_.lineTimes(); }
    // Called when the plug-in asks the host to run one of its actions (10103).
    std::function<void(int action, int group, int contact)> onHostAction;
    // Called with every log line (Windows-1250) as it arrives.
    std::function<void(const std::string& line)> onLog;
    // Called with each request of the plug-in (its op and message number; 0
    // for the other operations) before the host answers it (an unlock: once
    // it is done): a re-entrant host calls the plug-in back from here.
    std::function<void(Op op, int message)> beforeAnswer;
    // The way this host does what its kind can do more ways than one.
    HostVariant variant;
    // What this host did as its kind, and what the plug-in answered, in
    // words for a person: lunetka-host prints them.
    void noteKindAct(const std::string& what) { kindActs_.push_back(what); }
    const std::vector<std::string>& kindActs() const { return kindActs_; }
    // The unloading host's end (its destructor's, in that kind), the way
    // variant.unloadWay says; a test may ask for it in any kind.
    void unloadAndLoadAgain();
    // Whether this host's reference to the library is the process's last.
    bool holdsLastReference() const;
    // A host that leaves value requests unanswered (writes nothing into the buffer).
    void setAnswerValueRequests(bool answer) { answerValueRequests_ = answer; }
    // A host that answers a plug-in's questions to itself with 0 instead of
    // passing them on.
    void setAnswerOwnQuestions(bool answer) { answerOwnQuestions_ = answer; }

    // The host's side of a session.
    intptr_t send(int message, intptr_t p1 = 0, intptr_t p2 = 0);
    intptr_t sendRecord(const std::vector<uint8_t>& record);  // any bytes as the message record
    intptr_t start();   // HM_START (its reply), HM_SETTINGS_COLUMNS, HM_BUILD_UI
    void stop();    // HM_STOP
    intptr_t actionEvent(int actionId, int code);
    // The user sets the three criteria as the host stores them (field and
    // condition by number), and the value edit reports code.
    intptr_t searchFor(const std::string& field, const std::string& condition, const std::string& value,
                       int code = EVENT_CHANGED)
    {
        settings_[lunetka::FIELD].value = field;
        settings_[lunetka::CONDITION].value = condition;
        settings_[lunetka::VALUE].value = value;
        return actionEvent(lunetka::VALUE, code);
    }
    bool pluginLoaded() const { return entry_ != nullptr; }
    // The configuration page and the plug-in's controls on it (page_session.h).
    PageSession& page() { return page_; }
    // A user's change of a combo (by the item's value) or the edit.
    intptr_t changeControl(int actionId, const std::string& value);

    // What happened (exchange_log.h).
    const std::vector<Exchange>& exchanges() const { return log_.all(); }
    std::vector<const Exchange*> find(Op op, int message = 0) const { return log_.find(op, message); }
    void clearExchanges() { log_.clear(); }
    // The log lines, oldest first.
    std::vector<std::string> log() const { return log_.lines(); }
    size_t logLines() const { return log_.lineCount(); }
    // A line of the host's own in the same log (Windows-1250).
    void hostLog(const std::string& line);
    void clearLog() { log_.clearLines(); }  // and give its memory back
    const std::vector<std::string>& abiErrors() const { return abiErrors_; }
    int lockDepth() const { return lockDepth_; }
    int maxLockDepth() const { return maxLockDepth_; }
    const std::vector<Action>& actions() const { return actions_; }
    const Action* action(int id) const;
    std::map<int, SettingsColumn>& settings() { return settings_; }
    const std::map<int, HICON>& registeredIcons() const { return icons_; }

private:
    // The control object's table calls these (host_control_table.cpp).
    friend class HostControlOperations;
    int opGetPluginId();
    HINSTANCE opGetAppInstance();
    HINSTANCE opGetPluginInstance();
    int opQueryState();
    void opSetStatus(int status);
    intptr_t opSendMessage(void* message);
    intptr_t opSendMessageTo(int pluginId, void* message);
    int opReadCell(int table, int row, int column, void* cell);
    void opLockTable(int table, int row, int flags);
    void opUnlockTable(int table, int row, int flags);
    void opReserved(int slot);

    intptr_t callPlugin(void* record, int message);
    intptr_t answer(Exchange& exchange, void* message);
    // p1 as the record a message needs; a null one is an ABI error.
    const void* requiredRecord(intptr_t p1, const char* what);
    // The answers, one per message (answerRoutes in host_answers.cpp).
    struct AnswerRoute;
    static const AnswerRoute answerRoutes[];
    intptr_t onLogLine(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onVersionText(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onContactCount(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onPluginCount(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onPluginIdAt(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onPluginModule(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onAddColumn(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onActionCreate(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onActionCall(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onActionGetValue(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onIconRegister(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t onIconGet(Exchange& exchange, void* record, intptr_t p1, intptr_t p2);
    intptr_t networkPluginAnswer(const NetworkPlugin& plugin, int message);
    std::string controlValue(int actionId) const;
    void saveProfile() const;
    void abiError(const std::string& what);
    size_t keep(const Exchange& exchange) { return log_.keep(exchange, recording_); }  // SIZE_MAX: not kept
    void noteCall(Op op, std::initializer_list<intptr_t> args, intptr_t reply = 0);

    struct RawControl;
    std::unique_ptr<RawControl> control_;
    void* entry_ = nullptr;
    HMODULE pluginModule_ = nullptr;
    std::vector<std::string> kindActs_;
    std::string pluginPath_;
    intptr_t lastStartReply_ = 0;
    bool ownsModule_ = false;
    bool started_ = false;
    int pluginId_ = 7;
    int queryState_ = 0;
    ContactTable contacts_;
    std::vector<NetworkPlugin> networkPlugins_;
    ExchangeLog log_;
    RecordingOptions recording_;
    std::vector<std::string> abiErrors_;
    int lockDepth_ = 0;
    int maxLockDepth_ = 0;
    bool answerValueRequests_ = true;
    bool answerOwnQuestions_ = true;
    Exchange scratch_;
    std::vector<Action> actions_;
    std::map<int, SettingsColumn> settings_;
    std::unique_ptr<SettingsProfile> profile_;  // none: settings live in memory only
    std::map<int, HICON> icons_;
    PageSession page_{*this};
};

}  // namespace host
