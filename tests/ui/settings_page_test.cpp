// What the real DLL declares at start, as the host receives it: the settings
// columns, the icons, and every action record in its order, byte by byte.
#include <gtest/gtest.h>

#include <string.h>

#include "host/plugin_ids.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

const char* const NO_TEXT = nullptr;

struct ExpectedAction {
    uint16_t size;
    int32_t parent, id;
    uint32_t type;
    const char* text;  // NO_TEXT: a null pointer
    int32_t param;
    int16_t width, height;
    int32_t position;
};

// Texts in Windows-1250, written byte by byte.
const char FIELD_LIST[] =
    " opis\x02" "0\n UID\x02" "1\n wy\x9C" "wietl jako\x02" "2\n kom\xF3rka\x02" "3\n IP\x02" "4\n"
    " miejscowo\x9C\xE6\x02" "5\n imi\xEA\x02" "6\n nazwisko\x02" "7\n ksywka\x02" "8";
const char CONDITION_LIST[] =
    " zawiera\x02" "1\n r\xF3wne\x02" "0\n r\xF3\xBFne od\x02" "2\n zaczyna si\xEA od\x02" "3\n"
    " ko\xF1" "czy si\xEA na\x02" "4\n nie zawiera\x02" "5";
const char DESCRIPTION[] =
    "<b>Lunetka</b> pozwala na przeszukiwanie listy kontakt\xF3w wed\xB3ug r\xF3\xBFnych kryteri\xF3w.";
const char PROPERTIES_CAPTION[] = "W\xB3" "a\x9C" "ciwo\x9C" "ci\x03" "102";
const char TALK_CAPTION[] = "Zacznij rozmow\xEA\x03" "1342177296";

const char INFO_IMAGE[] = "";  // checked on its own below

const ExpectedAction expectedActions[] = {
    {74, host::PARENT_CONFIG_PAGES, PAGE, 0x00000010, "Lunetka", SMALL_ICON, 0, 0, -1},
    {74, PAGE, 0, 0x000F0000, "", 0, 0, 0, -1},
    {74, PAGE, 0, 0x001C0040, INFO_IMAGE, 0, 40, 40, -1},
    {78, PAGE, 0, 0x00180080, DESCRIPTION, 0, 300, -2, -1},
    {74, PAGE, 0, 0x00100000, NO_TEXT, 0, 0, 0, -1},
    {74, PAGE, 0, 0x000F0000, "Kryteria wyszukiwania", 0, 0, 0, -1},
    {78, PAGE, FIELD, 0x0A169040, FIELD_LIST, FIELD, 100, 0, -1},
    {78, PAGE, CONDITION, 0x0A169040, CONDITION_LIST, CONDITION, 100, 0, -1},
    {78, PAGE, VALUE, 0x0A0C0000, "", VALUE, 0, -2, -1},
    {74, PAGE, 0, 0x00100000, NO_TEXT, 0, 0, 0, -1},
    {74, PAGE, 0, 0x000F0000, "Znalezione kontakty", 0, 0, 0, -1},
    {78, PAGE, RESULTS, 0x00050000, NO_TEXT, 0, 0, 0, -1},
    {78, PAGE, PROPERTIES, 0x000E0040, PROPERTIES_CAPTION, 0, 205, 0, -1},
    {78, PAGE, TALK, 0x000E0000, TALK_CAPTION, 0, 205, 0, -1},
    {74, PAGE, 0, 0x00100000, NO_TEXT, 0, 0, 0, -1},
    {74, host::PARENT_PLUGIN_MENU, OPEN_WINDOW, 0x00000000, "Szukaj na liscie", SMALL_ICON, 0, 0, 2},
};

class DeclaredPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = support::loadPlugin();
        host->start();
    }
    std::unique_ptr<host::StandInHost> host;
};

}  // namespace

