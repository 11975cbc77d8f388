// The re-entry explorer: every point where control passes from the plug-in
// to the host, in each of a set of short scenarios, meets every action a
// host may take there. A point is a call of the host's object, a message the
// page's own procedure hears, or a list-view message sent to our list (which
// a host may have subclassed); not activation or painting, which the
// desktop sends. The scenario runs once to count its points;
// then once per point and action, with that action injected at that point
// (depth 1), each run in a fresh copy of the library. Then a sample drawn
// with a fixed seed nests a second action at a point inside the first one
// (depth 2). Up to its injection, every copy must cross the first copy's
// points alike: a fresh copy works as the first did. After each run the
// invariants every host may rely on are checked. The first violation ends the scenario with a one-line
// reproduction: LUNETKA_EXPLORE="scenario:point:action" (or, at depth 2,
// "scenario:point:action:inner point:inner action") runs that case alone.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "host/host_layout.h"
#include "host/host_window.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const int START = host::MSG_START, STOP = host::MSG_STOP, ACTION_EVENT = host::MSG_ACTION_EVENT;
const int UNKNOWN = 30014;  // a message the plug-in does not know: it tells the host, while started
const char* const CONTACTS = support::TWO_IN_OPOLE;
const std::vector<std::string> OPOLE = {"Ala", "Ola"};
// Host calls one run may make at most: past it, a loop.
const size_t MAX_EXCHANGES = 5000;

// What a host may do at a point. One line each.
enum Action { Stop, Start, StopStart, ListHere, ListElsewhere, ListBack, Refresh, Unchanged, Click, DoubleClick, Menu,
              PageGone, ListGone, Free, Unknown, ACTIONS };
const char* const ACTION_NAMES[ACTIONS] = {
    "HM_STOP", "HM_START", "HM_STOP then HM_START", "220 on the page", "220 on another page", "221", "search event 12",
    "unchanged search event", "header click", "double click", "menu entry", "page destroyed", "list destroyed",
    "FreeLibrary", "an unknown message"};

struct ExplorerRun;
ExplorerRun* current = nullptr;  // the run the hooks serve

// One run of a scenario, in a fresh copy of the plug-in and fresh pages.
struct ExplorerRun {
    int target;    // the point where the action goes; -1: none
    Action action;
    int innerTarget = -1;  // the point inside that action where the second one goes; -1: none
    Action innerAction = ACTIONS;
    int points = 0, innerPoints = 0;
    int depth = 0;  // actions running
    // Every point crossed outside an action, and the first copy's, which each
    // fresh copy must cross alike up to its injection.
    std::vector<std::pair<std::string, int>> path;
    const std::vector<std::pair<std::string, int>>* firstPath = nullptr;
    int divergedAt = -1;
    bool started = false;  // as the last start or stop to return left it
    // A list we handed back that is being destroyed, from the notice its
    // page gets first to its last message. A host that destroys it (or its
    // page) again meanwhile makes the list itself go on with memory the
    // nested destroy freed (Wine's comctl32 frees its items twice), whoever
    // made it: no plug-in can stand behind that, so no run does it.
    HWND dyingList = nullptr;
    // A stop calls nobody, whatever it hears meanwhile: stops running, and
    // the first host call made during one.
    int stopping = 0;
    std::string calledInStop;
    bool trace = GetEnvironmentVariableA("LUNETKA_EXPLORE_TRACE", nullptr, 0) > 0;
    std::unique_ptr<host::StandInHost> host;
    HWND page = nullptr, other = nullptr;
    uintptr_t imageBase = 0, imageEnd = 0;  // where the copy of the library this run loaded lies

    ExplorerRun(int target_, Action action_) : target(target_), action(action_) { current = this; }
    ~ExplorerRun()
    {
        current = nullptr;
        if (host)
            host->beforeAnswer = nullptr;
        host.reset();
        support::onHostPageMessage = nullptr;
        if (IsWindow(page)) {
            RemovePropA(page, "reentry explorer");
            DestroyWindow(page);
        }
        if (IsWindow(other))
            DestroyWindow(other);
    }

