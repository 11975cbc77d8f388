// The result list in a real page window: its creation record, columns, image
// list, header-click sorting, and the contact requests of a double click and
// the two buttons, all through Wine's list view.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <functional>

#include "host/host_window.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/open_page_test.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

// Names chosen so that case-insensitive order differs from byte order.
const char CONTACTS[] =
    "uid,net,display,city\n"
    "0,1,Ja,Opole\n"
    "1,1,bogdan,Opole\n"
    "2,2,Adam,Opole\n"
    "3,3,ADELA,Opole\n"
    "4,9,celina,Opole\n";

class ResultList : public support::OpenPageTest {
protected:
    void SetUp() override
    {
        openPage(CONTACTS);
        // Everyone in Opole: rows 1-4, in that order.
        host->searchFor("5", "0", "opole");
        host->clearExchanges();
    }

    int rowOf(const std::string& name)
    {
        std::vector<std::string> shown = shownNames();
        return static_cast<int>(std::find(shown.begin(), shown.end(), name) - shown.begin());
    }
    // The contact rows of every host action requested since the last clear.
    std::vector<std::vector<int32_t>> requests()
    {
        std::vector<std::vector<int32_t>> sent;
        for (const host::Exchange* call : host->find(host::Op::Send, host::MSG_ACTION_CALL)) {
            const std::vector<uint8_t>& r = call->payload;
            EXPECT_EQ(30u, r.size());
            EXPECT_EQ(host::action_event::CALL_LENGTH, U16(r, host::action_event::SIZE));
            EXPECT_EQ(1, I32(r, host::action_event::CODE)) << "code";
            EXPECT_TRUE(support::zeroBytes(r, host::action_event::HEADER, host::action_event::CALL_LENGTH));
            EXPECT_EQ(0, I32(call->record, host::message::P2)) << "p2";
            sent.push_back({I32(r, host::action_event::ID), I32(r, host::action_event::PARENT), I32(r, host::action_event::CONTACT)});
        }
        host->clearExchanges();
        return sent;
    }
};

std::string columnText(HWND list, int index, int* width)
{
    char text[64] = "";
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    *width = column.cx;
    EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
    return text;
}

}  // namespace

TEST_F(ResultList, CreationRecordAndControl)
{
    const host::ControlSlot& slot = host->page().slots().at(0);
    EXPECT_EQ(list, slot.window);
    EXPECT_EQ(slot.x + 415, slot.endX);
    EXPECT_EQ(slot.y + 200, slot.endY);
    EXPECT_EQ(host->page().window(), GetParent(list));
    char className[64] = "";
    GetClassNameA(list, className, sizeof className);
    EXPECT_STREQ("SysListView32", className);

    RECT bounds;
    GetWindowRect(list, &bounds);
    EXPECT_EQ(415, bounds.right - bounds.left);
    EXPECT_EQ(200, bounds.bottom - bounds.top);
    // Child, visible, report view, and in the tab order for a keyboard user.
    EXPECT_EQ(0x50010001, GetWindowLongA(list, GWL_STYLE) & 0xFFFF00FF);
    EXPECT_EQ(0x21, SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(host->pluginModule(), reinterpret_cast<HMODULE>(GetWindowLongPtrA(list, GWLP_HINSTANCE)));

    int width = 0;
    EXPECT_EQ("Kontakt", columnText(list, 0, &width));
    EXPECT_EQ(100, width);
    EXPECT_EQ("Szukana warto\x9C\xE6", columnText(list, 1, &width));
    EXPECT_EQ(313, width);
}

TEST_F(ResultList, ImageListHasTheGeneralIconAndOnePerNetwork)
{
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(nullptr, images);
    EXPECT_EQ(4, ImageList_GetImageCount(images));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);

    // What the host was asked while the list was created.
    auto host2 = support::loadPlugin();
    host2->start();
    HWND page = support::createHostPage("strona");
    host2->page().adopt(page, false);
    host2->clearExchanges();
    host2->clearLog();
    host2->page().requestControl(RESULTS, 10, 10);
    auto icons = host2->find(host::Op::Send, host::MSG_ICON_GET);
    ASSERT_EQ(4u, icons.size());
    EXPECT_EQ(host::ICON_ID_GENERAL, icons[0]->args[0]);
    EXPECT_EQ(1, icons[0]->args[1]);
    EXPECT_EQ(host::networkIconId(1), icons[1]->args[0]);
    EXPECT_EQ(host::networkIconId(3), icons[3]->args[0]);
    const std::vector<uint8_t>& count = ONLY(host2->find(host::Op::Send, host::MSG_PLUGIN_COUNT)).record;
    EXPECT_EQ(-1, I32(count, host::message::TAG3)) << "tag3 and nothing else";
    EXPECT_TRUE(support::zeroBytes(count, host::message::TAG1, host::message::TAG3));
    EXPECT_TRUE(support::zeroBytes(count, host::message::TAG4, host::message::LENGTH));
    EXPECT_EQ(4u, host2->find(host::Op::Send, host::MSG_PLUGIN_ID_AT).size()) << "positions 1 to n-1";
    EXPECT_EQ("adding icon for net 1 on pos 1", host2->log().at(0));
    EXPECT_EQ("adding icon for net 3 on pos 3", host2->log().at(2));
    host2->page().close();
    DestroyWindow(page);
}

