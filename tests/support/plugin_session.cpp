#include "tests/support/plugin_session.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <fstream>
#include <map>

#include "host/host_error.h"
#include "host/host_layout.h"
#include "host/host_subclass.h"
#include "host/host_window.h"
#include "host/personality.h"
#include "host/plugin_ids.h"
#include <sstream>

namespace support {

namespace {

void failRunningTest(const std::string& what) { ADD_FAILURE() << "the host found: " << what; }

// Each program run is one kind of host: LUNETKA_PERSONALITY names it.
struct PersonalityFromEnvironment {
    PersonalityFromEnvironment()
    {
        char name[64];
        DWORD length = GetEnvironmentVariableA("LUNETKA_PERSONALITY", name, sizeof name);
        try {
            if (length > 0 && length < sizeof name)
                host::setPersonality(host::personalityNamed(name));
        } catch (const std::exception& error) {
            fprintf(stderr, "%s\n", error.what());
            exit(2);
        }
        host::setHostFaultHook(failRunningTest);
    }
};
PersonalityFromEnvironment personalityFromEnvironment;

}  // namespace

std::string besideTests(const char* name)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory(path, length);
    directory.erase(directory.find_last_of("\\/") + 1);
    return directory + name;
}

std::string pluginPath()
{
    // Another build of the plug-in (clang's, say) can be put under the same tests.
    char chosen[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("LUNETKA_PLUGIN", chosen, sizeof chosen);
    if (length > 0 && length < sizeof chosen)
        return chosen;
    return besideTests("lunetka.dll");
}

std::string testBuildPath(const char* name)
{
    std::string path = pluginPath();
    path.erase(path.find_last_of("\\/") + 1);
    return path + name;
}

host::HostVariant variantOfThisTest()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : std::string();
    uint32_t hash = 2166136261u;  // FNV-1a: the same on every machine and compiler
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    host::HostVariant variant;
    variant.unloadWay = static_cast<host::UnloadWay>(hash % host::UNLOAD_WAYS);
    variant.rebuildTellsUs = (hash / host::UNLOAD_WAYS) % 2 == 0;
    return variant;
}

std::unique_ptr<host::StandInHost> loadPlugin(const std::string& file)
{
    std::string path = file;
    if (GetModuleHandleA(path.c_str())) {
        static int copies = 0;
        std::string copy = temporaryPath(("lunetka-fresh-" + std::to_string(++copies) + ".dll").c_str());
        if (!CopyFileA(path.c_str(), copy.c_str(), FALSE))
            throw host::HostError("cannot copy the plug-in to " + copy);
        path = copy;
    }
    std::unique_ptr<host::StandInHost> stand(new host::StandInHost);
    stand->variant = variantOfThisTest();
    stand->loadPlugin(path);
    return stand;
}

bool pluginStillLoaded(const host::StandInHost& host) { return GetModuleHandleA(host.pluginPath().c_str()) != nullptr; }

std::unique_ptr<host::StandInHost> startPlugin()
{
    std::unique_ptr<host::StandInHost> stand = loadPlugin();
    stand->start();
    return stand;
}

std::unique_ptr<host::StandInHost> openPluginPage(const char* contactsCsv, const std::string& path)
{
    std::unique_ptr<host::StandInHost> stand = loadPlugin(path);
    stand->setContacts(host::ContactTable::fromCsvText(contactsCsv, "test"));
    stand->start();
    stand->page().open();
    return stand;
}