    // where: what kind of point, and its operation or message, for a trace
    // (LUNETKA_EXPLORE_TRACE set) of a case run alone.
    void crossing(const char* where, int what)
    {
        if (depth == 0) {
            if (trace)
                fprintf(stderr, "point %d: %s %d\n", points, where, what);
            path.emplace_back(where, what);
            if (firstPath && divergedAt < 0 && (target < 0 || points <= target) &&
                (static_cast<size_t>(points) >= firstPath->size() || (*firstPath)[points] != path.back()))
                divergedAt = points;
            if (points++ == target)
                inject(action);
        } else if (depth == 1) {
            if (trace)
                fprintf(stderr, "  inner point %d: %s %d\n", innerPoints, where, what);
            if (innerPoints++ == innerTarget)
                inject(innerAction);
        }
    }
    void inject(Action what)
    {
        ++depth;
        act(what);
        --depth;
    }

    HWND list() const { return page && IsWindow(page) ? FindWindowExA(page, nullptr, WC_LISTVIEWA, nullptr) : nullptr; }

    intptr_t send(int message, intptr_t p1 = 0)
    {
        if (!host->pluginLoaded())
            return 0;
        stopping += message == STOP;
        intptr_t answer = host->send(message, p1);
        stopping -= message == STOP;
        if (message == START)
            started = answer == 1;
        else if (message == STOP)
            started = false;
        return answer;
    }
    void event(int code, HWND target, HWND window = nullptr)
    {
        std::vector<uint8_t> record = support::slotEvent(code, target, window, 10, 10);
        send(ACTION_EVENT, reinterpret_cast<intptr_t>(record.data()));
        watchList(support::slotWindow(record));
    }
    void actionEvent(int id, int code)
    {
        if (host->pluginLoaded())
            host->actionEvent(id, code);
    }
    // The explorer's own subclass of each list we hand back: our messages to
    // it are points too.
    void watchList(HWND made)
    {
        if (!made || !IsWindow(made) || support::hostProcedureInFront(made))
            return;
        support::putHostProcedure(made, [](WNDPROC next, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            if (current && message >= LVM_FIRST && message < LVM_FIRST + 0x100)
                current->crossing("list hears", static_cast<int>(message));
            ExplorerRun* run = current;
            if (run && message == WM_DESTROY)
                run->dyingList = hwnd;
            LRESULT answer = CallWindowProcA(next, hwnd, message, wParam, lParam);
            if (run && message == WM_NCDESTROY && run->dyingList == hwnd)
                run->dyingList = nullptr;
            return answer;
        });
    }

    void act(Action what)
    {
        HWND shown = list();
        switch (what) {
        case Stop: send(STOP); break;
        case Start: send(START, reinterpret_cast<intptr_t>(host->controlObject())); break;
        case StopStart: act(Stop); act(Start); break;
        case ListHere: if (IsWindow(page)) event(host::EVENT_CREATE_CONTROL, page); break;
        case ListElsewhere:
            if (!other)
                other = support::createHostPage("inna");
            event(host::EVENT_CREATE_CONTROL, other);
            break;
        case ListBack: if (IsWindow(page)) event(host::EVENT_DESTROY_CONTROL, page, shown); break;
        case Refresh: actionEvent(VALUE, host::EVENT_REFRESH); break;
        case Unchanged: actionEvent(VALUE, host::EVENT_CHANGED); break;
        case Click: if (shown) host::clickHeader(shown, 0); break;
        case DoubleClick:
            if (shown && SendMessageA(shown, LVM_GETITEMCOUNT, 0, 0) > 0) {
                host::focusRow(shown, 0, true);
                host::doubleClickRow(shown, 0);
            }
            break;
        case Menu: actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED); break;
        case PageGone:
            if (dyingList)
                break;
            if (IsWindow(page))
                DestroyWindow(page);
            page = nullptr;  // its handle may name another window soon
            break;
        case ListGone: if (shown && !dyingList) DestroyWindow(shown); break;
        case Free: if (host->pluginLoaded()) host->unloadPlugin(); break;
        case Unknown: send(UNKNOWN); break;
        case ACTIONS: break;
        }
    }

    // The steps scenarios are made of.
    void begin()
    {
        host = support::loadPlugin();
        imageBase = reinterpret_cast<uintptr_t>(host->pluginModule());
        const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(imageBase);
        imageEnd = imageBase + reinterpret_cast<const IMAGE_NT_HEADERS*>(imageBase + dos->e_lfanew)
                                   ->OptionalHeader.SizeOfImage;
        host->setContacts(host::ContactTable::fromCsvText(CONTACTS, "explorer"));
        host->beforeAnswer = [](host::Op op, int message) {
            if (current && current->stopping && current->calledInStop.empty())
                current->calledInStop = host::opName(op);
            if (current)
                current->crossing(host::opName(op), message);
        };
        // The page's points are what our list and our code make it hear;
        // activation and painting come from the desktop every program
        // under the same server shares, and would move the points around.
        support::onHostPageMessage = [](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
            if (current && message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY &&
                reinterpret_cast<HWND>(lParam) == current->list())
                current->dyingList = reinterpret_cast<HWND>(lParam);
            if (current && (message == WM_NOTIFY || message == WM_PARENTNOTIFY || message == WM_COMMAND))
                current->crossing("page hears", static_cast<int>(message));
        };
        page = support::createHostPage("strona");
        SetPropA(page, "reentry explorer", this);
        send(START, reinterpret_cast<intptr_t>(host->controlObject()));
        send(host::MSG_SETTINGS_COLUMNS);
        send(host::MSG_BUILD_UI);
    }
    void openList() { act(ListHere); }
    void searchOpole()
    {
        if (host->pluginLoaded())
            host->searchFor("5", "0", "opole");
    }
};

