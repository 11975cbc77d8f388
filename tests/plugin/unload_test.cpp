// After HM_STOP the host may unload the library at once, and a careless host
// unloads it without a stop: in both cases no window or class of the host's
// may still lead into the library's code.
#include <gtest/gtest.h>

#include <windows.h>
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

const int STOP = host::MSG_STOP, ACTION_EVENT = host::MSG_ACTION_EVENT;


const char CONTACTS[] = "uid,net,display,city\n0,1,Ja,x\n1,1,Ala,Opole\n2,2,Ola,Opole\n";

std::unique_ptr<host::StandInHost> pageWithResults()
{
    auto host = support::openPluginPage(CONTACTS);
    host->settings()[FIELD].value = "5";
    host->settings()[CONDITION].value = "0";
    host->settings()[VALUE].value = "opole";
    host->actionEvent(VALUE, host::EVENT_CHANGED);
    EXPECT_EQ(2u, host::readResultRows(host->page().slotControl(RESULTS)).size());
    return host;
}

// Once the plug-in was unloaded: every message still reaches the page's own
// procedure, and the library is gone, unless the host's own subclass stands
// in front of ours on the page: that one forwards to us for good, so the
// library must stay.
void expectLetGo(const host::StandInHost& host, HWND page, HWND formerList)
{
    EXPECT_EQ(host::hasPageSubclass(page), support::pluginStillLoaded(host));
    int heard = host::messagesHeard(page);
    support::pokePage(page, formerList);
    EXPECT_GE(host::messagesHeard(page) - heard, 6) << "every message reaches the page's own procedure";
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

TEST(Unload, WithoutStopNoProcedureOfOursIsLeft)
{
    auto host = pageWithResults();
    HWND page = host->page().window();
    HWND list = host->page().slotControl(RESULTS);
    ASSERT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
    HWND searchWindow = support::ownWindow("Lunetka");
    ASSERT_NE(nullptr, searchWindow);

    host->unloadPlugin();
    EXPECT_GIVEN_BACK(page);
    EXPECT_TRUE(IsWindow(list)) << "no window is destroyed inside the loader's lock";
    expectLetGo(*host, page, list);
    SendMessageA(list, WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));  // the list still notifies its page
    if (support::pluginStillLoaded(*host)) {
        // The copy the host's subclass keeps still owns its window and class:
        // loaded again from its file, it ends that session.
        std::string path = host->pluginPath();
        host.reset();
        host::StandInHost again;
        again.loadPlugin(path);
        EXPECT_EQ(1, again.start());
        EXPECT_FALSE(IsWindow(searchWindow));
        again.stop();
        return;
    }

    // The search window and its class lead to Windows' default procedure.
    SendMessageA(searchWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("okno"));
    HWND another = CreateWindowExA(0, "Lunetka", "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    if (another) {
        SendMessageA(another, WM_NULL, 0, 0);
        DestroyWindow(another);
    }
    EXPECT_TRUE(DestroyWindow(searchWindow));
    EXPECT_TRUE(UnregisterClassA("Lunetka", GetModuleHandleA(nullptr)) || !GetLastError());
}

TEST(Unload, LoadedAgainAfterAnUnloadWithoutStopStartsAfresh)
{
    {
        // The class outlives this copy (its window was open), leading to
        // DefWindowProcA; once the window is gone the next copy replaces it.
        auto host = pageWithResults();
        ASSERT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
        host->unloadPlugin();
        if (support::pluginStillLoaded(*host)) {
            // The host's subclass over ours kept the copy: loaded again from
            // the same file it is that copy, which ends its last session and
            // starts afresh, its class with it.
            host::StandInHost again;
            again.loadPlugin(host->pluginPath());
            EXPECT_EQ(1, again.start());
            EXPECT_EQ(0u, support::ownWindows("Lunetka").size()) << "the last session's window went";
            EXPECT_EQ(0, again.actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
            again.stop();
            return;
        }
        {
            // While that window lives, its class cannot be replaced: the
            // next copy starts without it and opens no window.
            auto next = pageWithResults();
            EXPECT_EQ(0, ONLY(next->find(host::Op::Entry, host::MSG_START)).reply);
            EXPECT_EQ(1, next->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED)) << "creation refused";
            EXPECT_EQ(1u, support::ownWindows("Lunetka").size());
        }
        DestroyWindow(support::ownWindow("Lunetka"));
    }
    auto host = pageWithResults();
    EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, host::MSG_START)).reply) << "the class registers again";
    EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
    HWND window = support::ownWindow("Lunetka");
    ASSERT_NE(nullptr, window);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

namespace {

int hostProcedureCalls = 0;
WNDPROC behindHostProcedure = nullptr;

// The host's own subclass of its page, put in front of ours after the list
// was made: it forwards to whatever was there before, our procedure.
LRESULT CALLBACK hostSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++hostProcedureCalls;
    return CallWindowProcA(behindHostProcedure, hwnd, message, wParam, lParam);
}


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

}  // namespace

