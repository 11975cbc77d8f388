// A hostile host: random sequences of messages in and out of order, short
// records, unknown ids and codes, contact tables and settings full of
// traps. Afterwards the process must be alive, every table lock released,
// no window of the plug-in's left behind, and memory flat over many searches.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <random>

#include "host/host_layout.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const int START = host::MSG_START, STOP = host::MSG_STOP, SETTINGS = host::MSG_SETTINGS_COLUMNS,
          BUILD_UI = host::MSG_BUILD_UI, ACTION_EVENT = host::MSG_ACTION_EVENT;

std::string hostileText(std::mt19937& random)
{
    switch (std::uniform_int_distribution<int>(0, 8)(random)) {
    case 8: return random() % 8 ? "Ala" : std::string(2 * 1024 * 1024, 'H');  // a giant cell, now and then
    case 0: return "";
    case 1: return std::string(65536, 'x');
    case 2: return "%s%n%x%%%p%s%s%s";
    case 3: return "\x01\x1a\x04\x7f\x02\x03\n\r\t";
    case 4: return std::string(499, 'q');
    case 5: return "\xff\xfe\x80\xa3\xb3";
    case 6: return "-2147483649";
    default: return "Ala";
    }
}

host::ContactTable hostileTable(std::mt19937& random)
{
    host::ContactTable table;
    int rows = std::uniform_int_distribution<int>(0, 12)(random);
    for (int row = 0; row < rows; ++row) {
        std::map<int, std::string> cells;
        for (int column : {0, 1, 4, 6, 7, 8, 9, 13, 17, 18})
            if (std::uniform_int_distribution<int>(0, 4)(random))  // some columns missing
                cells[column] = column == 1 && random() % 2 ? std::to_string(random() % 600) : hostileText(random);
        table.addRow(cells);
    }
    return table;
}

// The search windows an unload without a stop left, and their class.
void destroyWhatAnUnloadLeft()
{
    for (HWND window; (window = support::ownWindow("Lunetka")) != nullptr;)
        if (!DestroyWindow(window))
            break;
    UnregisterClassA("Lunetka", GetModuleHandleA(nullptr));
}

class HostileRun {
public:
    HostileRun(unsigned seed) : random_(seed) {}

    void run(int steps)
    {
        auto host = support::loadPlugin();
        host->recording().cellReads = false;
        host->setContacts(hostileTable(random_));
        HWND page = support::createHostPage("page");  // of the host's kind: narrow, Unicode, a dialog, subclassed
        HWND secondPage = support::createHostPage("page B");
        HWND lastList = nullptr;
        // A host that calls back from inside our calls to it: from a log
        // line, a value, cell or icon request, any message, once at a time.
        bool callingBack = false;
        int callBackMove = -1;
        auto callBack = [&]() {
            if (callingBack || callBackMove < 0 || pick(0, 5))
                return;
            callingBack = true;
            switch (callBackMove) {
            case 0: host->actionEvent(VALUE, host::EVENT_REFRESH); break;
            case 1: support::giveListBack(*host, page, lastList); break;
            case 2:
                if (HWND made = support::askForList(*host, pick(0, 1) ? page : secondPage))
                    lastList = made;
                break;
            case 3: host->send(STOP); break;
            default: host->actionEvent(pick(TALK, PROPERTIES), host::EVENT_ACTIVATED); break;
            }
            callBackMove = -1;
            callingBack = false;
        };
        host->beforeAnswer = [&](host::Op, int) { callBack(); };
        host->onLog = [&](const std::string&) { callBack(); };
        for (int step = 0; step < steps; ++step) {
            ++inputs;
            callBackMove = pick(0, 2) ? -1 : pick(0, 4);
            int move = pick(0, 14);
            switch (move) {
            case 0: host->send(START, reinterpret_cast<intptr_t>(host->controlObject())); break;
            case 1: host->send(STOP); break;
            case 2: host->send(SETTINGS); break;
            case 3: host->send(BUILD_UI); break;
            case 4: host->sendRecord(host::messageRecord(pick(0, 1) ? START : ACTION_EVENT,
                                                         reinterpret_cast<intptr_t>(host->controlObject()), 0,
                                                         static_cast<uint16_t>(pick(0, 29))));
                break;
            case 5: host->send(pick(-5, 40000)); break;
            case 6: {  // the result slot, well or badly formed
                int code = pick(0, 1) ? host::EVENT_CREATE_CONTROL : host::EVENT_DESTROY_CONTROL;
                HWND target = pick(0, 2) == 0 ? nullptr : pick(0, 1) ? lastList : reinterpret_cast<HWND>(0x1234);
                std::vector<uint8_t> event = support::slotEvent(code, pick(0, 4) ? page : nullptr,
                                                                code == host::EVENT_DESTROY_CONTROL ? target : nullptr);
                event.resize(96, 0);  // room for a plug-in that reads past a short record
                host::putU16(event.data(), host::action_event::SIZE,
                             static_cast<uint16_t>(pick(0, 3) ? 68 : pick(0, 80)));
                host->send(ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()));
                if (code == host::EVENT_CREATE_CONTROL && support::slotWindow(event))
                    lastList = support::slotWindow(event);
                break;
            }
            case 7: {  // any action, any code, any size
                std::vector<uint8_t> event = host::eventRecord(96, pick(0, 3) ? pick(512000, 512012) : pick(-3, 3), 0,
                                                               pick(0, 1) ? pick(0, 14) : pick(-1000, 1000));
                host::putU16(event.data(), host::action_event::SIZE, static_cast<uint16_t>(pick(0, 90)));
                host->send(ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()));
                break;
            }
            case 8: {  // settings that are no numbers, out of range, or full of traps
                const int controls[] = {FIELD, CONDITION, VALUE};
                int control = controls[pick(0, 2)];
                host->settings()[control].column = control;
                host->settings()[control].value = pick(0, 1) ? hostileText(random_) : std::to_string(pick(-9, 12));
                host->actionEvent(control, pick(0, 2) ? host::EVENT_CHANGED : host::EVENT_REFRESH);
                break;
            }
            case 9:
                if (IsWindow(lastList)) {
                    host::focusRow(lastList, pick(-1, 3), pick(0, 1));
                    host::doubleClickRow(lastList, pick(0, 3));
                }
                host->actionEvent(pick(TALK, PROPERTIES), host::EVENT_ACTIVATED);
                break;
            case 10:
                if (IsWindow(lastList))
                    host::clickHeader(lastList, pick(0, 1));
                break;
            case 11:
                host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED);
                break;
            case 12:  // stopped, maybe with the list open, and unloaded at once
            case 14:  // unloaded without a stop: the host cleans up the windows it is left with
                if (move == 12)
                    host->send(STOP);
                if (!mayReload())
                    break;
                host->unloadPlugin();
                support::pokePage(page, lastList);
                support::pokePage(secondPage, lastList);
                if (move == 14)
                    destroyWhatAnUnloadLeft();
                host->loadPlugin(support::pluginPath());
                break;
            case 13:  // the list asked for on the other page
                if (HWND made = support::askForList(*host, secondPage))
                    lastList = made;
                break;
            }
            EXPECT_EQ(0, host->lockDepth()) << "a table lock was not released";
            host->clearExchanges();
            host->clearLog();
        }
        host->beforeAnswer = nullptr;
        host->onLog = nullptr;
        DestroyWindow(page);  // the pages go first, as in the host, then the plug-in
        DestroyWindow(secondPage);
        EXPECT_TRUE(host->abiErrors().empty());
        ++sequences;
    }

    int sequences = 0;
    long inputs = 0;
    int reloads = 0;