// The base scenarios. One line each. A scenario that begins as another
// (its prefix) explores only its own points past the other's.
struct Scenario {
    const char* name;
    int prefix;  // the scenario it begins as; -1: none
    void (*play)(ExplorerRun& run);
};
const Scenario SCENARIOS[] = {
    {"start", -1, [](ExplorerRun& run) { run.begin(); }},
    {"list and search", 0, [](ExplorerRun& run) { run.begin(); run.openList(); run.searchOpole(); }},
    {"header clicks", 1,
     [](ExplorerRun& run) {
         run.begin(); run.openList(); run.searchOpole();
         run.act(Click);
         if (HWND shown = run.list())
             host::clickHeader(shown, 1);
     }},
    {"double click and buttons", 1,
     [](ExplorerRun& run) {
         run.begin(); run.openList(); run.searchOpole();
         run.act(DoubleClick);
         run.actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
         run.actionEvent(TALK, host::EVENT_ACTIVATED);
     }},
    {"menu entry", 0, [](ExplorerRun& run) { run.begin(); run.act(Menu); }},
    {"221", 1, [](ExplorerRun& run) { run.begin(); run.openList(); run.searchOpole(); run.act(ListBack); }},
    {"stop", 1, [](ExplorerRun& run) { run.begin(); run.openList(); run.searchOpole(); run.act(Menu); run.send(STOP); }},
    {"unload without a stop", 1,
     [](ExplorerRun& run) { run.begin(); run.openList(); run.searchOpole(); run.act(Menu); run.host->unloadPlugin(); }},
    {"unload after a stop", 1,
     [](ExplorerRun& run) {
         run.begin(); run.openList(); run.searchOpole(); run.send(STOP); run.host->unloadPlugin();
     }},
};

// A case: an action at a point of a scenario, and at depth 2 a second
// action at a point inside the first.
struct Case {
    int scenario, point, action;
    int innerPoint = -1, innerAction = -1;
};

// What LUNETKA_EXPLORE takes to run the case alone.
std::string caseCode(const Case& c)
{
    std::string code = std::to_string(c.scenario) + ":" + std::to_string(c.point) + ":" + std::to_string(c.action);
    if (c.innerPoint >= 0)
        code += ":" + std::to_string(c.innerPoint) + ":" + std::to_string(c.innerAction);
    return code;
}
std::string caseName(const Case& c)
{
    std::string name = std::string(SCENARIOS[c.scenario].name) + ", point " + std::to_string(c.point) +
                       (c.action < 0 ? std::string() : std::string(", ") + ACTION_NAMES[c.action]);
    if (c.innerPoint >= 0)
        name += "; inside it, point " + std::to_string(c.innerPoint) + ", " + ACTION_NAMES[c.innerAction];
    return name + "; alone: LUNETKA_EXPLORE=\"" + caseCode(c) + "\"";
}

// What a failure that ends the process must still tell.
char running[256] = "";
void tellRunningCase(int)
{
    fprintf(stderr, "reentry explorer: the process ended in %s\n", running);
    fflush(stderr);
    _exit(3);
}
LONG WINAPI tellRunningCrash(EXCEPTION_POINTERS* crash)
{
    fprintf(stderr, "reentry explorer: exception %08lx at %p\n", crash->ExceptionRecord->ExceptionCode,
            crash->ExceptionRecord->ExceptionAddress);
    tellRunningCase(0);
    return EXCEPTION_EXECUTE_HANDLER;
}