TEST_F(DeclaredPage, SettingsColumns)
{
    auto columns = host->find(host::Op::Send, host::MSG_ADD_COLUMN);
    ASSERT_EQ(3u, columns.size());
    const struct {
        int column, type;
        const char* key;
    } expected[] = {
        {FIELD, 0, "Lunetka/PoleWyszukiwania1"},
        {CONDITION, 0, "Lunetka/WarunekWyszukiwania1"},
        {VALUE, 1, "Lunetka/KryteriumWyszukiwania1"},
    };
    for (size_t i = 0; i < 3; ++i) {
        const std::vector<uint8_t>& record = columns[i]->record;
        ASSERT_EQ(39u, record.size());
        EXPECT_EQ(host::column_def::LENGTH, U16(record, host::message::SIZE));
        EXPECT_EQ(host::MSG_ADD_COLUMN, I32(record, host::message::ID));
        EXPECT_TRUE(support::zeroBytes(record, host::message::TAG1, host::column_def::COLUMN)) << "tags and table 0";
        EXPECT_EQ(expected[i].column, I32(record, host::column_def::COLUMN));
        EXPECT_EQ(expected[i].type, I32(record, host::column_def::VALUE_TYPE));
        EXPECT_EQ(expected[i].key, columns[i]->text);
    }
    EXPECT_EQ(1, I32(columns[0]->record, host::column_def::DEFAULT));
    EXPECT_EQ(0, I32(columns[1]->record, host::column_def::DEFAULT));
    EXPECT_NE(0, I32(columns[2]->record, host::column_def::DEFAULT)) << "the text default is a pointer to an empty text, not null";
    EXPECT_EQ("", host->settings()[VALUE].defaultValue);
    EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, host::MSG_SETTINGS_COLUMNS)).reply);
}

TEST_F(DeclaredPage, EveryCallOfTheStartInOrder)
{
    EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, host::MSG_BUILD_UI)).reply);
    using host::Op;
    std::vector<support::ExpectedExchange> expected = {
        {Op::GetAppInstance}, {Op::GetPluginInstance}, {Op::GetPluginInstance},       // start
        {Op::Send, host::MSG_ADD_COLUMN}, {Op::Send, host::MSG_ADD_COLUMN}, {Op::Send, host::MSG_ADD_COLUMN},
        {Op::GetPluginInstance}, {Op::Send, host::MSG_ICON_REGISTER},                 // both icons first
        {Op::GetPluginInstance}, {Op::Send, host::MSG_ICON_REGISTER},
        {Op::Send, host::MSG_ACTION_CREATE}, {Op::Send, host::MSG_ACTION_CREATE},     // the page, the info box's group
        {Op::GetPluginId}, {Op::SendTo, host::MSG_PLUGIN_DISPLAY_NAME},               // the info box's texts
        {Op::GetPluginId}, {Op::Send, host::MSG_PLUGIN_MODULE}, {Op::Send, host::MSG_VERSION_TEXT}, {Op::QueryState},
    };
    expected.insert(expected.end(), 14, {Op::Send, host::MSG_ACTION_CREATE});      // the page's actions
    EXPECT_SEQUENCE(*host, expected);
}

