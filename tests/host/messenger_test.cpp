// The stand-in messenger driven as a user would: the page drawn from what
// the real DLL declared, its real controls changed through their own
// messages, and what the plug-in and the host did in answer.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "host/host_layout.h"
#include "host/plugin_ids.h"
#include "host/messenger.h"
#include "host/personality.h"
#include "host/result_list_reader.h"
#include "host/script_runner.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const char CONTACTS[] =
    "uid,net,display,city,description\n"
    "0,1,Ja,Kraków,\n"
    "1,1,Adam Nowak,Kraków,w pracy\n"
    "2,2,Łucja Kowalska,Łódź,\n"
    "3,3,Piotr Zieliński,kraków,dom\n";

std::string windowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct ChildTexts {
    std::vector<std::string> groups, buttons;
};

BOOL CALLBACK collectChild(HWND child, LPARAM data)
{
    ChildTexts* texts = reinterpret_cast<ChildTexts*>(data);
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0)
        ((style & 0xF) == BS_GROUPBOX ? texts->groups : texts->buttons).push_back(windowText(child));
    return TRUE;
}

class MessengerRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        profile = support::temporaryPath("lunetka-messenger-profile.txt");
        start();
    }
    void TearDown() override
    {
        stop();
        DeleteFileA(profile.c_str());
    }
    void start()
    {
        host = support::loadPlugin();
        host->setContacts(host::ContactTable::fromCsvText(CONTACTS, "test"));
        host->setProfileFile(profile);
        host->start();
        messenger.reset(new host::Messenger(*host, ""));
        messenger->openConfiguration();
        ASSERT_NE(nullptr, messenger->page());
    }
    void stop()
    {
        messenger.reset();
        host->stop();
        host.reset();
    }
    std::vector<std::string> shownNames() { return host::shownNames(host->page().slotControl(RESULTS)); }

    std::string profile;
    std::unique_ptr<host::StandInHost> host;
    std::unique_ptr<host::Messenger> messenger;
};

}  // namespace