// A fault inside a window procedure does not end the process under Wine: its
// callback dispatcher goes on past it ("ignoring exception"), with whatever
// the fault left half done. So every fault is seen first, here, and ends the
// run it happened in as a violation.
volatile LONG faults = 0;
void* volatile firstFault = nullptr;
LONG CALLBACK noteFault(EXCEPTION_POINTERS* exception)
{
    switch (exception->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
        if (InterlockedIncrement(&faults) == 1)
            firstFault = exception->ExceptionRecord->ExceptionAddress;
        break;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
// The faults since the last call, as a violation; an empty text if none.
std::string takeFaults()
{
    LONG count = InterlockedExchange(&faults, 0);
    if (count == 0)
        return std::string();
    char where[MAX_PATH + 32] = "";
    HMODULE module = nullptr;
    char path[MAX_PATH] = "";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<const char*>(firstFault), &module) &&
        GetModuleFileNameA(module, path, sizeof path) > 0) {
        const char* name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
        snprintf(where, sizeof where, "%s+0x%lx", name,
                 static_cast<unsigned long>(static_cast<const char*>(firstFault) - reinterpret_cast<char*>(module)));
    } else {
        snprintf(where, sizeof where, "%p, in no module", firstFault);
    }
    return std::to_string(count) + " fault(s), the first at " + where;
}
// A run's violation, or else the faults it made: called once the run is
// gone, as what its pages' destruction did counts too.
std::string withFaults(const std::string& found)
{
    std::string faulted = takeFaults();
    return found.empty() ? faulted : found;
}

// A window of this thread (or a child of one) whose procedure, or whose
// class's, is ours: in the library's image, or in executable memory outside
// any image, where our forwarding stubs live. Null if none. Both the narrow
// and the wide reading are looked at: one of them is the raw address. Only
// what is in front counts: behind a host's procedure we cannot be taken out.
struct ProcedureSearch {
    uintptr_t base, end;
    HWND found;
};
bool ours(const ProcedureSearch& search, uintptr_t procedure)
{
    if (procedure >= search.base && procedure < search.end)
        return true;
    MEMORY_BASIC_INFORMATION region;
    if (!procedure || VirtualQuery(reinterpret_cast<void*>(procedure), &region, sizeof region) != sizeof region)
        return false;
    const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return region.State == MEM_COMMIT && region.Type == MEM_PRIVATE && (region.Protect & executable) != 0;
}
BOOL CALLBACK lookForOurProcedure(HWND window, LPARAM searchParam)
{
    ProcedureSearch& search = *reinterpret_cast<ProcedureSearch*>(searchParam);
    if (ours(search, static_cast<uintptr_t>(GetWindowLongPtrA(window, GWLP_WNDPROC))) ||
        ours(search, static_cast<uintptr_t>(GetWindowLongPtrW(window, GWLP_WNDPROC))) ||
        ours(search, static_cast<uintptr_t>(GetClassLongPtrA(window, GCLP_WNDPROC))) ||
        ours(search, static_cast<uintptr_t>(GetClassLongPtrW(window, GCLP_WNDPROC))))
        search.found = window;
    return search.found == nullptr;
}
BOOL CALLBACK lookUnderTopWindow(HWND window, LPARAM searchParam)
{
    lookForOurProcedure(window, searchParam);
    ProcedureSearch& search = *reinterpret_cast<ProcedureSearch*>(searchParam);
    if (!search.found)
        EnumChildWindows(window, lookForOurProcedure, searchParam);
    return search.found == nullptr;
}
HWND windowWithOurProcedure(const ExplorerRun& run)
{
    ProcedureSearch search = {run.imageBase, run.imageEnd, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), lookUnderTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
std::string describe(HWND window)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return std::string("a window of class ") + className;
}