// A host puts its own procedure in front of ours on the page, then lets us
// go: after a 221 and a stop, or by an unload without a stop, with a message
// to the page between (our page procedure sees the host's in front first)
// or with none (only the unload does). Nothing can take our procedure out
// from behind the host's: the library stays, and the host hears nothing from
// us during the unload. After the freed memory is used again, every message
// still reaches the host's procedure and the page's own; and the same file
// loads, starts and makes its list again. Run under Wine's heap checking too:
// nothing of ours is freed twice or read once freed. A copy of the file per
// way, under a name of its own, as it stays in the process.
TEST(Unload, BehindTheHostsProcedure)
{
    const char* const ways[] = {"a 221 and a stop first", "a message between", "nothing between"};
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(ways[way]);
        std::string copy = support::temporaryPath(("lunetka-behind-" + std::to_string(way) + ".dll").c_str());
        ASSERT_TRUE(CopyFileA(support::pluginPath().c_str(), copy.c_str(), FALSE));
        HWND page = support::createHostPage("strona");
        HWND list = nullptr;
        auto openListIn = [&](host::StandInHost& host, HWND target) {
            host.loadPlugin(copy);
            host.setContacts(host::ContactTable::fromCsvText(CONTACTS, "test"));
            EXPECT_EQ(1, host.start()) << "the window class is ours";
            std::vector<uint8_t> event = support::slotEvent(host::EVENT_CREATE_CONTROL, target);
            host.send(ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()));
            host.settings()[FIELD].value = "5";
            host.settings()[CONDITION].value = "0";
            host.settings()[VALUE].value = "opole";
            host.actionEvent(VALUE, host::EVENT_CHANGED);
            list = support::slotWindow(event);
            EXPECT_EQ(2u, host::readResultRows(list).size());
        };
        {
            host::StandInHost host;
            openListIn(host, page);
            behindHostProcedure = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostSubclassProc)));
            if (way == 1)
                SendMessageA(page, WM_NULL, 0, 0);
            if (way == 0) {
                std::vector<uint8_t> event = support::slotEvent(host::EVENT_DESTROY_CONTROL, page, list);
                host.send(ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()));
                host.send(STOP);
            }
            HMODULE module = host.pluginModule();
            host.clearExchanges();
            host.unloadPlugin();
            EXPECT_EQ(0u, host.exchanges().size()) << "the host heard from us during the unload";
            EXPECT_EQ(module, GetModuleHandleA(copy.c_str())) << "the library stays";
        }
        reuseFreedMemory();
        hostProcedureCalls = 0;
        int heard = host::messagesHeard(page);
        for (int i = 0; i < 4; ++i)
            SendMessageA(page, WM_NULL, 0, 0);
        EXPECT_EQ(4, hostProcedureCalls) << "the host's procedure stays in front and hears its page";
        EXPECT_EQ(heard + 4, host::messagesHeard(page)) << "the page's own procedure heard every message";
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(hostSubclassProc), GetWindowLongPtrA(page, GWLP_WNDPROC));
        support::pokePage(page, list);

        host::StandInHost again;
        HWND second = support::createHostPage("B");
        openListIn(again, second);
        EXPECT_EQ(second, GetParent(list));
        again.stop();
        again.unloadPlugin();
        DestroyWindow(second);
        DestroyWindow(page);
    }
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

}  // namespace

// A messenger may load and unload a plug-in many times in one run: each
// cycle must give back what the library and its runtimes took. A throw
// takes the C++ runtime's per-thread exception state, and whatever the
// runtime keeps for it: loads that throw give that back too.
TEST(Unload, RepeatedLoadsKeepMemoryAndTlsFlat)
{
    struct Case {
        const char* what;
        std::string plugin;
        const char* failAllocation;  // null: nothing fails
        int cycles;
    };
    const Case cases[] = {
        {"plain loads", support::pluginPath(), nullptr, 2000},
        {"loads that throw while the page is declared", support::testBuildPath("lunetka-failing-alloc.dll"), "3",
         300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", c.failAllocation);
        for (int i = 0; i < 20; ++i)  // let the host's own first-use allocations settle
            loadStartStopUnload(c.plugin);
        size_t bytesBefore = support::committedBytes();
        DWORD slotBefore = lowestFreeTlsSlot();
        for (int i = 0; i < c.cycles; ++i) {
            loadStartStopUnload(c.plugin);
            ASSERT_FALSE(GetModuleHandleA(c.plugin.c_str())) << "cycle " << i;
        }
        size_t bytesAfter = support::committedBytes();
        size_t grown = bytesAfter > bytesBefore ? bytesAfter - bytesBefore : 0;
        EXPECT_EQ(slotBefore, lowestFreeTlsSlot()) << "TLS slots kept by unloaded copies";
        EXPECT_LT(grown / c.cycles, 1024u) << grown << " bytes kept over " << c.cycles << " cycles";
    }
    SetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", nullptr);
}