// The general icon, and one per network plug-in the host names. A position
// whose plug-in id is 0 is a question the plug-in puts to itself, and we are
// no network.
TEST(ResultListAlone, ImagesFollowTheNetworksTheHostNames)
{
    const struct {
        const char* host;
        std::function<void(std::vector<host::NetworkPlugin>&)> change;
        int images;
    } cases[] = {
        {"no networks", [](std::vector<host::NetworkPlugin>& plugins) { plugins.clear(); }, 1},
        {"plug-in id 0", [](std::vector<host::NetworkPlugin>& plugins) { plugins[1].id = 0; }, 3},
    };
    for (const auto& c : cases) {
        auto host = support::loadPlugin();
        c.change(host->networkPlugins());
        host->start();
        host->page().open();
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
            SendMessageA(host->page().slotControl(RESULTS), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        EXPECT_EQ(c.images, ImageList_GetImageCount(images)) << c.host;
        for (const host::Exchange* asked : host->find(host::Op::SendTo))
            EXPECT_NE(0, asked->args.at(0)) << c.host << ": a question to plug-in 0 goes to ourselves";
    }
}

// A click on no column, or on a column the host added, sorts nothing and
// leaves the direction of the next click alone. Every row's value (its uid)
// differs, in another order than the names: a sort by them would show.
TEST_F(ResultList, HeaderClickOnAColumnTheHostAdded)
{
    host->searchFor("1", "2", "");  // uid differs from the empty text: every row
    NMLISTVIEW click;
    ZeroMemory(&click, sizeof click);
    click.hdr.hwndFrom = list;
    click.hdr.code = static_cast<UINT>(LVN_COLUMNCLICK);
    click.iSubItem = -1;
    SendMessageA(host->page().window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ((std::vector<std::string>{"bogdan", "Adam", "ADELA", "celina"}), shownNames()) << "column -1";

    LVCOLUMNA column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>("host's");
    column.cx = 50;
    ASSERT_EQ(2, SendMessageA(list, LVM_INSERTCOLUMNA, 2, reinterpret_cast<LPARAM>(&column)));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, 40);  // the new column within reach of the mouse
    host::clickHeader(list, 2);
    EXPECT_EQ((std::vector<std::string>{"bogdan", "Adam", "ADELA", "celina"}), shownNames()) << "the host's column";
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"celina", "bogdan", "ADELA", "Adam"}), shownNames()) << "still descending first";
}

