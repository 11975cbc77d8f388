// The plug-in's own window class and the search window its menu entry opens.
#include <gtest/gtest.h>

#include "host/plugin_ids.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

class SearchWindow : public ::testing::Test {
protected:
    void SetUp() override { host = support::startPlugin(); }
    HWND open()
    {
        EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
        HWND latest = nullptr;
        for (HWND w : support::ownWindows("Lunetka"))
            if (std::find(seen.begin(), seen.end(), w) == seen.end())
                latest = w;
        seen.push_back(latest);
        return latest;
    }
    std::unique_ptr<host::StandInHost> host;
    std::vector<HWND> seen;
};

}  // namespace

TEST_F(SearchWindow, ClassAsRegisteredAtStart)
{
    EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, host::MSG_START)).reply);
    WNDCLASSEXA found;
    ZeroMemory(&found, sizeof found);
    found.cbSize = sizeof found;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "Lunetka", &found)) << "under the host's instance";
    EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), found.style);
    EXPECT_EQ(0, found.cbClsExtra);
    EXPECT_EQ(0, found.cbWndExtra);
    EXPECT_NE(nullptr, found.hIcon) << "icon 53259 of the plug-in's library";
    EXPECT_NE(nullptr, found.hIconSm);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)), found.hCursor);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), found.hbrBackground);
    EXPECT_EQ(nullptr, found.lpszMenuName);
}

TEST_F(SearchWindow, OpensAnEmptyFixedSizeWindow)
{
    HWND window = open();
    ASSERT_NE(nullptr, window);
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ("Szukaj na li\x9C" "cie kontakt\xF3w", caption);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              style & (WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX))
        << "no sizing border, no maximize box";
    EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & ~(WS_EX_WINDOWEDGE));
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(450, bounds.right - bounds.left);
    EXPECT_EQ(450, bounds.bottom - bounds.top);
    EXPECT_EQ(nullptr, GetWindow(window, GW_CHILD)) << "no content";
    EXPECT_EQ(nullptr, GetParent(window));
}

// Closing the older of two closes the newer; the stop closes what is open.
TEST_F(SearchWindow, TwoAtOnce)
{
    HWND older = open();
    HWND newer = open();
    ASSERT_NE(nullptr, older);
    ASSERT_NE(nullptr, newer);
    EXPECT_NE(older, newer);
    DestroyWindow(older);
    EXPECT_FALSE(IsWindow(newer));

    older = open();
    newer = open();
    host->stop();
    EXPECT_FALSE(IsWindow(older));
    EXPECT_FALSE(IsWindow(newer));
}

// The newer of two closed first, and Windows hands its handle to a window
// of the host's: closing the older one leaves that window alone.
TEST_F(SearchWindow, ClosedWindowsHandleComesBack)
{
    HWND older = open();
    HWND newer = open();
    DestroyWindow(newer);
    EXPECT_TRUE(IsWindow(older));
    HWND hosts = support::windowAtHandle(newer, [] {
        return CreateWindowExA(0, "STATIC", "x", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    });
    ASSERT_EQ(newer, hosts) << "Windows never handed the handle out again";
    DestroyWindow(older);
    EXPECT_TRUE(IsWindow(hosts)) << "closing the older window closed the host's";
    DestroyWindow(hosts);
}

// A host that stops us while the start asks for our module, or while the
// menu entry asks for the host's instance: no window opens (the entry
// answers 1), no class is left registered, and the next start registers it
// as usual.
TEST(SearchWindowClass, StopFromInsideTheStartOrTheMenuEntry)
{
    for (bool menuEntry : {false, true}) {
        SCOPED_TRACE(menuEntry ? "the menu entry" : "the start");
        auto host = support::loadPlugin();
        if (menuEntry)
            host->start();
        bool stopped = false;
        host->beforeAnswer = [&](host::Op op, int) {
            if (op == (menuEntry ? host::Op::GetAppInstance : host::Op::GetPluginInstance) && !stopped) {
                stopped = true;
                host->send(host::MSG_STOP);
            }
        };
        if (menuEntry)
            EXPECT_EQ(1, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
        else
            host->start();
        host->beforeAnswer = nullptr;
        ASSERT_TRUE(stopped);
        EXPECT_TRUE(support::ownWindows("Lunetka").empty());
        WNDCLASSA found;
        EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "Lunetka", &found));
        host->send(host::MSG_STOP);
        host->start();
        EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "Lunetka", &found));
        EXPECT_TRUE(host->abiErrors().empty());
    }
}