size_t committedBytes()
{
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

namespace {

// Every temporary file this process named goes when it ends, with the backup
// a settings profile keeps beside itself: else each run would leave its
// copies of the plug-in in the prefix. A copy still loaded then stays.
struct TemporaryFiles {
    std::vector<std::string> paths;
    ~TemporaryFiles()
    {
        for (const std::string& path : paths) {
            DeleteFileA(path.c_str());
            DeleteFileA((path + ".bak").c_str());
        }
    }
} temporaryFiles;

}  // namespace

std::string temporaryPath(const char* name)
{
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    // The process's own: test programs run side by side, and a copy of the
    // plug-in that one of them keeps loaded cannot be written over.
    std::string path = std::string(directory) + std::to_string(GetCurrentProcessId()) + "-" + name;
    DeleteFileA(path.c_str());
    temporaryFiles.paths.push_back(path);
    return path;
}

std::string fileText(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<uint8_t> slotEvent(int code, HWND page, HWND window, int x, int y)
{
    std::vector<uint8_t> event =
        host::eventRecord(host::action_event::CONTROL_LENGTH, host::lunetka::RESULTS, host::lunetka::PAGE, code);
    host::putPtr(event.data(), host::action_event::WINDOW, window);
    host::putPtr(event.data(), host::action_event::PARENT_WINDOW, page);
    host::putI32(event.data(), host::action_event::X, x);
    host::putI32(event.data(), host::action_event::Y, y);
    return event;
}

HWND slotWindow(const std::vector<uint8_t>& event)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(host::u32At(event.data(), host::action_event::WINDOW)));
}

std::vector<uint8_t> sendSlotEvent(host::StandInHost& host, int code, HWND page, HWND window, int x, int y)
{
    std::vector<uint8_t> event = slotEvent(code, page, window, x, y);
    host.send(host::MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()));
    return event;
}

HWND askForList(host::StandInHost& host, HWND page, int x, int y)
{
    return slotWindow(sendSlotEvent(host, host::EVENT_CREATE_CONTROL, page, nullptr, x, y));
}

WNDPROC putProcedure(HWND window, WNDPROC procedure)
{
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

namespace {

struct HostProcedureInFront {
    WNDPROC next;
    HostProcedure onMessage;
    int heard = 0;
};
std::map<HWND, std::shared_ptr<HostProcedureInFront>> hostProcedures;

LRESULT CALLBACK hostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto found = hostProcedures.find(hwnd);
    if (found == hostProcedures.end())
        return DefWindowProcA(hwnd, message, wParam, lParam);
    std::shared_ptr<HostProcedureInFront> here = found->second;  // it may be taken away inside
    ++here->heard;
    if (message == WM_NCDESTROY)
        hostProcedures.erase(found);
    return here->onMessage ? here->onMessage(here->next, hwnd, message, wParam, lParam)
                           : CallWindowProcA(here->next, hwnd, message, wParam, lParam);
}

}  // namespace

void putHostProcedure(HWND window, HostProcedure onMessage)
{
    if (hostProcedures.count(window)) {
        ADD_FAILURE() << "the host's procedure stands in front of that window already";
        return;
    }
    auto here = std::make_shared<HostProcedureInFront>();
    here->onMessage = std::move(onMessage);
    hostProcedures[window] = here;
    here->next = putProcedure(window, hostProcedure);
}

void takeHostProcedureAway(HWND window)
{
    auto found = hostProcedures.find(window);
    if (found == hostProcedures.end())
        return;
    if (IsWindow(window))
        putProcedure(window, found->second->next);
    hostProcedures.erase(found);
}

bool hostProcedureInFront(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == hostProcedure;
}

int heardByHostProcedure(HWND window)
{
    auto found = hostProcedures.find(window);
    return found == hostProcedures.end() ? 0 : found->second->heard;
}

const char TWO_IN_OPOLE[] = "uid,net,display,city\n0,1,Ja,x\n1,1,Ala,Opole\n2,2,Ola,Opole\n";

std::function<void(HWND, UINT, WPARAM, LPARAM)> onHostPageMessage;

namespace {

class HostTestPage : public host::WindowHandler {
public:
    bool onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT*) override
    {
        if (onHostPageMessage)
            onHostPageMessage(hwnd, message, wParam, lParam);
        return false;
    }
};
HostTestPage hostTestPage;

BOOL CALLBACK countListView(HWND window, LPARAM count)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    *reinterpret_cast<int*>(count) += strcmp(name, WC_LISTVIEWA) == 0;
    return TRUE;
}

struct WindowQuery {
    const char* className;
    const char* title;
    std::vector<HWND> found;
};