// Every action the DLL declares, in order, byte by byte at its offsets, and
// the two icons it registers before them.
TEST_F(DeclaredPage, EveryRecordByteByByte)
{
    auto sent = host->find(host::Op::Send, host::MSG_ACTION_CREATE);
    ASSERT_EQ(sizeof expectedActions / sizeof expectedActions[0], sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        const ExpectedAction& expected = expectedActions[i];
        const std::vector<uint8_t>& record = sent[i]->payload;
        SCOPED_TRACE("action " + std::to_string(i));
        ASSERT_EQ(expected.size, record.size());
        EXPECT_EQ(expected.size, U16(record, host::action_def::SIZE));
        EXPECT_EQ(expected.id, I32(record, host::action_def::ID));
        EXPECT_EQ(expected.parent, I32(record, host::action_def::PARENT));
        EXPECT_EQ(-2, I32(record, host::action_def::CONTACT));
        EXPECT_EQ(expected.position, I32(record, host::action_def::POSITION));
        EXPECT_TRUE(support::zeroBytes(record, host::action_def::UNUSED18, host::action_def::FIELD_MASK));
        EXPECT_EQ(0x35F, I32(record, host::action_def::FIELD_MASK));
        EXPECT_EQ(static_cast<int32_t>(expected.type), I32(record, host::action_def::TYPE));
        EXPECT_EQ(-1, I32(record, host::action_def::UNUSED38));
        EXPECT_TRUE(support::zeroBytes(record, host::action_def::UNUSED42, host::action_def::TEXT));
        EXPECT_EQ(expected.text == NO_TEXT, I32(record, host::action_def::TEXT) == 0);
        if (expected.text != NO_TEXT && expected.text != INFO_IMAGE) {
            EXPECT_EQ(expected.text, host->actions()[i].text);
        }
        EXPECT_TRUE(support::zeroBytes(record, host::action_def::TEXT_SIZE, host::action_def::PARAM)) << "size and 58";
        EXPECT_EQ(expected.param, I32(record, host::action_def::PARAM));
        EXPECT_EQ(0, I32(record, host::action_def::VALUE66));
        EXPECT_EQ(expected.width, I16(record, host::action_def::WIDTH));
        EXPECT_EQ(expected.height, I16(record, host::action_def::HEIGHT));
        EXPECT_TRUE(support::zeroBytes(record, host::action_def::SHORT, record.size())) << "the long form's words";
        EXPECT_EQ(0, I32(sent[i]->record, host::message::P2));
    }
    auto icons = host->find(host::Op::Send, host::MSG_ICON_REGISTER);
    ASSERT_EQ(2u, icons.size());
    const int ids[] = {LARGE_ICON, SMALL_ICON}, kinds[] = {2, 1};
    for (size_t i = 0; i < 2; ++i) {
        const std::vector<uint8_t>& icon = icons[i]->payload;
        ASSERT_EQ(36u, icon.size());
        EXPECT_EQ(host::icon_def::LENGTH, U16(icon, host::icon_def::SIZE));
        EXPECT_EQ(0, U16(icon, host::icon_def::ALIGN2)) << "alignment bytes";
        EXPECT_EQ(ids[i], I32(icon, host::icon_def::ICON_ID));
        EXPECT_EQ(kinds[i], I32(icon, host::icon_def::KIND));
        EXPECT_EQ(0, I32(icon, host::icon_def::UNUSED12));
        EXPECT_EQ(1, I32(icon, host::icon_def::LAST));
        EXPECT_EQ(reinterpret_cast<intptr_t>(host->pluginModule()), I32(icon, host::icon_def::MODULE));
        EXPECT_EQ(ids[i], I32(icon, host::icon_def::RESOURCE));
        EXPECT_TRUE(support::zeroBytes(icon, host::icon_def::UNUSED28, host::icon_def::LENGTH));
        EXPECT_EQ(1, icons[i]->reply) << "the host found the resource";
    }
}