// Rows the host put in our list, whose item data names no hit of ours, sort
// by what they show, among ours; so does a row of ours whose item data the
// host set to a value of its own. The host's two share one item data: a
// comparison knows rows by item data alone, so both sort as the first.
TEST_F(ResultList, RowsTheHostInsertedSortByWhatTheyShow)
{
    host::insertRow(list, 0, "Bartek", 1000, "Zabrze");
    host::insertRow(list, 0, "Cecylia", 4, "Brzeg");  // one past our last hit
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"celina", "Cecylia", "bogdan", "Bartek", "ADELA", "Adam"}), shownNames())
        << "descending, by the text shown";
    host::clickHeader(list, 1);
    EXPECT_EQ((std::vector<std::string>{"Brzeg", "Opole", "Opole", "Opole", "Opole", "Zabrze"}), host::shownValues(list))
        << "ascending, the second column";

    // Our own row with the host's item data: it sorts by what it shows too.
    host::setItemData(list, rowOf("bogdan"), 2000);
    host::setListText(list, rowOf("bogdan"), 0, "Zenon");
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"Zenon", "celina", "Cecylia", "Bartek", "ADELA", "Adam"}), shownNames());

    // Two rows of the host's with one item data: both sort as the first row
    // of them in the list, the one inserted last at the top.
    host::insertRow(list, 0, "Aaron", 1000, "");
    host::clickHeader(list, 0);
    std::vector<std::string> shown = shownNames();
    ASSERT_EQ(7u, shown.size());
    EXPECT_TRUE((shown[0] == "Aaron" && shown[1] == "Bartek") || (shown[0] == "Bartek" && shown[1] == "Aaron"));
    EXPECT_EQ((std::vector<std::string>{"Adam", "ADELA", "Cecylia", "celina", "Zenon"}),
              std::vector<std::string>(shown.begin() + 2, shown.end()));
}

// The host took one of our rows out and put its own in: as many rows as
// hits, but the list told its page of the insert.
TEST_F(ResultList, RowTheHostSwappedInForOneOfOursSortsByWhatItShows)
{
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(rowOf("celina")), 0);
    ASSERT_EQ(3, host::insertRow(list, 4, "Borys", 500));
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"Borys", "bogdan", "ADELA", "Adam"}), shownNames()) << "descending";
}

// The host set one row's item data to a number that names no hit, and
// inserted nothing: the rows are as many as the hits, yet the list told its
// page of the change, and the row sorts by what it shows.
TEST_F(ResultList, RowWhoseItemDataTheHostChangedSortsByWhatItShows)
{
    host::setItemData(list, rowOf("bogdan"), 4);  // one past our last hit
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"celina", "bogdan", "ADELA", "Adam"}), shownNames()) << "descending";
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"Adam", "ADELA", "bogdan", "celina"}), shownNames()) << "ascending";
}

TEST_F(ResultList, HeaderClicksSortDescendingFirstThenAlternate)
{
    ASSERT_EQ((std::vector<std::string>{"bogdan", "Adam", "ADELA", "celina"}), shownNames());
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"celina", "bogdan", "ADELA", "Adam"}), shownNames()) << "first click: descending";
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"Adam", "ADELA", "bogdan", "celina"}), shownNames()) << "case-insensitive";
    host::clickHeader(list, 1);  // every value is "Opole": ties keep no particular order, but all rows stay
    EXPECT_EQ(std::vector<std::string>(4, "Opole"), host::shownValues(list));
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"Adam", "ADELA", "bogdan", "celina"}), shownNames())
        << "the direction is shared by both columns";
}

