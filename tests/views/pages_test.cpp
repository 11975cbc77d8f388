// A host may ask for the result list on one page while another page still
// holds it. One list lives at a time; whatever the order of the create and
// destroy requests, every page ends with its own procedure, and after an
// unload no page leads into the library.
#include <gtest/gtest.h>

#include <windows.h>
#include <algorithm>

#include "host/host_layout.h"
#include "host/host_window.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const int ACTION_EVENT = host::MSG_ACTION_EVENT, STOP = host::MSG_STOP;
const int CREATE = host::EVENT_CREATE_CONTROL, DESTROY = host::EVENT_DESTROY_CONTROL;

struct Step {
    int code;   // create or destroy the control
    int page;   // 0 or 1
};

// Every order of create A, create B, destroy A, destroy B in which each
// page's create comes before its destroy.
std::vector<std::vector<Step>> everyOrder()
{
    std::vector<Step> steps = {{CREATE, 0}, {CREATE, 1}, {DESTROY, 0}, {DESTROY, 1}};
    std::vector<int> order = {0, 1, 2, 3};
    std::vector<std::vector<Step>> orders;
    do {
        auto at = [&](int step) { return std::find(order.begin(), order.end(), step) - order.begin(); };
        if (at(0) < at(2) && at(1) < at(3)) {
            std::vector<Step> sequence;
            for (int index : order)
                sequence.push_back(steps[static_cast<size_t>(index)]);
            orders.push_back(sequence);
        }
    } while (std::next_permutation(order.begin(), order.end()));
    return orders;
}

std::string describe(const std::vector<Step>& order, size_t done)
{
    std::string text;
    for (size_t i = 0; i < done; ++i)
        text += std::string(order[i].code == CREATE ? "create" : "destroy") + (order[i].page ? "B " : "A ");
    return text;
}

void expectAnswers(HWND page, const std::string& when)
{
    char title[32] = "";
    SendMessageA(page, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("strona"));
    GetWindowTextA(page, title, sizeof title);
    EXPECT_STREQ("strona", title) << "after " << when;
}

// A search fills the list, and a double click on a row reaches the host
// through the page: the page that holds the list forwards its notices to us.
void expectPageHearsItsList(host::StandInHost& host, HWND list)
{
    host.searchFor("5", "0", "opole");
    EXPECT_EQ(2u, host::readResultRows(list).size());
    host::focusRow(list, 1, true);
    host::doubleClickRow(list, 1);
    EXPECT_EQ(1u, host.find(host::Op::Send, host::MSG_ACTION_CALL).size()) << "the new page hears its list";
}

}  // namespace

TEST(Pages, EveryOrderOfCreateAndDestroyOnTwoPages)
{
    std::vector<std::vector<Step>> orders = everyOrder();
    ASSERT_EQ(6u, orders.size());
    for (const std::vector<Step>& order : orders) {
        auto host = support::openPluginPage(support::TWO_IN_OPOLE);
        host->page().close();
        HWND pages[2] = {support::createHostPage("A"), support::createHostPage("B")};
        HWND lists[2] = {nullptr, nullptr};
        for (size_t i = 0; i < order.size(); ++i) {
            const Step& step = order[i];
            std::vector<uint8_t> event = support::sendSlotEvent(*host, step.code, pages[step.page], lists[step.page]);
            if (step.code == CREATE)
                lists[step.page] = support::slotWindow(event);
            std::string when = describe(order, i + 1);
            for (HWND page : pages) {
                expectAnswers(page, when);
                EXPECT_LE(support::listViewsIn(page), 1) << when;
            }
            EXPECT_LE(support::listViewsIn(pages[0]) + support::listViewsIn(pages[1]), 1) << "one list at a time, "
                                                                                             << when;
        }
        SCOPED_TRACE(describe(order, 4));
        for (HWND page : pages) {
            EXPECT_GIVEN_BACK(page);
            EXPECT_EQ(0, support::listViewsIn(page)) << describe(order, 4);
        }
        host->send(STOP);
        host->unloadPlugin();
        for (int i = 0; i < 2; ++i) {
            support::pokePage(pages[i], lists[i]);
            DestroyWindow(pages[i]);
        }
    }
}