BOOL CALLBACK collectOwnWindow(HWND window, LPARAM query)
{
    WindowQuery* wanted = reinterpret_cast<WindowQuery*>(query);
    char name[256] = "", title[256] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, title, sizeof title);
    if ((!wanted->className || strcmp(name, wanted->className) == 0) &&
        (!wanted->title || strcmp(title, wanted->title) == 0))
        wanted->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> ownWindows(const char* className, const char* title)
{
    WindowQuery query = {className, title, {}};
    EnumThreadWindows(GetCurrentThreadId(), collectOwnWindow, reinterpret_cast<LPARAM>(&query));
    std::reverse(query.found.begin(), query.found.end());  // Windows lists the newest first
    return query.found;
}

HWND ownWindow(const char* className, const char* title)
{
    std::vector<HWND> found = ownWindows(className, title);
    return found.empty() ? nullptr : found.front();
}

int ownListViews()
{
    int found = 0;
    for (HWND top : ownWindows(nullptr))
        found += listViewsIn(top);
    return found;
}

HWND createHostPage(const char* title)
{
    host::WindowSpec plan;
    plan.title = title;
    plan.x = plan.y = 0;
    plan.width = 600;
    plan.height = 500;
    plan.handler = &hostTestPage;
    HWND page = host::createHostWindow(host::pageKind(), plan);
    if (page && host::personality() == host::Personality::Subclassing)
        host::replacePageProcedure(page);
    return page;
}

HWND windowAtHandle(HWND destroyed, const std::function<HWND()>& make)
{
    // Windows and menus share one handle table, and a menu costs a fraction
    // of a window: menus take the freed slot round its generations.
    const int MAX_DEPTH = 8;
    const WORD slot = LOWORD(reinterpret_cast<uintptr_t>(destroyed));
    const WORD generation = HIWORD(reinterpret_cast<uintptr_t>(destroyed));
    auto holdMenus = [](int count) {
        std::vector<HMENU> menus;
        for (int i = 0; i < count; ++i)
            menus.push_back(CreateMenu());
        return menus;
    };
    auto freeMenus = [](const std::vector<HMENU>& menus) {  // in reverse: they come back in the same order
        std::for_each(menus.rbegin(), menus.rend(), DestroyMenu);
    };
    // How deep in the free slots ours lies.
    std::vector<HMENU> probe = holdMenus(MAX_DEPTH);
    int depth = -1;
    for (int i = 0; i < MAX_DEPTH && depth < 0; ++i) {
        if (LOWORD(reinterpret_cast<uintptr_t>(probe[static_cast<size_t>(i)])) == slot)
            depth = i;
    }
    freeMenus(probe);
    if (depth < 0)
        return nullptr;
    // The slots in front stay taken, so one menu at a time turns ours round.
    std::vector<HMENU> fillers = holdMenus(depth);
    HWND made = nullptr;
    for (int round = 0; round < 0x10000; ++round) {
        HMENU turn = CreateMenu();
        WORD now = HIWORD(reinterpret_cast<uintptr_t>(turn));
        bool onOurSlot = LOWORD(reinterpret_cast<uintptr_t>(turn)) == slot;
        DestroyMenu(turn);
        if (!onOurSlot)
            break;
        if ((now + 1 >= 0xFFFF ? 1 : now + 1) == generation) {
            made = make();
            break;
        }
    }
    freeMenus(fillers);
    return made == destroyed ? made : nullptr;
}

bool hasOwnProcedure(HWND page)
{
    LONG_PTR own = host::ownProcedure(page);
    return own && own == host::frontProcedure(page);
}

void expectGivenBack(HWND page, const char* file, int line)
{
    // The subclassing host takes its subclass away at a stop, and from
    // inside a message of the page only once that message is done: the page
    // is given back by its next message.
    if (host::personality() == host::Personality::Subclassing)
        SendMessageA(page, WM_NULL, 0, 0);
    if (!host::hasPageSubclass(page)) {
        if (!hasOwnProcedure(page))
            ADD_FAILURE_AT(file, line) << "the page's own procedure is not in front of it";
        return;
    }
    int heard = host::messagesHeard(page);
    SendMessageA(page, WM_NULL, 0, 0);
    if (host::messagesHeard(page) != heard + 1)
        ADD_FAILURE_AT(file, line) << "behind the host's subclass, the page's own procedure heard "
                                   << host::messagesHeard(page) - heard << " of 1 message";
}