// Every host's invariants after a run; an empty text when they hold.
std::string violation(ExplorerRun& run, size_t exchanges)
{
    run.target = -1;  // the checks below inject nothing
    if (run.divergedAt >= 0) {
        size_t at = static_cast<size_t>(run.divergedAt);
        const std::vector<std::pair<std::string, int>>& first = *run.firstPath;
        return "a fresh copy did not do what the first did: its point " + std::to_string(at) + " was " +
               run.path[at].first + " " + std::to_string(run.path[at].second) + ", the first copy's " +
               (at < first.size() ? first[at].first + " " + std::to_string(first[at].second) : "none");
    }
    if (exchanges > MAX_EXCHANGES)
        return std::to_string(exchanges) + " host calls: a loop";
    if (!run.calledInStop.empty())
        return "the host was called while a stop ran: " + run.calledInStop;
    host::StandInHost& host = *run.host;
    if (host.lockDepth() != 0)
        return "a table lock was not given back";
    if (!host.abiErrors().empty())
        return "an ABI error: " + host.abiErrors().front();
    if (host.pluginLoaded()) {
        host.clearExchanges();
        run.send(UNKNOWN);
        size_t told = host.find(host::Op::SetStatus).size();
        if (told != (run.started ? 1u : 0u))
            return std::string("an unknown message told the host ") + std::to_string(told) + " times while " +
                   (run.started ? "started" : "stopped");
        HWND shown = run.list();
        int rows = shown && run.started ? static_cast<int>(SendMessageA(shown, LVM_GETITEMCOUNT, 0, 0)) : 0;
        for (int row = 0; row < rows; ++row) {
            std::string text = host::readResultRows(shown).at(static_cast<size_t>(row)).contact;
            host.clearExchanges();
            host::focusRow(shown, row, true);
            host.actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
            std::vector<const host::Exchange*> calls = host.find(host::Op::Send, host::MSG_ACTION_CALL);
            if (calls.size() != 1 ||
                host.contacts().text(host::i32At(calls[0]->payload.data(), host::action_event::CONTACT), 8) != text)
                return "row " + std::to_string(row) + " (" + text + ") does not lead to its own contact";
        }
        run.send(STOP);
        if (!support::ownWindows("Lunetka").empty())
            return "a search window outlived the stop";
        if (HWND kept = windowWithOurProcedure(run))
            return describe(kept) + " kept a procedure of ours past the stop";
        host.clearExchanges();
        run.send(UNKNOWN);
        if (IsWindow(run.page))
            support::pokePage(run.page, nullptr);
        if (!support::pluginCalls(host).empty())
            return "the host was called after the stop: " + support::pluginCalls(host).front();
        host.unloadPlugin();
    }
    if (support::pluginStillLoaded(host))
        return "the library stayed loaded";
    // A search window an unload without a stop left behind keeps its class's
    // stub, which hands everything to DefWindowProc; the next copy would take
    // it over.
    for (HWND left : support::ownWindows("Lunetka"))
        DestroyWindow(left);
    for (HWND page : {run.page, run.other})
        if (IsWindow(page))
            support::pokePage(page, nullptr);  // a stub left in front of a page takes itself out
    if (HWND kept = windowWithOurProcedure(run))
        return describe(kept) + " kept a procedure of the unloaded library";
    // The page, if the handle still names it: a destroyed window's handle
    // may have come round to another one.
    if (IsWindow(run.page) && GetPropA(run.page, "reentry explorer") == &run) {
        int heard = host::messagesHeard(run.page);
        SendMessageA(run.page, WM_NULL, 0, 0);
        if (host::messagesHeard(run.page) != heard + 1)
            return "the page's own procedure no longer hears it";
    }
    return std::string();
}

// A fresh copy starts, makes its list and searches in full.
std::string freshCopyRuns()
{
    ExplorerRun run(-1, ACTIONS);
    run.begin();
    if (!run.started)
        return "a fresh copy did not start";
    run.openList();
    run.searchOpole();
    std::vector<std::string> names = host::shownNames(run.list());
    if (names != OPOLE)
        return "a fresh copy's search showed " + std::to_string(names.size()) + " rows";
    return violation(run, run.host->exchanges().size());
}
std::string freshCopyWorks() { return withFaults(freshCopyRuns()); }

// Each scenario's path in the first copy that ran it (pointsOf).
std::map<int, std::vector<std::pair<std::string, int>>> firstPaths;

// Runs one case; the violation it found, or an empty text. innerPoints:
// how many points the first action crossed.
std::string explore(const Case& c, int* innerPoints = nullptr)
{
    snprintf(running, sizeof running, "%s", caseName(c).c_str());
    // A process that ends with no word (a stack that overflows under Wine)
    // still names its last case: the codes go out unbuffered as cases start.
    fprintf(stderr, "%s ", caseCode(c).c_str());
    std::string found;
    {
        ExplorerRun run(c.point, c.action < 0 ? ACTIONS : static_cast<Action>(c.action));
        run.firstPath = firstPaths.count(c.scenario) ? &firstPaths[c.scenario] : nullptr;
        run.innerTarget = c.innerPoint;
        run.innerAction = c.innerAction < 0 ? ACTIONS : static_cast<Action>(c.innerAction);
        SCENARIOS[c.scenario].play(run);
        if (innerPoints)
            *innerPoints = run.innerPoints;
        found = violation(run, run.host->exchanges().size());
    }
    return withFaults(found);
}