TEST(Pages, SecondPageTakesTheListAndTheSearchFillsIt)
{
    auto host = support::openPluginPage(support::TWO_IN_OPOLE);
    HWND first = host->page().window();
    HWND second = support::createHostPage("B");
    HWND list = support::askForList(*host, second);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(second, GetParent(list));
    EXPECT_GIVEN_BACK(first);
    EXPECT_EQ(0, support::listViewsIn(first));

    expectPageHearsItsList(*host, list);

    host->stop();
    host->unloadPlugin();
    support::pokePage(second, list);
    support::pokePage(first, nullptr);
    DestroyWindow(second);
}

// The rebuilding host's page made again, both ways, asked for by name in
// every kind of host: with 221 first, and behind our back. Either way the
// list lives in the new page alone, the search shows in it, and the old
// page's procedure is its own until it goes.
TEST(Pages, RebuiltWithAndWithout221)
{
    size_t events[2] = {};  // the action events the rebuild sent, without 221 and with it
    for (bool tellsUs : {true, false}) {
        SCOPED_TRACE(tellsUs ? "with 221" : "without 221");
        auto host = support::openPluginPage(support::TWO_IN_OPOLE);
        host->variant.rebuildTellsUs = tellsUs;
        HWND old = host->page().window();
        HWND oldList = host->page().slotControl(RESULTS);
        host->clearExchanges();
        host->page().rebuild();
        EXPECT_FALSE(IsWindow(old));
        EXPECT_FALSE(IsWindow(oldList));
        events[tellsUs] = host->find(host::Op::Entry, ACTION_EVENT).size();
        HWND list = host->page().slotControl(RESULTS);
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(host->page().window(), GetParent(list));
        EXPECT_EQ(1, support::listViewsIn(host->page().window()));
        host->searchFor("5", "0", "opole");
        EXPECT_EQ(2u, host::readResultRows(list).size());
        expectPageHearsItsList(*host, list);
    }
    EXPECT_EQ(events[false] + 1, events[true]) << "221 is the one event more";
}

// The host destroys the page that holds our list, and Windows later gives the
// page's handle to a new page: that one is a stranger to us, subclassed and
// heard like any other, and handed back with its own procedure. So too when
// the destroy never reached us, and only the stop between finds the page gone.
TEST(Pages, PageTheHostDestroyedIsForgottenEvenWhenItsHandleComesBack)
{
    for (bool destroyUnheard : {false, true}) {
        SCOPED_TRACE(destroyUnheard ? "destroyed behind the host's procedure, then a stop" : "destroyed");
        auto host = support::openPluginPage(support::TWO_IN_OPOLE);
        host->page().close();
        HWND first = support::createHostPage("A");
        ASSERT_NE(nullptr, support::askForList(*host, first));
        if (destroyUnheard)  // a host procedure in front of ours that ends the page's life itself
            support::putHostProcedure(first, [](WNDPROC next, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
                return message == WM_DESTROY || message == WM_NCDESTROY
                           ? DefWindowProcA(hwnd, message, wParam, lParam)
                           : CallWindowProcA(next, hwnd, message, wParam, lParam);
            });
        DestroyWindow(first);
        if (destroyUnheard)
            host->send(STOP);
        HWND second = support::windowAtHandle(first, [] { return support::createHostPage("B"); });
        ASSERT_EQ(first, second) << "Windows never handed the page's handle out again";
        if (destroyUnheard)
            host->start();

        HWND list = support::askForList(*host, second);
        ASSERT_NE(nullptr, list);
        expectPageHearsItsList(*host, list);

        host->stop();
        EXPECT_GIVEN_BACK(second);
        host->unloadPlugin();
        support::pokePage(second, list);
        DestroyWindow(second);
    }
}

namespace {

// Each page's own procedure, distinct per page, counting what reaches it.
int ownCalls[3];
WNDPROC classProcedure = nullptr;
template <int page>
LRESULT CALLBACK ownProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++ownCalls[page];
    return CallWindowProcA(classProcedure, hwnd, message, wParam, lParam);
}
const WNDPROC OWN[3] = {ownProcedure<0>, ownProcedure<1>, ownProcedure<2>};