TEST_F(MessengerRun, PageShowsWhatThePluginDeclared)
{
    host::PageView& page = *messenger->page();
    ChildTexts texts;
    EnumChildWindows(page.window(), collectChild, reinterpret_cast<LPARAM>(&texts));
    EXPECT_EQ((std::vector<std::string>{"", "Kryteria wyszukiwania", "Znalezione kontakty"}), texts.groups);
    EXPECT_EQ((std::vector<std::string>{"W\xB3" "a\x9C" "ciwo\x9C" "ci", "Zacznij rozmow\xEA"}), texts.buttons)
        << "captions end before 0x03";

    HWND field = page.control(FIELD);
    ASSERT_NE(nullptr, field);
    EXPECT_EQ(9, SendMessageA(field, CB_GETCOUNT, 0, 0));
    char item[64] = "";
    SendMessageA(field, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ("miejscowo\x9C\xE6", item);
    SendMessageA(field, CB_GETLBTEXT, SendMessageA(field, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ("UID", item) << "the stored default is shown";
    HWND condition = page.control(CONDITION);
    SendMessageA(condition, CB_GETLBTEXT, SendMessageA(condition, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ("r\xF3wne", item);

    HWND list = host->page().slotControl(RESULTS);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(page.window(), GetParent(list)) << "the plug-in's list sits in the drawn page";
    // The info box: the plug-in's registered 32x32 icon and its rich tip.
    page.showTip(true);
    ASSERT_NE(nullptr, page.tip());
    EXPECT_TRUE(IsWindowVisible(page.tip()));
    EXPECT_EQ(0u, windowText(page.tip()).find("<b>Lunetka 1.0.0.3</b><br/>"));
}

// The configuration opened again both ways the rebuilding host makes its
// page (in the other kinds it is opened once): the list lives in the page
// drawn last, alone, and the stored search shows in it.
TEST_F(MessengerRun, ConfigurationOpensAgainWithAndWithout221)
{
    for (bool tellsUs : {true, false}) {
        SCOPED_TRACE(tellsUs ? "with 221" : "without 221");
        host->variant.rebuildTellsUs = tellsUs;
        messenger->page()->chooseItem(FIELD, "miejscowo\x9C\xE6");
        messenger->page()->chooseItem(CONDITION, "zawiera");
        messenger->page()->typeText(VALUE, "krak");
        messenger->openConfiguration();
        HWND list = host->page().slotControl(RESULTS);
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(messenger->page()->window(), GetParent(list));
        EXPECT_EQ(1, support::listViewsIn(messenger->page()->window()));
        EXPECT_EQ((std::vector<std::string>{"Adam Nowak", "Piotr Zieli\xF1ski"}), shownNames());
    }
}

TEST_F(MessengerRun, ChangingTheControlsSearches)
{
    host::PageView& page = *messenger->page();
    page.chooseItem(FIELD, "miejscowo\x9C\xE6");
    page.chooseItem(CONDITION, "zawiera");
    page.typeText(VALUE, "krak");
    EXPECT_EQ((std::vector<std::string>{"Adam Nowak", "Piotr Zieli\xF1ski"}), shownNames());
    EXPECT_EQ("krak", host->settings()[VALUE].value);
    EXPECT_EQ("5", host->settings()[FIELD].value);
    EXPECT_EQ("1", host->settings()[CONDITION].value) << "the item's value, not its place";

    // A real header click, then the buttons on the focused row.
    host::clickHeader(host->page().slotControl(RESULTS), 0);
    EXPECT_EQ((std::vector<std::string>{"Piotr Zieli\xF1ski", "Adam Nowak"}), shownNames());
    host::focusRow(host->page().slotControl(RESULTS), 0, true);
    page.press(PROPERTIES);
    page.press(TALK);
    HWND properties = support::ownWindow(nullptr, "W\xB3" "a\x9C" "ciwo\x9C" "ci: Piotr Zieli\xF1ski");
    HWND conversation = support::ownWindow(nullptr, "Piotr Zieli\xF1ski");
    EXPECT_NE(nullptr, properties) << "action 202 of group 200 opens the contact's properties";
    EXPECT_NE(nullptr, conversation) << "action 130 of group 30 opens a conversation";
    DestroyWindow(properties);
    DestroyWindow(conversation);
}

TEST_F(MessengerRun, SettingsSurviveARestartAndTheStoredSearchShowsAtOnce)
{
    messenger->page()->chooseItem(FIELD, "5");
    messenger->page()->chooseItem(CONDITION, "1");
    messenger->page()->typeText(VALUE, "\xA3\xF3");  // "Łó"
    EXPECT_EQ(std::vector<std::string>{"\xA3ucja Kowalska"}, shownNames());
    stop();
    start();
    EXPECT_EQ("\xA3\xF3", windowText(messenger->page()->control(VALUE)));
    EXPECT_EQ(std::vector<std::string>{"\xA3ucja Kowalska"}, shownNames()) << "code 12 on opening the page";
}

TEST_F(MessengerRun, MenuEntryAndUnsupportedHostActions)
{
    messenger->chooseMenuEntry(OPEN_WINDOW);
    HWND window = support::ownWindow("Lunetka");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Szukaj na li\x9C" "cie kontakt\xF3w", windowText(window));
    DestroyWindow(window);

    host->onHostAction(999, 7, 1);
    EXPECT_EQ("host: action 999 of group 7 is not supported", host->log().back());
}

TEST_F(MessengerRun, ScriptPrintsWhatAUserSees)
{
    std::string output = support::temporaryPath("lunetka-script-output.txt");
    FILE* out = fopen(output.c_str(), "wb");
    ASSERT_NE(nullptr, out);
    host::runScript(*messenger, *host,
                    host::splitCommands("choose field miejscowość; choose condition zawiera; type krak; "
                                        "header 0; dblclick 0; press Zacznij; windows"),
                    out);
    fclose(out);
    std::string printed = support::fileText(output);
    EXPECT_NE(std::string::npos, printed.find("> type krak\n  result list: 2 row(s)\n"
                                              "     0. [icon 1] Adam Nowak | Kraków\n"
                                              "     1. [icon 3] Piotr Zieliński | kraków\n"));
    EXPECT_NE(std::string::npos, printed.find("  window opened: Właściwości: Piotr Zieliński\n"
                                              "  host action 202 of group 200 requested for contact row 3 (Piotr Zieliński)\n"));
    EXPECT_NE(std::string::npos, printed.find("  window opened: Piotr Zieliński\n"));
    DeleteFileA(output.c_str());

    EXPECT_THROW(host::runScript(*messenger, *host, {"fly away"}, stdout), std::exception);
}

TEST(MessengerLog, LinesGoToTheLogFile)
{
    std::string logFile = support::temporaryPath("lunetka-messenger-log.txt");
    {
        auto host = support::startPlugin();
        host::Messenger messenger(*host, logFile);
        messenger.openConfiguration();
        messenger.showLog();
        EXPECT_NE(nullptr, messenger.logWindow());
        messenger.closeConfiguration();
        host->stop();
    }
    EXPECT_NE(std::string::npos, support::fileText(logFile).find("searching : 0  0 1\n")) << "the refresh's search, as UTF-8 lines";
    DeleteFileA(logFile.c_str());
}

TEST(MessengerAlone, GivesBackItsPicturesAndItsCallbacks)
{
    auto host = support::startPlugin();
    std::vector<HBITMAP> pictures;
    {
        host::Messenger messenger(*host, "");
        EXPECT_TRUE(static_cast<bool>(host->onLog)) << "the messenger hears the log while it lives";
        HMENU plugins = GetSubMenu(GetMenu(messenger.mainWindow()), 1);
        for (int i = 0; i < GetMenuItemCount(plugins); ++i) {
            MENUITEMINFOA item;
            ZeroMemory(&item, sizeof item);
            item.cbSize = sizeof item;
            item.fMask = MIIM_BITMAP;
            if (GetMenuItemInfoA(plugins, static_cast<UINT>(i), TRUE, &item) && item.hbmpItem)
                pictures.push_back(item.hbmpItem);
        }
        ASSERT_EQ(1u, pictures.size()) << "the plug-in's menu entry has its icon";
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(pictures[0]));
    }
    EXPECT_EQ(0u, GetObjectType(pictures[0])) << "the menu's picture is freed with the messenger";
    EXPECT_FALSE(static_cast<bool>(host->onLog)) << "no callback into a messenger that is gone";
    EXPECT_FALSE(static_cast<bool>(host->onHostAction));

    // A log file that cannot be opened fails the messenger before it hooks the host.
    EXPECT_THROW(host::Messenger(*host, support::temporaryPath("no-such-folder\\x\\log.txt")), std::exception);
    EXPECT_FALSE(static_cast<bool>(host->onLog));
}

namespace {

// A key as a keyboard user presses it: to the window with the focus, through
// the messenger's own message loop (and its dialog navigation, where it has one).
void pressKey(host::Messenger& messenger, UINT key)
{
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
    messenger.pump();
}

// The contact rows of the host actions 202 of group 200 asked for since the last clear.
std::vector<int32_t> propertiesAskedFor(const host::StandInHost& host)
{
    std::vector<int32_t> contacts;
    for (const host::Exchange* call : host.find(host::Op::Send, host::MSG_ACTION_CALL)) {
        const std::vector<uint8_t>& record = call->payload;
        if (I32(record, host::action_event::ID) == 202 && I32(record, host::action_event::PARENT) == 200)
            contacts.push_back(I32(record, host::action_event::CONTACT));
    }
    return contacts;
}

}  // namespace

// A user without a mouse. Where the page is a dialog, Tab reaches the list;
// elsewhere the list takes the focus as a click would give it. The arrow keys
// pick a row, and Enter on it asks for that contact's properties (a dialog
// gives Enter to its default button, "Właściwości"; a plain page lets the
// list see it). In the dialog, Tab then reaches "Właściwości", and Space
// presses it for the same contact.
TEST_F(MessengerRun, KeyboardUserPicksARowAndActsOnIt)
{
    host::PageView& page = *messenger->page();
    page.chooseItem(FIELD, "miejscowo\x9C\xE6");
    page.chooseItem(CONDITION, "zawiera");
    page.typeText(VALUE, "krak");
    HWND list = host->page().slotControl(RESULTS);
    ASSERT_EQ((std::vector<std::string>{"Adam Nowak", "Piotr Zieli\xF1ski"}), shownNames());
    bool dialog = host::personality() == host::Personality::Dialog;
    SetForegroundWindow(messenger->configWindow());
    SetFocus(dialog ? page.control(FIELD) : list);
    for (int tab = 0; dialog && tab < 8 && GetFocus() != list; ++tab)
        pressKey(*messenger, VK_TAB);
    ASSERT_EQ(list, GetFocus()) << "Tab reaches the list";

    pressKey(*messenger, VK_DOWN);
    pressKey(*messenger, VK_DOWN);
    ASSERT_EQ(1, SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED))
        << "the arrow keys move the focus to the second row";
    host->clearExchanges();
    pressKey(*messenger, VK_RETURN);
    EXPECT_EQ(std::vector<int32_t>{3}, propertiesAskedFor(*host)) << "Piotr Zieliński is contact row 3";
    HWND properties = support::ownWindow(nullptr, "W\xB3" "a\x9C" "ciwo\x9C" "ci: Piotr Zieli\xF1ski");
    ASSERT_NE(nullptr, properties);
    DestroyWindow(properties);  // the focus goes back where it was
    if (!dialog)
        return;
    ASSERT_EQ(list, GetFocus());
    for (int tab = 0; tab < 8 && GetFocus() != page.control(PROPERTIES); ++tab)
        pressKey(*messenger, VK_TAB);
    ASSERT_EQ(page.control(PROPERTIES), GetFocus()) << "Tab reaches the button";
    pressKey(*messenger, VK_SPACE);
    EXPECT_EQ((std::vector<int32_t>{3, 3}), propertiesAskedFor(*host));
}