// The points a scenario has, run once without an action; its path is the
// one every later copy must follow up to its injection.
int pointsOf(int scenario)
{
    if (scenario < 0)
        return 0;
    int points;
    std::string found;
    {
        ExplorerRun counting(-1, ACTIONS);
        SCENARIOS[scenario].play(counting);
        points = counting.points;
        firstPaths[scenario] = counting.path;
        found = violation(counting, counting.host->exchanges().size());
    }
    EXPECT_EQ("", withFaults(found)) << SCENARIOS[scenario].name << " alone";
    return points;
}

}  // namespace

TEST(ReentryExplorer, EveryActionAtEveryPointOfEveryScenario)
{
    signal(SIGABRT, tellRunningCase);
    SetUnhandledExceptionFilter(tellRunningCrash);
    AddVectoredExceptionHandler(1, noteFault);
    char alone[64] = "";
    Case one = {-1, -1, -1};
    DWORD length = GetEnvironmentVariableA("LUNETKA_EXPLORE", alone, sizeof alone);
    if (length > 0 && length < sizeof alone &&
        sscanf(alone, "%d:%d:%d:%d:%d", &one.scenario, &one.point, &one.action, &one.innerPoint,
               &one.innerAction) >= 3) {
        pointsOf(one.scenario);
        std::string found = explore(one);
        if (found.empty())
            found = freshCopyWorks();
        EXPECT_EQ("", found) << caseName(one);
        return;
    }
    // Every point in the narrow host; every stride-th elsewhere, where only
    // the pages differ (LUNETKA_EXPLORE_STRIDE).
    char strideText[16] = "";
    length = GetEnvironmentVariableA("LUNETKA_EXPLORE_STRIDE", strideText, sizeof strideText);
    int stride = length > 0 && length < sizeof strideText ? std::max(1, atoi(strideText)) : 1;
    DWORD began = GetTickCount();
    int runs = 0, nested = 0;
    // Depth 2 is sampled: these many cases per scenario, drawn from a
    // generator with a fixed seed, so a run names the same cases every time.
    const int innerSamples = std::max(3, 30 / stride);
    unsigned seed = 20261208;
    auto draw = [&seed](int below) {
        seed = seed * 1103515245u + 12345u;
        return below > 0 ? static_cast<int>((seed >> 8) % static_cast<unsigned>(below)) : 0;
    };
    for (int s = 0; s < static_cast<int>(sizeof SCENARIOS / sizeof SCENARIOS[0]); ++s) {
        int points = pointsOf(s);
        int first = pointsOf(SCENARIOS[s].prefix);
        // The first violation of each scenario is reported; the next one goes on.
        int before = runs;
        std::string found;
        // Per point and action, how many points the action crossed: where depth 2 may go.
        std::vector<Case> withInnerPoints;
        std::vector<int> innerCounts;
        for (int p = first + s % stride; p < points && found.empty(); p += stride) {
            for (int a = 0; a < ACTIONS && found.empty(); ++a) {
                Case c = {s, p, a};
                int inner = 0;
                found = explore(c, &inner);
                ++runs;
                if (!found.empty())
                    ADD_FAILURE() << "reentry explorer: " << found << " in " << caseName(c);
                else if (inner > 0) {
                    withInnerPoints.push_back(c);
                    innerCounts.push_back(inner);
                }
            }
        }
        for (int i = 0; i < innerSamples && found.empty() && !withInnerPoints.empty(); ++i) {
            size_t pick = static_cast<size_t>(draw(static_cast<int>(withInnerPoints.size())));
            Case c = withInnerPoints[pick];
            c.innerPoint = draw(innerCounts[pick]);
            c.innerAction = draw(ACTIONS);
            found = explore(c);
            ++runs;
            ++nested;
            if (!found.empty())
                ADD_FAILURE() << "reentry explorer: " << found << " in " << caseName(c);
        }
        std::string fresh = found.empty() ? freshCopyWorks() : std::string();
        if (!fresh.empty())
            ADD_FAILURE() << "reentry explorer: " << fresh << " after " << SCENARIOS[s].name;
        fprintf(stderr, "\n");
        printf("reentry explorer: %s: points %d to %d, %d runs (%zu cases with points inside the action)\n",
               SCENARIOS[s].name, first, points - 1, runs - before, withInnerPoints.size());
        fflush(stdout);
    }
    printf("reentry explorer: %d runs (%d of them at depth 2) in %lu ms\n", runs, nested,
           static_cast<unsigned long>(GetTickCount() - began));
}