WNDPROC procedureOf(HWND page) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(page, GWLP_WNDPROC)); }

}  // namespace

// Pages the host subclassed over ours keep our thunk in their chains,
// forwarding past us once their list went; once the host takes its own
// procedure away again, each page's next message gives it its own procedure
// back, and until then each forwards to its own. A copy under a name of its
// own, so that no other test's load is this one.
TEST(Pages, SeveralPagesInTheTableEachKeepTheirOwnProcedure)
{
    std::string copy = support::temporaryPath("lunetka-kept-pages.dll");
    ASSERT_TRUE(CopyFileA(support::pluginPath().c_str(), copy.c_str(), FALSE));
    host::StandInHost host;
    host.loadPlugin(copy);
    host.start();
    HWND pages[3];
    for (int i = 0; i < 3; ++i) {
        pages[i] = support::createHostPage("strona");
        classProcedure = support::putProcedure(pages[i], OWN[i]);
    }
    // Pages 0 and 1: the host's subclass over ours while their list goes,
    // then taken away again, which leaves ours in front.
    for (int i = 0; i < 2; ++i) {
        HWND list = support::askForList(host, pages[i]);
        support::putHostProcedure(pages[i]);
        support::giveListBack(host, pages[i], list);
        support::takeHostProcedureAway(pages[i]);
    }
    // Page 2 holds the list at the stop.
    support::askForList(host, pages[2]);
    for (int i = 0; i < 3; ++i) {
        ownCalls[i] = 0;
        SendMessageA(pages[i], WM_NULL, 0, 0);
        EXPECT_EQ(1, ownCalls[i]) << "page " << i << " forwards to its own procedure, once";
    }
    host.send(STOP);
    host.unloadPlugin();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(OWN[i], procedureOf(pages[i])) << "page " << i << " has its own procedure after the stop";
        ownCalls[i] = 0;
        support::pokePage(pages[i], nullptr);
        EXPECT_GT(ownCalls[i], 0);
        DestroyWindow(pages[i]);
    }
}

namespace {

// A Unicode host's page: the characters it hears, as it heard them.
class UnicodePage : public host::WindowHandler {
public:
    std::vector<WPARAM> characters;
    bool onMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT*) override
    {
        if (message == WM_CHAR)
            characters.push_back(wParam);
        return false;
    }
};

}  // namespace

// A host built with the wide calls makes its page a Unicode window, and it
// stays one while our list lives in it and after: its title and the
// characters typed at it never pass a code page. The list's notices still
// reach us through it.
TEST(Pages, UnicodePageKeepsItsTextsAndCharactersWhileOurListLivesInIt)
{
    auto host = support::openPluginPage(support::TWO_IN_OPOLE);
    host->page().close();
    UnicodePage own;
    host::WindowSpec plan;
    plan.handler = &own;
    HWND page = host::createHostWindow(host::WindowKind::Unicode, plan);
    ASSERT_TRUE(IsWindowUnicode(page));
    HWND list = support::askForList(*host, page);
    ASSERT_NE(nullptr, list);
    expectPageHearsItsList(*host, list);

    const std::wstring title = L"\u017B\u00F3\u0142w \u0416\u0443\u043A \u65E5\u672C \u2713";  // "Żółw Жук 日本 ✓"
    const std::vector<WPARAM> typed = {0x0142, 0x0416, 0x65E5};                                 // "łЖ日"
    for (const char* when : {"while our list lives in it", "after it gave the list back"}) {
        SCOPED_TRACE(when);
        EXPECT_TRUE(IsWindowUnicode(page));
        SetWindowTextW(page, title.c_str());
        wchar_t back[64] = L"";
        GetWindowTextW(page, back, 64);
        EXPECT_EQ(title, back);
        own.characters.clear();
        for (WPARAM character : typed)
            SendMessageW(page, WM_CHAR, character, 1);
        for (WPARAM character : typed)
            PostMessageW(page, WM_CHAR, character, 1);
        MSG pending;
        while (PeekMessageW(&pending, page, 0, 0, PM_REMOVE))
            DispatchMessageW(&pending);
        std::vector<WPARAM> twice = typed;
        twice.insert(twice.end(), typed.begin(), typed.end());
        EXPECT_EQ(twice, own.characters);
        support::giveListBack(*host, page, list);
    }
    EXPECT_GIVEN_BACK(page);
    host->stop();
    DestroyWindow(page);
}