int listViewsIn(HWND window)
{
    int count = 0;
    EnumChildWindows(window, countListView, reinterpret_cast<LPARAM>(&count));
    return count;
}

void pokePage(HWND page, HWND formerList)
{
    SendMessageA(page, WM_NULL, 0, 0);
    SendMessageA(page, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("poke"));
    NMLISTVIEW notice;
    ZeroMemory(&notice, sizeof notice);
    notice.hdr.hwndFrom = formerList;
    notice.hdr.code = static_cast<UINT>(NM_DBLCLK);
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    notice.hdr.code = static_cast<UINT>(LVN_COLUMNCLICK);
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    SendMessageA(page, WM_NOTIFY, 0, 0);  // a notification without its record
    SendMessageA(page, WM_PARENTNOTIFY, WM_DESTROY, reinterpret_cast<LPARAM>(formerList));
    MSG pending;
    for (int i = 0; i < 100 && PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageA(&pending);
}

const host::Exchange& only(const std::vector<const host::Exchange*>& found, const char* file, int line)
{
    static const host::Exchange none;
    if (found.size() != 1) {
        ADD_FAILURE_AT(file, line) << "expected exactly one such exchange, found " << found.size();
        return found.empty() ? none : *found[0];
    }
    return *found[0];
}

namespace {

bool inRange(const std::vector<uint8_t>& bytes, size_t offset, size_t width, const char* file, int line)
{
    if (offset + width <= bytes.size())
        return true;
    ADD_FAILURE_AT(file, line) << "record has " << bytes.size() << " bytes; wanted " << width << " at " << offset;
    return false;
}

}  // namespace

int32_t i32(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line)
{
    return inRange(bytes, offset, 4, file, line) ? host::i32At(bytes.data(), offset) : INT32_MIN;
}

int16_t i16(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line)
{
    return inRange(bytes, offset, 2, file, line) ? host::i16At(bytes.data(), offset) : INT16_MIN;
}

uint16_t u16(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line)
{
    return inRange(bytes, offset, 2, file, line) ? host::u16At(bytes.data(), offset) : 0xFFFF;
}

bool zeroBytes(const std::vector<uint8_t>& bytes, size_t from, size_t to)
{
    if (to > bytes.size())
        return false;
    for (size_t i = from; i < to; ++i) {
        if (bytes[i])
            return false;
    }
    return true;
}

bool logged(const host::StandInHost& host, const std::string& line)
{
    std::vector<std::string> lines = host.log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> pluginCalls(const host::StandInHost& host)
{
    std::vector<std::string> calls;
    for (const host::Exchange& exchange : host.exchanges()) {
        if (exchange.op == host::Op::Entry)
            continue;
        std::string name = host::opName(exchange.op);
        calls.push_back(exchange.message ? name + " " + std::to_string(exchange.message) : name);
    }
    return calls;
}

void expectSequence(const host::StandInHost& host, const std::vector<ExpectedExchange>& expected, const char* file,
                    int line)
{
    std::vector<const host::Exchange*> calls;
    for (const host::Exchange& exchange : host.exchanges()) {
        if (exchange.op != host::Op::Entry)
            calls.push_back(&exchange);
    }
    auto name = [](host::Op op, int message) {
        return message ? std::string(host::opName(op)) + " " + std::to_string(message) : host::opName(op);
    };
    std::string wanted, got;
    for (const ExpectedExchange& row : expected)
        wanted += "  " + name(row.op, row.message) + "\n";
    for (const host::Exchange* call : calls)
        got += "  " + name(call->op, call->message) + "\n";
    for (size_t i = 0; i < std::max(expected.size(), calls.size()); ++i) {
        bool same = i < expected.size() && i < calls.size() && expected[i].op == calls[i]->op &&
                    (expected[i].message == 0 || expected[i].message == calls[i]->message);
        if (!same) {
            ADD_FAILURE_AT(file, line) << "exchange " << i << " differs\nexpected:\n" << wanted << "recorded:\n" << got;
            return;
        }
    }
}

}  // namespace support
