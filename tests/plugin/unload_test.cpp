// After HM_STOP the host may unload the library at once, and a careless host
// unloads it without a stop: in both cases the library goes, no window or
// class of the host's may still lead into its code, and nothing left in the
// host's windows calls the host's object, which it may have freed.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "host/host_layout.h"
#include "host/host_subclass.h"
#include "host/host_window.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const int STOP = host::MSG_STOP;


const char* const CONTACTS = support::TWO_IN_OPOLE;

std::unique_ptr<host::StandInHost> pageWithResults()
{
    auto host = support::openPluginPage(CONTACTS);
    host->searchFor("5", "0", "opole");
    EXPECT_EQ(2u, host::readResultRows(host->page().slotControl(RESULTS)).size());
    return host;
}

// Once the plug-in was unloaded: the library is gone, and every message
// still reaches the page's own procedure, whatever stands in front of it.
void expectLetGo(const host::StandInHost& host, HWND page, HWND formerList)
{
    EXPECT_FALSE(support::pluginStillLoaded(host)) << "the library stays loaded";
    int heard = host::messagesHeard(page);
    support::pokePage(page, formerList);
    EXPECT_GE(host::messagesHeard(page) - heard, 6) << "every message reaches the page's own procedure";
}

// A user double-clicks the list's first row and presses Enter on it: with
// the host's object poisoned, any call of ours would end the process.
void useList(HWND list)
{
    ASSERT_TRUE(IsWindow(list));
    ASSERT_GT(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    host::focusRow(list, 0, true);
    host::doubleClickRow(list, 0);
    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

TEST(Unload, StopWithTheListOpenGivesEverythingBack)
{
    auto host = pageWithResults();
    HWND page = host->page().window();
    HWND list = host->page().slotControl(RESULTS);
    ASSERT_FALSE(support::hasOwnProcedure(page)) << "the list's page is ours while the list lives";

    EXPECT_EQ(1, host->send(STOP)) << "the page stays open, as a host may keep it";
    EXPECT_FALSE(IsWindow(list)) << "the result list goes with the stop";
    EXPECT_GIVEN_BACK(page);
    EXPECT_EQ(0, support::listViewsIn(page));

    host->unloadPlugin();
    expectLetGo(*host, page, list);
    EXPECT_EQ(0, host->lockDepth());
}

// Each way the unloading host ends, asked for by name, in every kind of
// host: the host itself checks that the page hears every message, that the
// library goes, and that a copy loaded again starts and makes its list; what
// it finds fails the test.
TEST(Unload, EachWayTheUnloadingHostEnds)
{
    for (host::UnloadWay way : {host::UnloadWay::AfterStop, host::UnloadWay::WithoutStopAfterAMessage,
                                host::UnloadWay::WithoutStopNothingBetween}) {
        SCOPED_TRACE("unload way " + std::to_string(static_cast<int>(way)));
        auto host = pageWithResults();
        host->variant.unloadWay = way;
        host->clearExchanges();
        host->unloadAndLoadAgain();
        EXPECT_FALSE(host->pluginLoaded());
        // The first call the host hears is a stop only where it sent one.
        std::vector<const host::Exchange*> stops = host->find(host::Op::Entry, host::MSG_STOP);
        EXPECT_EQ(way == host::UnloadWay::AfterStop ? 2u : 1u, stops.size());
    }
}

TEST(Unload, WithoutStopNothingOfOursIsLeftOrCalled)
{
    auto host = pageWithResults();
    HWND page = host->page().window();
    HWND list = host->page().slotControl(RESULTS);
    ASSERT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
    HWND searchWindow = support::ownWindow("Lunetka");
    ASSERT_NE(nullptr, searchWindow);

    host->clearExchanges();
    host->unloadPlugin();
    host->poisonControl();
    EXPECT_EQ(0u, host->exchanges().size()) << "the host heard from us during the unload";
    EXPECT_TRUE(IsWindow(list)) << "no window is destroyed inside the loader's lock";
    expectLetGo(*host, page, list);
    useList(list);

    // The search window and its class lead to Windows' default procedure.
    SendMessageA(searchWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("okno"));
    HWND another = CreateWindowExA(0, "Lunetka", "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, another);
    SendMessageA(another, WM_NULL, 0, 0);
    EXPECT_TRUE(DestroyWindow(another));
    EXPECT_TRUE(DestroyWindow(searchWindow));
}

// A window of the class "Lunetka" that lives on another thread than ours
// keeps the class an unload without a stop left: the next start cannot take
// it over and answers 0; once that window is gone, a start takes it over.
TEST(Unload, LeftClassWithAWindowOnAnotherThread)
{
    struct Keeper {
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HWND window = nullptr;
        static DWORD WINAPI run(void* self)
        {
            Keeper* keeper = static_cast<Keeper*>(self);
            keeper->window = CreateWindowExA(0, "Lunetka", "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                             GetModuleHandleA(nullptr), nullptr);
            SetEvent(keeper->made);
            WaitForSingleObject(keeper->done, INFINITE);
            DestroyWindow(keeper->window);
            return 0;
        }
    } keeper;
    HANDLE thread = nullptr;
    {
        host::StandInHost host;
        host.loadPlugin(support::pluginPath());
        ASSERT_EQ(1, host.start());
        thread = CreateThread(nullptr, 0, Keeper::run, &keeper, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        WaitForSingleObject(keeper.made, INFINITE);
        ASSERT_NE(nullptr, keeper.window);
        host.unloadPlugin();
    }
    auto startAnswers = [] {
        host::StandInHost host;
        host.loadPlugin(support::pluginPath());
        intptr_t answer = host.start();
        host.stop();
        host.unloadPlugin();
        return answer;
    };
    EXPECT_EQ(0, startAnswers()) << "the class is still another thread's window's";
    // A copy that started without its class tries again at the menu entry:
    // in vain while the other thread's window lives, then with success.
    host::StandInHost host;
    host.loadPlugin(support::pluginPath());
    EXPECT_EQ(0, host.start());
    EXPECT_EQ(1, host.actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
    EXPECT_TRUE(
        support::logged(host, "the search window's class could not be registered: the menu entry opens no window"));
    SetEvent(keeper.done);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(keeper.done);
    CloseHandle(keeper.made);
    EXPECT_EQ(0, host.actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED)) << "the class registered at last";
    EXPECT_EQ(1u, support::ownWindows("Lunetka").size());
    host.stop();
    host.unloadPlugin();
    EXPECT_EQ(1, startAnswers()) << "the class is ours again";
}

namespace {

// Whatever the unload freed is taken again and written over, so that
// anything of ours still read after it would read garbage.
void reuseFreedMemory()
{
    std::vector<void*> blocks;
    for (int i = 0; i < 4000; ++i) {
        size_t size = 8 + static_cast<size_t>(i % 64) * 8;
        void* block = malloc(size);
        memset(block, 0xDD, size);
        blocks.push_back(block);
    }
    for (void* block : blocks)
        free(block);
    for (int i = 0; i < 4000; ++i)
        memset(blocks[static_cast<size_t>(i)] = malloc(24), 0xEE, 24);
    for (void* block : blocks)
        free(block);
}


// A list in page from a fresh load of the plug-in into host, with two hits.
HWND openListIn(host::StandInHost& host, HWND page)
{
    host.loadPlugin(support::pluginPath());
    host.setContacts(host::ContactTable::fromCsvText(CONTACTS, "test"));
    EXPECT_EQ(1, host.start()) << "the window class is ours";
    HWND list = support::askForList(host, page);
    host.searchFor("5", "0", "opole");
    EXPECT_EQ(2u, host::readResultRows(list).size());
    return list;
}

}  // namespace

// A host puts its own procedure in front of ours on the page, then lets us
// go: after a 221 and a stop, or by an unload without a stop, with a message
// to the page between or with none. The host's procedure forwards for good
// to what it found, our thunk, which from then on forwards past us: the
// library goes, the host hears nothing from us during the unload, and,
// once it freed its object, a double click and Enter on the list left in the
// page call nothing. After the freed memory is used again, every message
// still reaches the host's procedure and the page's own; and the same file
// loads again and makes its list in the same page, in front of the host's
// procedure, and gives it back at its stop. Run under Wine's heap checking
// too: nothing of ours is freed twice or read once freed.
TEST(Unload, BehindTheHostsProcedure)
{
    const char* const ways[] = {"a 221 and a stop first", "a message between", "nothing between"};
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(ways[way]);
        HWND page = support::createHostPage("strona");
        HWND list = nullptr;
        {
            host::StandInHost host;
            list = openListIn(host, page);
            support::putHostProcedure(page);  // forwards to whatever was there before: ours
            if (way == 1)
                SendMessageA(page, WM_NULL, 0, 0);
            if (way == 0) {
                support::giveListBack(host, page, list);
                host.send(STOP);
            }
            host.clearExchanges();
            host.unloadPlugin();
            host.poisonControl();
            EXPECT_EQ(0u, host.exchanges().size()) << "the host heard from us during the unload";
            EXPECT_FALSE(support::pluginStillLoaded(host)) << "the library stays";
            reuseFreedMemory();
            if (way > 0)
                useList(list);
        }
        int hostsHeard = support::heardByHostProcedure(page), heard = host::messagesHeard(page);
        for (int i = 0; i < 4; ++i)
            SendMessageA(page, WM_NULL, 0, 0);
        EXPECT_EQ(hostsHeard + 4, support::heardByHostProcedure(page))
            << "the host's procedure stays in front and hears its page";
        EXPECT_EQ(heard + 4, host::messagesHeard(page)) << "the page's own procedure heard every message";
        EXPECT_TRUE(support::hostProcedureInFront(page));
        support::pokePage(page, list);

        host::StandInHost again;
        if (way > 0)
            DestroyWindow(list);  // the host's to destroy
        HWND second = openListIn(again, page);
        std::vector<int> asked;
        again.onHostAction = [&asked](int action, int, int) { asked.push_back(action); };
        host::focusRow(second, 0, true);
        host::doubleClickRow(second, 0);
        EXPECT_EQ(std::vector<int>{202}, asked) << "the new list's page leads to us";
        again.stop();
        EXPECT_TRUE(support::hostProcedureInFront(page)) << "the host's procedure is in front again";
        again.unloadPlugin();
        EXPECT_FALSE(support::pluginStillLoaded(again));
        heard = host::messagesHeard(page);
        SendMessageA(page, WM_NULL, 0, 0);
        EXPECT_EQ(heard + 1, host::messagesHeard(page));
        DestroyWindow(page);
    }
}

// The host subclassed its page through the common controls before our list
// came, and takes that subclass off: while the list lives, or once it put its
// own procedure in front of ours and let the list go (221). Wine's
// RemoveWindowSubclass puts the page's first procedure back over whatever
// stands in front once the chain is empty, and Windows' does not. Either way
// header clicks sort and a double click asks for the contact while the list
// lives; the host's procedure stays in front where it put one; and with the
// page's own, it hears every message before and after our stop and unload.
TEST(Unload, HostsCommonControlsSubclassTakenOff)
{
    for (bool hostInFront : {false, true}) {
        SCOPED_TRACE(hostInFront ? "behind the host's own procedure" : "under our list");
        HWND page = support::createHostPage("strona");
        host::addPageSubclass(page);
        host::StandInHost host;
        HWND list = openListIn(host, page);
        if (hostInFront) {
            support::putHostProcedure(page);
            support::giveListBack(host, page, list);
        }
        host::removePageSubclass(page);
        auto everyoneHears = [&](const char* when) {
            int byHost = support::heardByHostProcedure(page), byPage = host::messagesHeard(page);
            SendMessageA(page, WM_NULL, 0, 0);
            EXPECT_EQ(hostInFront, support::hostProcedureInFront(page)) << when << ": the host's procedure in front";
            EXPECT_EQ(byHost + (hostInFront ? 1 : 0), support::heardByHostProcedure(page)) << when;
            EXPECT_EQ(byPage + 1, host::messagesHeard(page)) << when;
        };
        if (hostInFront) {
            everyoneHears("after the 221");
        } else {
            host::clickHeader(list, 0);
            EXPECT_EQ((std::vector<std::string>{"Ola", "Ala"}), host::shownNames(list)) << "descending first";
            host::clickHeader(list, 0);
            EXPECT_EQ((std::vector<std::string>{"Ala", "Ola"}), host::shownNames(list));
            std::vector<int> asked;
            host.onHostAction = [&asked](int action, int, int) { asked.push_back(action); };
            host::focusRow(list, 0, true);
            host::doubleClickRow(list, 0);
            EXPECT_EQ(std::vector<int>{202}, asked) << "the double click reached us";
            support::giveListBack(host, page, list);
        }
        host.send(STOP);
        host.unloadPlugin();
        everyoneHears("after the stop and the unload");
        EXPECT_EQ(!hostInFront, support::hasOwnProcedure(page)) << "the page's own procedure in front";
        DestroyWindow(page);
    }
}

// A host that subclassed our list stops us from inside the fill's row
// insert, before it passes the insert on: the hit the insert names lives
// until the fill is back, so the row goes in with its contact's name. Run
// under Wine's heap checking too, which fills a freed block: a name read
// once freed would show there.
TEST(Unload, StopFromInsideTheFillsRowInsert)
{
    HWND page = support::createHostPage("strona");
    host::StandInHost host;
    host.loadPlugin(support::pluginPath());
    host.setContacts(host::ContactTable::fromCsvText(CONTACTS, "test"));
    ASSERT_EQ(1, host.start());
    HWND list = support::askForList(host, page);
    ASSERT_NE(nullptr, list);
    std::vector<std::string> inserted;
    bool stopped = false;
    support::putHostProcedure(list, [&](WNDPROC next, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != LVM_INSERTITEMA || stopped)
            return CallWindowProcA(next, hwnd, message, wParam, lParam);
        stopped = true;
        host.send(STOP);
        LRESULT row = CallWindowProcA(next, hwnd, message, wParam, lParam);
        std::vector<host::ResultRow> rows = host::readResultRows(hwnd);
        inserted.push_back(row >= 0 && row < static_cast<LRESULT>(rows.size()) ? rows[static_cast<size_t>(row)].contact
                                                                                 : "(no row)");
        return row;
    });
    host.searchFor("5", "0", "opole");
    ASSERT_TRUE(stopped);
    EXPECT_EQ(std::vector<std::string>{"Ala"}, inserted) << "the row went in with its contact's name";
    EXPECT_FALSE(IsWindow(list)) << "the stop destroyed the list once the insert was back";
    host.unloadPlugin();
    DestroyWindow(page);
}

// The host lets us go from inside a message that passed through our page
// procedure (from the page's own procedure, or from the action a double
// click asks for), or from inside its answer to a call we made while
// handling its own message (a log line of a search). The thunk the message
// came through holds the library until the message is back in it: the
// library goes then, and nothing of ours runs after.
TEST(Unload, FromInsideAMessageThroughOurProcedure)
{
    const char* const ways[] = {"the page's own procedure", "the action of a double click", "a log line"};
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(ways[way]);
        HWND page = support::createHostPage("strona");
        host::StandInHost host;
        HWND list = openListIn(host, page);
        auto letGo = [&host] {
            host.unloadPlugin();
            host.poisonControl();
        };
        if (way == 0) {
            // A notice from another control: one our procedure hears, then
            // hands on to the page's own.
            support::onHostPageMessage = [&letGo](HWND, UINT message, WPARAM, LPARAM) {
                if (message == WM_NOTIFY)
                    letGo();
            };
            NMHDR notice = {page, 0, 0};
            SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
            support::onHostPageMessage = nullptr;
        } else if (way == 1) {
            host.onHostAction = [&letGo](int, int, int) { letGo(); };
            host::focusRow(list, 0, true);
            host::doubleClickRow(list, 0);
        } else {
            // More log lines follow this one: the object stays whole.
            host.onLog = [&host](const std::string&) {
                if (host.pluginLoaded())
                    host.unloadPlugin();
            };
            host.actionEvent(VALUE, host::EVENT_REFRESH);
            host.onLog = nullptr;
        }
        EXPECT_FALSE(support::pluginStillLoaded(host)) << "the library went once the message was back";
        reuseFreedMemory();
        int heard = host::messagesHeard(page);
        support::pokePage(page, list);
        useList(list);
        EXPECT_GE(host::messagesHeard(page) - heard, 6) << "every message reaches the page's own procedure";
        DestroyWindow(page);
    }
}

// Pages the host keeps after subclassing them over ours each keep a thunk
// forwarding past us, and so does a class an unload without a stop left.
// Their number is bounded: past the bound a page is not subclassed (a log
// line says so) and a start registers no class; once the pages go, a later
// start frees their thunks, takes the class over, and all works again.
TEST(Unload, RepeatedLoadsLeaveABoundedNumberOfThunks)
{
    const char* const NOT_SUBCLASSED = "the result list's page could not be subclassed: header clicks and double clicks do nothing";
    std::vector<HWND> pages;
    {
        host::StandInHost host;
        host.loadPlugin(support::pluginPath());
        ASSERT_EQ(1, host.start());
        for (int i = 0; i < 200 && !support::logged(host, NOT_SUBCLASSED); ++i) {
            HWND page = support::createHostPage("strona");
            pages.push_back(page);
            HWND list = support::askForList(host, page);
            support::putHostProcedure(page);
            support::giveListBack(host, page, list);
        }
        ASSERT_TRUE(support::logged(host, NOT_SUBCLASSED)) << "no bound";
        EXPECT_LE(pages.size(), 8u * 15u) << "more pages kept thunks than eight pages of memory hold";
        host.unloadPlugin();  // without a stop: the class keeps its thunk too
    }
    for (HWND page : pages) {  // through the host's procedure and the thunk it found, to the page's own
        int heard = host::messagesHeard(page);
        SendMessageA(page, WM_NULL, 0, 0);
        EXPECT_EQ(heard + 1, host::messagesHeard(page)) << "every page still works";
    }
    {
        host::StandInHost full;
        full.loadPlugin(support::pluginPath());
        EXPECT_EQ(0, full.start()) << "no room for the class's thunk";
        EXPECT_TRUE(
            support::logged(full, "no memory for the search window's procedure: the menu entry opens no window"));
        // A second copy beside it finds no room even for its entry's thunk:
        // its messages come in directly.
        auto second = support::loadPlugin();
        EXPECT_EQ(0, second->start());
        EXPECT_EQ(512, second->send(host::MSG_PLUGIN_NET)) << "it answers";
        second->stop();
        second->unloadPlugin();
        full.stop();
        full.unloadPlugin();
    }
    for (HWND page : pages)
        DestroyWindow(page);
    host::StandInHost again;
    HWND list = openListIn(again, support::createHostPage("B"));
    host::clickHeader(list, 0);
    EXPECT_EQ("Ola", host::readResultRows(list).front().contact) << "the thunks went back: the click sorts";
    again.stop();
    again.unloadPlugin();
}

namespace {

// The lowest TLS slot free now: it rises by one for every slot a load keeps.
DWORD lowestFreeTlsSlot()
{
    DWORD slot = TlsAlloc();
    TlsFree(slot);
    return slot;
}

void loadStartStopUnload(const std::string& plugin)
{
    host::StandInHost host;
    host.recording().exchanges = false;
    host.loadPlugin(plugin);
    host.start();
    host.stop();
    host.unloadPlugin();
}

// A page with our list, the host's procedure put in front of ours, the
// plug-in let go, and the page destroyed: the thunk the page kept is used
// again by the next load. With a stop first, everything is given back: the
// floor, which counts what Wine itself keeps of a page and a list.
void loadWithAPageBehindTheHost(const std::string& plugin, bool stopFirst)
{
    HWND page = support::createHostPage("strona");
    host::StandInHost host;
    host.recording().exchanges = false;
    host.loadPlugin(plugin);
    host.start();
    support::askForList(host, page);
    support::putHostProcedure(page);
    if (stopFirst)
        host.stop();
    host.unloadPlugin();
    DestroyWindow(page);
}
void unloadWithAPageBehindTheHost(const std::string& plugin) { loadWithAPageBehindTheHost(plugin, false); }
void stopWithAPageBehindTheHost(const std::string& plugin) { loadWithAPageBehindTheHost(plugin, true); }

// The committed bytes a cycle keeps, on average, over cycles after a few to
// settle; and no TLS slot kept.
size_t bytesKeptPerCycle(void (*cycle)(const std::string&), const std::string& plugin, int cycles)
{
    for (int i = 0; i < 20; ++i)  // let the host's own first-use allocations settle
        cycle(plugin);
    size_t bytesBefore = support::committedBytes();
    DWORD slotBefore = lowestFreeTlsSlot();
    for (int i = 0; i < cycles; ++i) {
        cycle(plugin);
        if (GetModuleHandleA(plugin.c_str()))
            ADD_FAILURE() << "still loaded after cycle " << i;
    }
    size_t bytesAfter = support::committedBytes();
    EXPECT_EQ(slotBefore, lowestFreeTlsSlot()) << "TLS slots kept by unloaded copies";
    return (bytesAfter > bytesBefore ? bytesAfter - bytesBefore : 0) / static_cast<size_t>(cycles);
}

}  // namespace

// A messenger may load and unload a plug-in many times in one run: each
// cycle must give back what the library and its runtimes took. A throw
// takes the C++ runtime's per-thread exception state, and whatever the
// runtime keeps for it: loads that throw give that back too. Each case is a
// test of its own, so that the long ones can run side by side.
struct RepeatedLoadCase {
    const char* name;
    const char* failAllocation;  // null: nothing fails
    int cycles;
    void (*cycle)(const std::string& plugin);
    void (*floor)(const std::string& plugin);  // what Wine keeps of the same cycle; null: nothing
    size_t bytesPerCycle;  // at most, on average, above the floor
};
void PrintTo(const RepeatedLoadCase& c, std::ostream* out) { *out << c.name; }
class RepeatedLoads : public ::testing::TestWithParam<RepeatedLoadCase> {};

TEST_P(RepeatedLoads, KeepMemoryAndTlsFlat)
{
    const RepeatedLoadCase& c = GetParam();
    std::string plugin = c.failAllocation ? support::testBuildPath("lunetka-failing-alloc.dll") : support::pluginPath();
    SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", c.failAllocation);
    size_t floor = c.floor ? bytesKeptPerCycle(c.floor, plugin, c.cycles) : 0;
    size_t kept = bytesKeptPerCycle(c.cycle, plugin, c.cycles);
    SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", nullptr);
    EXPECT_LE(kept, floor + c.bytesPerCycle) << kept << " bytes kept a cycle, against a floor of " << floor
                                              << ", over " << c.cycles << " cycles";
}

INSTANTIATE_TEST_SUITE_P(
    Unload, RepeatedLoads,
    ::testing::Values(RepeatedLoadCase{"PlainLoads", nullptr, 2000, loadStartStopUnload, nullptr, 1024},
                      // throwing while the page is declared
                      RepeatedLoadCase{"LoadsThatThrow", "3", 300, loadStartStopUnload, nullptr, 1024},
                      // a list in a page the host subclassed over ours: a page's few bytes of
                      // forwarding code, at most
                      RepeatedLoadCase{"LoadsWithAPageBehindTheHost", nullptr, 300, unloadWithAPageBehindTheHost,
                                       stopWithAPageBehindTheHost, 128}),
    [](const ::testing::TestParamInfo<RepeatedLoadCase>& info) { return std::string(info.param.name); });