namespace {

int requestsSent(const host::StandInHost& host) { return static_cast<int>(host.find(host::Op::Send, host::MSG_ACTION_CALL).size()); }

}  // namespace

// Pages the host does odd things with. Each ends with the page's own
// procedure hearing every message once, and the list, where there is one,
// heard once per double click.
TEST(Pages, PagesTheHostTreatsOddly)
{
    const char* const cases[] = {
        "a second 220 on a page whose procedure the host put in front of ours",
        "the host copies our procedure onto a page of its own",
        "a page of another process (the desktop)",
        "the page destroyed while the previous list goes, the new list with it",
    };
    for (int which = 0; which < 4; ++which) {
        SCOPED_TRACE(cases[which]);
        auto host = support::openPluginPage(support::TWO_IN_OPOLE);
        host->page().close();
        HWND page = support::createHostPage("A");
        HWND list = support::askForList(*host, page);
        ASSERT_NE(nullptr, list);
        if (which == 0) {
            support::putHostProcedure(page);
            support::giveListBack(*host, page, list);  // ours cannot leave the chain: the page stays ours
            list = support::askForList(*host, page);
            int hostsHeard = support::heardByHostProcedure(page), heard = host::messagesHeard(page);
            expectPageHearsItsList(*host, list);
            EXPECT_EQ(1, requestsSent(*host)) << "one double click, one request: our procedure runs once";
            EXPECT_EQ(support::heardByHostProcedure(page) - hostsHeard, host::messagesHeard(page) - heard)
                << "the page's own heard each once";
            support::takeHostProcedureAway(page);  // ours in front again
        } else if (which == 1) {
            HWND copy = support::createHostPage("B");
            SetWindowLongPtrA(copy, GWLP_WNDPROC, GetWindowLongPtrA(page, GWLP_WNDPROC));
            char title[16] = "";
            SendMessageA(copy, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("kopia"));
            GetWindowTextA(copy, title, sizeof title);
            EXPECT_STREQ("kopia", title) << "Windows' default answers a page we do not know";
            list = support::askForList(*host, copy);
            ASSERT_EQ(copy, GetParent(list));
            expectPageHearsItsList(*host, list);
            DestroyWindow(copy);  // its last message goes by a table it is not in
        } else if (which == 2) {
            HWND desktop = GetDesktopWindow();
            LONG_PTR before = GetWindowLongPtrA(desktop, GWLP_WNDPROC);
            HWND made = support::askForList(*host, desktop);
            EXPECT_EQ(before, GetWindowLongPtrA(desktop, GWLP_WNDPROC)) << "not ours to subclass";
            EXPECT_FALSE(IsWindow(list)) << "one list at a time";
            host->stop();
            EXPECT_FALSE(made && IsWindow(made)) << "the stop takes the list, subclassed or not";
        } else {
            HWND second = support::createHostPage("B");
            support::onHostPageMessage = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
                if (hwnd == page && message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY)
                    DestroyWindow(second);
            };
            HWND made = support::askForList(*host, second);
            support::onHostPageMessage = nullptr;
            EXPECT_FALSE(IsWindow(second));
            EXPECT_EQ(nullptr, made) << "the dead list's handle is not handed back";
            host->clearExchanges();
            host->actionEvent(VALUE, host::EVENT_REFRESH);
            EXPECT_TRUE(host->find(host::Op::Send, host::MSG_ACTION_CALL).empty());
        }
        host->stop();
        EXPECT_GIVEN_BACK(page);
        host->unloadPlugin();
        support::pokePage(page, list);
        DestroyWindow(page);
    }
}
