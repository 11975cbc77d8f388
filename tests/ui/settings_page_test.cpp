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
    {74, 46, PAGE, 0x00000010, "Lunetka", SMALL_ICON, 0, 0, -1},
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
    {74, 12, OPEN_WINDOW, 0x00000000, "Szukaj na liscie", SMALL_ICON, 0, 0, 2},
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
    auto columns = host->find(host::Op::Send, 1102);
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
        EXPECT_EQ(39, U16(record, 0));
        EXPECT_EQ(1102, I32(record, 2));
        EXPECT_TRUE(support::zeroBytes(record, 6, 23)) << "tags and table 0";
        EXPECT_EQ(expected[i].column, I32(record, 23));
        EXPECT_EQ(expected[i].type, I32(record, 27));
        EXPECT_EQ(expected[i].key, columns[i]->text);
    }
    EXPECT_EQ(1, I32(columns[0]->record, 31));
    EXPECT_EQ(0, I32(columns[1]->record, 31));
    EXPECT_NE(0, I32(columns[2]->record, 31)) << "the text default is a pointer to an empty text, not null";
    EXPECT_EQ("", host->settings()[VALUE].defaultValue);
    EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, 21001)).reply);
}

TEST_F(DeclaredPage, IconsFirstThenEveryActionInOrder)
{
    EXPECT_EQ(1, ONLY(host->find(host::Op::Entry, 22000)).reply);
    // Nothing but icon registrations comes before the first action.
    std::vector<int> order;
    for (const host::Exchange& exchange : host->exchanges()) {
        if (exchange.op == host::Op::Send && (exchange.message == 10130 || exchange.message == 10101))
            order.push_back(exchange.message);
    }
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(10130, order[0]);
    EXPECT_EQ(10130, order[1]);
    EXPECT_EQ(10101, order[2]);

    auto icons = host->find(host::Op::Send, 10130);
    ASSERT_EQ(2u, icons.size());
    HMODULE module = host->pluginModule();
    const int iconIds[] = {LARGE_ICON, SMALL_ICON}, kinds[] = {2, 1};

    for (size_t i = 0; i < 2; ++i) {
        const std::vector<uint8_t>& icon = icons[i]->payload;
        EXPECT_EQ(36, U16(icon, 0));
        EXPECT_EQ(iconIds[i], I32(icon, 4));
        EXPECT_EQ(kinds[i], I32(icon, 8));
        EXPECT_EQ(1, I32(icon, 16));
        EXPECT_EQ(reinterpret_cast<intptr_t>(module), I32(icon, 20));
        EXPECT_EQ(iconIds[i], I32(icon, 24));
    }
    size_t askedWhileBuilding = 0;
    bool building = false;
    for (const host::Exchange& exchange : host->exchanges()) {
        if (exchange.op == host::Op::Entry)
            building = exchange.message == 22000 || (building && exchange.message == 30016);
        askedWhileBuilding += building && exchange.op == host::Op::GetPluginInstance;
    }
    EXPECT_EQ(2u, askedWhileBuilding) << "asked once per icon";
    EXPECT_EQ(2u, host->registeredIcons().size()) << "the host could load both icons from the DLL";

    auto actions = host->find(host::Op::Send, 10101);
    ASSERT_EQ(sizeof expectedActions / sizeof expectedActions[0], actions.size());
    for (size_t i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE("action record " + std::to_string(i));
        const ExpectedAction& want = expectedActions[i];
        const std::vector<uint8_t>& record = actions[i]->payload;
        ASSERT_EQ(want.size, record.size());
        EXPECT_EQ(want.size, U16(record, 0));
        EXPECT_EQ(want.id, I32(record, 2));
        EXPECT_EQ(want.parent, I32(record, 6));
        EXPECT_EQ(-2, I32(record, 10));
        EXPECT_EQ(want.position, I32(record, 14));
        EXPECT_TRUE(support::zeroBytes(record, 18, 30));
        EXPECT_EQ(0x35F, I32(record, 30));
        EXPECT_EQ(static_cast<int32_t>(want.type), I32(record, 34));
        EXPECT_EQ(-1, I32(record, 38));
        EXPECT_TRUE(support::zeroBytes(record, 42, 50));
        EXPECT_EQ(want.text == NO_TEXT, I32(record, 50) == 0) << "null text pointer";
        EXPECT_EQ(0, I32(record, 54));
        EXPECT_EQ(0, I32(record, 58));
        EXPECT_EQ(want.param, I32(record, 62));
        EXPECT_EQ(0, I32(record, 66));
        EXPECT_EQ(want.width, I16(record, 70));
        EXPECT_EQ(want.height, I16(record, 72));
        if (want.size == 78) {
            EXPECT_TRUE(support::zeroBytes(record, 74, 78));
        }
        if (want.text != NO_TEXT && want.text != INFO_IMAGE) {
            EXPECT_EQ(std::string(want.text), actions[i]->text);
        }
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
        if (all[i].op == host::Op::Entry && all[i].message == 22000) buildUi = i;
        if (all[i].op == host::Op::SendTo && all[i].message == 30016) nameAsked = i;
        if (all[i].op == host::Op::Entry && all[i].message == 30016) nameAnswered = i;
        if (all[i].op == host::Op::Send && all[i].message == 10101 && all[i].payload.size() > 34 &&
            host::i32At(all[i].payload.data(), 34) == 0x001C0040)
            infoImage = i;
    }
    EXPECT_LT(buildUi, nameAsked);
    EXPECT_EQ(nameAsked + 1, nameAnswered) << "delivered straight back into the plug-in";
    EXPECT_LT(nameAnswered, infoImage);
    EXPECT_STREQ("Lunetka", reinterpret_cast<const char*>(all[nameAnswered].reply));
    EXPECT_EQ(host->pluginId(), ONLY(host->find(host::Op::SendTo, 30016)).args.at(0));
}

TEST(DeclaredPageState, QueryStateOneHidesTheVersion)
{
    auto host = support::loadPlugin();
    host->setQueryState(1);
    host->start();
    EXPECT_NE(std::string::npos, host->actions().at(2).text.find("tipRich=<b>Lunetka</b><br/><br/>"));
}