private:
    // Each load of the DLL costs the process a thread-local-storage slot that
    // the MinGW runtime never gives back (about a thousand in all under
    // Wine), so the campaign reloads it a bounded number of times.
    bool mayReload() { return reloads < MAX_RELOADS && ++reloads; }
    static const int MAX_RELOADS = 400;

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::mt19937 random_;
};

}  // namespace

// How long the campaign may run: LUNETKA_CAMPAIGN_SECONDS, 60 by default.
DWORD campaignMilliseconds()
{
    char text[16] = "";
    DWORD length = GetEnvironmentVariableA("LUNETKA_CAMPAIGN_SECONDS", text, sizeof text);
    int seconds = length > 0 && length < sizeof text ? atoi(text) : 0;
    return static_cast<DWORD>(seconds > 0 ? seconds : 60) * 1000;
}

TEST(HostileHost, RandomSequencesLeaveNothingBehind)
{
    int lists = support::ownListViews();
    size_t searchWindows = support::ownWindows("Lunetka").size();
    HostileRun run(424242);
    DWORD started = GetTickCount();
    DWORD budget = campaignMilliseconds();
    for (int sequence = 0; sequence < 300 && GetTickCount() - started < budget; ++sequence) {
        run.run(40);
        ASSERT_EQ(lists, support::ownListViews()) << "sequence " << sequence << " left a list view";
        ASSERT_EQ(searchWindows, support::ownWindows("Lunetka").size()) << "sequence " << sequence
                                                                         << " left a search window";
    }
    EXPECT_GE(run.sequences, static_cast<int>(budget / 600)) << "too slow to be a campaign";
    printf("hostile host: %d sequences, %ld inputs, %d unloads, 0 crashes, 0 windows left\n", run.sequences,
           run.inputs, run.reloads);
}

TEST(HostileHost, MemoryStaysFlatOver10000Searches)
{
    auto host = support::loadPlugin();
    host->recording().cellReads = false;
    host->setContacts(host::ContactTable::fromCsvText(
        "uid,net,display,city\n0,1,Ja,x\n1,1,Ala,abc\n2,2,Ola,bcd\n3,3,Ela,xyz\n4,9,Iza,yzx\n", "test"));
    host->start();
    host->page().open();
    host->settings()[FIELD].value = "5";
    host->settings()[CONDITION].value = "1";
    auto searches = [&](int count) {
        for (int i = 0; i < count; ++i) {
            host->settings()[VALUE].value = i % 2 ? "ab" : "xy";  // one hit each: the list view is slow under Wine
            host->actionEvent(VALUE, host::EVENT_CHANGED);
            host->clearExchanges();
            host->clearLog();
        }
    };
    searches(500);  // warm up: heaps and caches reach their working size
    size_t before = support::committedBytes();
    searches(10000);
    size_t after = support::committedBytes();
    ASSERT_EQ(1u, host::readResultRows(host->page().slotControl(RESULTS)).size());
    ASSERT_NE(0u, before) << "no memory figure on this system";
    EXPECT_LT(after, before + 256 * 1024) << "grew by " << (after - before) << " bytes";
    printf("hostile host: 10000 searches, committed bytes %u -> %u\n", static_cast<unsigned>(before),
           static_cast<unsigned>(after));
}