// A class "Lunetka" that is not ours (as an earlier load could leave) is
// never used nor unregistered, even when it differs from ours in one thing.
TEST(SearchWindowClass, ForeignClassOfTheSameNameIsNeverUsed)
{
    const struct {
        const char* differs; WNDPROC procedure; UINT style; HBRUSH background; HCURSOR cursor;
    } cases[] = {
        {"procedure", DefDlgProcA, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE), nullptr},
        {"style", DefWindowProcA, 0, GetSysColorBrush(COLOR_BTNFACE), nullptr},
        {"background", DefWindowProcA, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, nullptr, nullptr},
        {"cursor", DefWindowProcA, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE),
         LoadCursorA(nullptr, MAKEINTRESOURCEA(32513))},  // IDC_IBEAM
    };
    for (const auto& c : cases) {
        WNDCLASSA foreign;
        ZeroMemory(&foreign, sizeof foreign);
        foreign.lpfnWndProc = c.procedure;
        foreign.style = c.style;
        foreign.hbrBackground = c.background;
        foreign.hCursor = c.cursor ? c.cursor : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        foreign.hInstance = GetModuleHandleA(nullptr);
        foreign.lpszClassName = "Lunetka";
        ASSERT_TRUE(RegisterClassA(&foreign)) << c.differs;
        {
            auto host = support::startPlugin();
            EXPECT_EQ(0, ONLY(host->find(host::Op::Entry, host::MSG_START)).reply) << c.differs;
            EXPECT_EQ(1, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED)) << c.differs << ": creation refused";
            EXPECT_EQ(nullptr, support::ownWindow("Lunetka")) << c.differs;
            host->stop();
            EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "Lunetka", &foreign)) << c.differs
                                                                                      << ": not ours to unregister";
        }
        UnregisterClassA("Lunetka", GetModuleHandleA(nullptr));
    }
}

// Windows on our thread that are not ours: a class "Lunetka" of another
// module, and a class of the host's own module whose name is as long as
// ours. The stop leaves them alone.
TEST(SearchWindowClass, WindowsOfOtherClassesOutliveOurStop)
{
    const struct {
        const char* name;
        HINSTANCE module;
    } others[] = {
        {"Lunetka", GetModuleHandleA("comctl32.dll")},
        {"Lunetko", GetModuleHandleA(nullptr)},  // the host's, as our class is
    };
    for (const auto& other : others) {
        SCOPED_TRACE(other.name);
        ASSERT_NE(nullptr, other.module);
        WNDCLASSA theirClass;
        ZeroMemory(&theirClass, sizeof theirClass);
        theirClass.lpfnWndProc = DefWindowProcA;
        theirClass.hInstance = other.module;
        theirClass.lpszClassName = other.name;
        ASSERT_TRUE(RegisterClassA(&theirClass));
        HWND theirs =
            CreateWindowExA(0, other.name, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr, other.module, nullptr);
        ASSERT_NE(nullptr, theirs);
        {
            auto host = support::startPlugin();
            EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, host::MSG_START)).reply);
            EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
            host->stop();
        }
        EXPECT_TRUE(IsWindow(theirs)) << "a window not of our class outlived our stop";
        EXPECT_EQ(other.name[6] == 'a' ? 1u : 0u, support::ownWindows("Lunetka").size());
        DestroyWindow(theirs);
        UnregisterClassA(other.name, other.module);
    }
}

// The search window a copy leaves, skinned or not by a host that subclasses
// every top-level window of its process (SetWindowLongPtrA, forwarding by
// CallWindowProcA), is still ours by its class: a stop closes it and
// releases the class. An unload without a stop leaves it, its class leading
// to Windows' default procedure: the next copy's start closes it, takes the
// class over and answers 1; its menu entry opens a window, which closes as
// any other, and its stop releases the class.
TEST(SearchWindowClass, TheNextCopyStartsAfreshWhateverTheLastLeft)
{
    for (bool skinned : {false, true})
        for (bool stop : {true, false}) {
            SCOPED_TRACE(std::string(skinned ? "skinned, " : "") + (stop ? "a stop" : "an unload without a stop"));
            HWND left = nullptr;
            WNDCLASSA found;
            {
                auto host = support::startPlugin();
                EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
                left = support::ownWindow("Lunetka");
                ASSERT_NE(nullptr, left);
                if (skinned)
                    support::putHostProcedure(left);
                if (stop) {
                    host->stop();
                    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "Lunetka", &found)) << "the class released";
                }
                host->unloadPlugin();
            }
            EXPECT_EQ(!stop, IsWindow(left) != FALSE) << "only the stop closes it: nothing goes inside the loader's lock";
            auto host = support::startPlugin();
            EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, host::MSG_START)).reply) << "the class is ours again";
            EXPECT_FALSE(IsWindow(left)) << "the start closed what the last copy left";
            EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
            std::vector<HWND> windows = support::ownWindows("Lunetka");
            ASSERT_EQ(1u, windows.size()) << "the menu entry opens a window";
            SendMessageA(windows[0], WM_CLOSE, 0, 0);
            EXPECT_FALSE(IsWindow(windows[0]));
            EXPECT_EQ(1, host->send(host::MSG_STOP));
            EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "Lunetka", &found)) << "the stop released the class";
        }
}