// The criteria seen and the sort direction live from load to unload: after
// a stop and a start an unchanged event does not search, and the next click
// goes on from the last one's direction (a fresh copy would search, and sort
// descending).
TEST_F(ResultList, NextSessionKeepsTheCriteriaAndTheSortDirection)
{
    host::clickHeader(list, 0);  // descending; the next click sorts ascending
    host->stop();
    host->start();
    host->clearExchanges();
    host->searchFor("5", "0", "opole");  // the same texts as the last session's search
    EXPECT_TRUE(host->find(host::Op::LockTable).empty()) << "an unchanged event searched";
    host->page().open();  // its refresh searches
    list = host->page().slotControl(RESULTS);
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"Adam", "ADELA", "bogdan", "celina"}), shownNames())
        << "ascending, as the click before was descending";
}

TEST_F(ResultList, SortKeepsEachRowWithItsContact)
{
    host::clickHeader(list, 0);
    for (const host::ResultRow& row : host::readResultRows(list)) {
        const char* expected[] = {"bogdan", "Adam", "ADELA", "celina"};
        ASSERT_GE(row.itemData, 0);
        ASSERT_LT(row.itemData, 4);
        EXPECT_EQ(expected[row.itemData], row.contact) << "item data still names the row's entry";
    }
}

TEST_F(ResultList, DoubleClickAndButtonsActOnTheFocusedRowAfterASort)
{
    host::clickHeader(list, 0);  // celina, bogdan, ADELA, Adam
    int adela = rowOf("ADELA");
    ASSERT_EQ(2, adela);
    host::focusRow(list, adela, true);
    host::doubleClickRow(list, adela);
    EXPECT_EQ((std::vector<std::vector<int32_t>>{{202, 200, 3}}), requests()) << "ADELA is contact row 3";

    EXPECT_EQ(0, host->actionEvent(PROPERTIES, host::EVENT_ACTIVATED));
    EXPECT_EQ((std::vector<std::vector<int32_t>>{{202, 200, 3}}), requests());
    EXPECT_EQ(0, host->actionEvent(TALK, host::EVENT_ACTIVATED));
    EXPECT_EQ((std::vector<std::vector<int32_t>>{{130, 30, 3}}), requests());
}

TEST_F(ResultList, FocusedRowCountsEvenWhenNotSelected)
{
    host::focusRow(list, rowOf("celina"), false);
    host->actionEvent(TALK, host::EVENT_ACTIVATED);
    EXPECT_EQ((std::vector<std::vector<int32_t>>{{130, 30, 4}}), requests());
}

TEST_F(ResultList, NoFocusedRowSendsNothing)
{
    host->actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
    host->actionEvent(TALK, host::EVENT_ACTIVATED);
    host::doubleClickRow(list, 0);
    EXPECT_TRUE(requests().empty());
}

TEST_F(ResultList, RowWhoseItemDataNamesNoEntryIsNotUsed)
{
    host::setItemData(list, 1, 4);  // one past the last entry
    host::focusRow(list, 1, true);
    host->actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
    EXPECT_TRUE(requests().empty());
    host::setItemData(list, 1, -1);
    host::doubleClickRow(list, 1);
    EXPECT_TRUE(requests().empty());
}

TEST_F(ResultList, OtherControlsNotificationsAreNotOurs)
{
    host::focusRow(list, 0, true);
    NMHDR other;
    other.hwndFrom = host->page().window();  // not the list
    other.idFrom = 0;
    other.code = NM_DBLCLK;
    SendMessageA(host->page().window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other));
    EXPECT_TRUE(requests().empty());
}

TEST_F(ResultList, DestroyAndCreateAgain)
{
    host->page().close();
    EXPECT_FALSE(IsWindow(list));
    host->page().open();
    HWND again = host->page().slotControl(RESULTS);
    ASSERT_NE(nullptr, again);
    list = again;
    EXPECT_EQ(4u, shownNames().size()) << "the page's refresh searched again";
    host::focusRow(list, 0, true);
    host::doubleClickRow(list, 0);
    EXPECT_EQ(1u, requests().size());
}