TEST_F(DeclaredPage, InfoBoxTipCarriesNameVersionAndCredits)
{
    const std::string params = host->actions().at(2).text;
    const std::string head = "\x1a" "imgurl=reg://IML32/512010.ICON\x1a" "iconsize=32\x1a"
                             "tipRich=<b>Lunetka 1.0.0.3</b><br/><br/>";
    ASSERT_EQ(head, params.substr(0, head.size())) << "title is the name and the version block's version";
    const std::string tail = "\x1a" "tipWidth=300";
    ASSERT_EQ(tail, params.substr(params.size() - tail.size()));

    // The credits: lines joined by <br/>, names in bold, the build date last.
    std::string credits = params.substr(head.size() - 5, params.size() - tail.size() - head.size() + 5);
    EXPECT_EQ(0u, credits.find("<br/>"));
    EXPECT_NE(std::string::npos, credits.find("<b>")) << "names set in bold";
    const std::string dateLine = "<br/>Data kompilacji: <b>";
    size_t date = credits.rfind(dateLine);
    ASSERT_NE(std::string::npos, date);
    std::string stamp = credits.substr(date + dateLine.size());
    // "21:41:48</b> @ <b>Jun 28 2005</b>"
    ASSERT_EQ(33u, stamp.size()) << stamp;
    EXPECT_EQ(':', stamp[2]);
    EXPECT_EQ(':', stamp[5]);
    EXPECT_EQ("</b> @ <b>", stamp.substr(8, 10));
    EXPECT_EQ("</b>", stamp.substr(29));
    EXPECT_EQ(std::string::npos, credits.find('%')) << "every conversion was filled";
}

TEST_F(DeclaredPage, NameIsAskedReentrantlyWhileThePageIsDeclared)
{
    const std::vector<host::Exchange>& all = host->exchanges();
    size_t buildUi = 0, nameAsked = 0, nameAnswered = 0, infoImage = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].op == host::Op::Entry && all[i].message == host::MSG_BUILD_UI) buildUi = i;
        if (all[i].op == host::Op::SendTo && all[i].message == host::MSG_PLUGIN_DISPLAY_NAME) nameAsked = i;
        if (all[i].op == host::Op::Entry && all[i].message == host::MSG_PLUGIN_DISPLAY_NAME) nameAnswered = i;
        if (all[i].op == host::Op::Send && all[i].message == host::MSG_ACTION_CREATE && all[i].payload.size() > 34 &&
            host::i32At(all[i].payload.data(), host::action_def::TYPE) == 0x001C0040)
            infoImage = i;
    }
    EXPECT_LT(buildUi, nameAsked);
    EXPECT_EQ(nameAsked + 1, nameAnswered) << "delivered straight back into the plug-in";
    EXPECT_LT(nameAnswered, infoImage);
    EXPECT_STREQ("Lunetka", reinterpret_cast<const char*>(all[nameAnswered].reply));
    const host::Exchange& asked = ONLY(host->find(host::Op::SendTo, host::MSG_PLUGIN_DISPLAY_NAME));
    EXPECT_EQ(host->pluginId(), asked.args.at(0));
    EXPECT_TRUE(support::zeroBytes(asked.record, host::message::TAG1, host::message::LENGTH)) << "tags and parameters 0";
    // Then the version text of the plug-in's module, into a buffer of the plug-in's.
    const host::Exchange& module = ONLY(host->find(host::Op::Send, host::MSG_PLUGIN_MODULE));
    EXPECT_EQ(host->pluginId(), I32(module.record, host::message::P1));
    const host::Exchange& version = ONLY(host->find(host::Op::Send, host::MSG_VERSION_TEXT));
    EXPECT_EQ(module.reply, I32(version.record, host::message::P1));
    EXPECT_NE(0, I32(version.record, host::message::P2)) << "the buffer";
}

// The title line is the name the host reports, then, unless queryState is
// 1, one space and the version text; with no name and no version, there is
// no title line.
TEST(DeclaredPageState, TheTipsTitleLine)
{
    const struct {
        int queryState;
        bool nameAnswered;
        const char* tip;
    } cases[] = {
        {1, true, "tipRich=<b>Lunetka</b><br/><br/>Autorzy"},
        {0, false, "tipRich=<b> 1.0.0.3</b><br/><br/>Autorzy"},
        {1, false, "tipRich=<br/>Autorzy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip);
        auto host = support::loadPlugin();
        host->setQueryState(c.queryState);
        host->setAnswerOwnQuestions(c.nameAnswered);
        host->start();
        EXPECT_NE(std::string::npos, host->actions().at(2).text.find(c.tip));
    }
}