TEST_F(ResultList, SecondCreationOnASubclassedPageKeepsForwarding)
{
    HWND page = host->page().window();
    HWND second = support::askForList(*host, page, 0, 300);
    ASSERT_NE(nullptr, second);

    // Any message to the page still reaches the host's own procedure, once.
    EXPECT_EQ(0, SendMessageA(page, WM_NULL, 0, 0));
    char title[32] = "";
    SendMessageA(page, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("strona"));
    GetWindowTextA(page, title, sizeof title);
    EXPECT_STREQ("strona", title);

    support::giveListBack(*host, page, second);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_NE(0, GetWindowLongPtrA(page, GWLP_WNDPROC));
    EXPECT_GIVEN_BACK(page);  // nothing of the plug-in is left in it
}

TEST_F(ResultList, ShortControlRecordsAreNotTouched)
{
    std::vector<uint8_t> event(96, 0xEE);
    host::putU16(event.data(), host::action_event::SIZE, 67);
    host::putI32(event.data(), host::action_event::ID, RESULTS);
    host::putI32(event.data(), host::action_event::CONTACT, -2);
    host::putI32(event.data(), host::action_event::CODE, host::EVENT_CREATE_CONTROL);
    host::putPtr(event.data(), host::action_event::PARENT_WINDOW, host->page().window());
    std::vector<uint8_t> before = event;
    host->clearExchanges();
    EXPECT_EQ(0, host->send(host::MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data())));
    EXPECT_EQ(before, event) << "nothing written";
    EXPECT_TRUE(support::pluginCalls(*host).empty()) << "no list created";

    host::putU16(event.data(), host::action_event::SIZE, 31);
    host::putI32(event.data(), host::action_event::CODE, host::EVENT_DESTROY_CONTROL);
    host::putPtr(event.data(), host::action_event::WINDOW, list);
    EXPECT_EQ(0, host->send(host::MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data())));
    EXPECT_TRUE(IsWindow(list)) << "a 31-byte destroy record does not carry the window";
}

namespace {

// Messages sent to any list view on this thread while a hook is set.
std::vector<HWND> listMessages;

LRESULT CALLBACK recordListMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    char name[64] = "";
    GetClassNameA(sent->hwnd, name, sizeof name);
    if (strcmp(name, WC_LISTVIEWA) == 0)
        listMessages.push_back(sent->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// True when the list repaints what changes: drawing was not left off.
bool drawing(HWND list)
{
    ValidateRect(list, nullptr);
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = const_cast<char*>("probe");
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    RECT update;
    bool repaints = GetUpdateRect(list, &update, FALSE) != 0;
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    return repaints;
}

}  // namespace

TEST_F(ResultList, DrawingIsOnAfterEveryFillEvenAnEmptyOne)
{
    EXPECT_TRUE(drawing(list)) << "after a fill of four rows";
    host->settings()[VALUE].value = "nikt";
    host->actionEvent(VALUE, host::EVENT_CHANGED);
    ASSERT_TRUE(shownNames().empty());
    EXPECT_TRUE(drawing(list)) << "after an empty fill";
}

TEST_F(ResultList, DestroyedListIsNeitherTouchedNorActedOn)
{
    host::focusRow(list, 1, true);
    HWND page = host->page().window();
    support::giveListBack(*host, page, list);
    ASSERT_FALSE(IsWindow(list));
    host->clearExchanges();

    listMessages.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, recordListMessages, nullptr, GetCurrentThreadId());
    host->actionEvent(PROPERTIES, host::EVENT_ACTIVATED);
    host->actionEvent(TALK, host::EVENT_ACTIVATED);
    support::pokePage(page, list);
    host->settings()[VALUE].value = "Opole";
    host->actionEvent(VALUE, host::EVENT_CHANGED);
    UnhookWindowsHookEx(hook);

    EXPECT_TRUE(host->find(host::Op::Send, host::MSG_ACTION_CALL).empty()) << "no contact asked for";
    EXPECT_TRUE(listMessages.empty()) << listMessages.size() << " messages to a list view";
    EXPECT_EQ(3u, host->find(host::Op::Send, host::MSG_ACTION_GET_VALUE).size()) << "the search itself still ran";
}

// The host destroys our list, or the page with our list in it, and Windows
// later gives the list's handle to a list of the host's: the next search
// fills none, and a new list destroys none.
TEST_F(ResultList, ListTheHostDestroyedIsForgottenEvenWhenItsHandleComesBack)
{
    for (bool withItsPage : {false, true}) {
        SCOPED_TRACE(withItsPage ? "its page destroyed" : "the list destroyed");
        TearDown();
        SetUp();
        HWND page = host->page().window();
        if (withItsPage) {
            page = support::createHostPage("B");
            host->page().abandon();
            host->page().close();  // the page goes without a word, our list with it
        } else {
            DestroyWindow(list);
        }
        ASSERT_FALSE(IsWindow(list));
        HWND hosts = support::windowAtHandle(list, [page] {
            return CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 100, 100, page, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        });
        ASSERT_EQ(list, hosts) << "Windows never handed the list's handle out again";

        host->settings()[VALUE].value = "Opole";
        host->actionEvent(VALUE, host::EVENT_CHANGED);
        EXPECT_EQ(0, SendMessageA(hosts, LVM_GETITEMCOUNT, 0, 0)) << "a search filled the host's list";
        EXPECT_NE(nullptr, support::askForList(*host, page));
        EXPECT_TRUE(IsWindow(hosts)) << "a new list destroyed the host's";
        DestroyWindow(hosts);
        if (withItsPage) {
            host->stop();
            DestroyWindow(page);
        }
    }
}

// The host destroys our list itself and has us make one in another page:
// the stop gives both pages their own procedures back.
TEST_F(ResultList, StopGivesBackThePageOfAListTheHostDestroyed)
{
    HWND first = host->page().window();
    DestroyWindow(list);
    HWND second = support::createHostPage("B");
    ASSERT_NE(nullptr, support::askForList(*host, second));
    host->send(host::MSG_STOP);  // the pages stay
    EXPECT_GIVEN_BACK(first);
    EXPECT_GIVEN_BACK(second);
    DestroyWindow(second);
}

TEST(ResultListAlone, ListCreatedAgainForgetsTheImagesOfTheOneBefore)
{
    auto host = support::openPluginPage("uid,net,display,city\n0,1,Ja,x\n1,3,Ala,Opole\n");
    host->page().close();
    host->networkPlugins().resize(1);  // network 3 is gone; its image with it
    host->page().open();
    HWND list = host->page().slotControl(RESULTS);
    host->searchFor("5", "0", "opole");
    std::vector<host::ResultRow> rows = host::readResultRows(list);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(0, rows[0].image) << "the general icon, not an index into the earlier image list";
    EXPECT_EQ("net 3, used icon number 0", host->log().back());
}

namespace {

// Rows in the order given: each group's rows (which compare equal) in any
// order among themselves, the groups in the order listed.
typedef std::vector<std::vector<std::string>> RowOrder;

void expectOrder(HWND list, int column, RowOrder groups, bool ascending, const std::string& when)
{
    if (!ascending)
        std::reverse(groups.begin(), groups.end());
    std::vector<std::string> shown = host::shownNames(list);
    size_t at = 0;
    for (const std::vector<std::string>& group : groups) {
        std::vector<std::string> part(shown.begin() + static_cast<long>(std::min(at, shown.size())),
                                      shown.begin() + static_cast<long>(std::min(at + group.size(), shown.size())));
        EXPECT_TRUE(std::is_permutation(part.begin(), part.end(), group.begin(), group.end()))
            << when << ", column " << column << (ascending ? " ascending" : " descending") << ": rows from " << at
            << " should be " << group.front() << (group.size() > 1 ? " and its ties" : "");
        at += group.size();
    }
    EXPECT_EQ(at, shown.size());
}

}  // namespace

// Each click orders the clicked column as Windows' C runtime's _strcmpi
// orders the first 255 bytes of its texts, under the C locale: ASCII letters
// fold, and every byte compares as an unsigned char, so Polish letters (code
// page 1250, above 127) come after the ASCII ones, on Wine as on Windows
// (Wine 8's own _strcmpi would put them first). A row of the host's own,
// whose item data names no hit, sorts as an empty text.
// The direction flips before every click and carries over from a search to
// the next, whose ranks are made anew.
TEST(ResultListSort, EveryClickOrdersAsTheRuntimeComparesAfterEverySearch)
{
    const std::string longX(255, 'x'), longXX(255, 'X');
    const struct {
        const char* name;  // UTF-8 here, code page 1250 in the host
        std::string city;  // three differ only past their 255th byte: they tie
        const char* nick;
    } contacts[] = {
        {"\xC5\xB9" "dzis\xC5\x82" "aw", longX + "a", "nj"}, {"\xC5\xBA" "ofia", longXX + "b", "ni"},
        {"zenon", "zenon", "nh"}, {"\xC5\x81ukasz", "\xC5\x81ukasz", "ng"}, {"\xC5\x82ucja", longX + "c", "nf"},
        {"ADAM", "ADAM", "ne"}, {"\xC5\xBB" "aneta", "\xC5\xBB" "aneta", "nd"}, {"ewa", "ewa", "nc"},
        {"bo\xC5\xBC" "ena", "bo\xC5\xBC" "ena", "nb"}, {"Bolek", "bolek", "na"},
    };
    std::string csv = "uid,net,display,city,nick\n0,1,Ja,x,x\n";
    int row = 1;
    for (const auto& contact : contacts)
        csv += std::to_string(row++) + ",1," + contact.name + "," + contact.city + "," + contact.nick + "\n";
    // The same names in code page 1250.
    const std::string ZDZISLAW = "\x8F" "dzis\xB3" "aw", ZOFIA = "\x9F" "ofia", LUKASZ = "\xA3ukasz",
                      LUCJA = "\xB3ucja", ZANETA = "\xAF" "aneta", BOZENA = "bo\xBF" "ena", HOSTS = "";
    const RowOrder byName = {{HOSTS}, {"ADAM"}, {"Bolek"}, {BOZENA}, {"ewa"}, {"zenon"},
                             {ZDZISLAW}, {ZOFIA}, {LUKASZ}, {ZANETA}, {LUCJA}};
    const RowOrder byCity = {{HOSTS}, {"ADAM"}, {"Bolek"}, {BOZENA}, {"ewa"}, {ZDZISLAW, ZOFIA, LUCJA},
                             {"zenon"}, {LUKASZ}, {ZANETA}};
    const RowOrder byNick = {{HOSTS}, {"Bolek"}, {BOZENA}, {"ewa"}, {ZANETA}, {"ADAM"},
                             {LUCJA}, {LUKASZ}, {"zenon"}, {ZOFIA}, {ZDZISLAW}};

    auto host = support::openPluginPage(csv.c_str());
    HWND list = host->page().slotControl(RESULTS);
    ASSERT_NE(nullptr, list);
    host->settings()[CONDITION].value = "2";  // differs from
    host->settings()[VALUE].value = "nikt";
    bool ascending = true;
    const struct {
        const char* field;
        const RowOrder& byValue;
    } searches[] = {{"5", byCity}, {"8", byNick}};
    for (const auto& search : searches) {
        host->settings()[FIELD].value = search.field;
        host->actionEvent(VALUE, host::EVENT_CHANGED);
        host::insertRow(list, 0, "", 777);  // names no hit
        for (int column : {0, 0, 1, 1, 0}) {
            host::clickHeader(list, column);
            ascending = !ascending;  // the first click of all descends
            expectOrder(list, column, column == 0 ? byName : search.byValue, ascending,
                        std::string("field ") + search.field);
        }
    }
}
