// What the stand-in host prints for people: one transcript line per exchange,
// the declared actions as a tree, control bytes shown as escapes.
#include <gtest/gtest.h>

#include "host/host_layout.h"
#include "host/reports.h"

namespace {

host::Exchange exchange(host::Op op, int message, std::vector<intptr_t> args, const std::string& text, intptr_t reply)
{
    return host::Exchange{op, message, {}, {}, text, std::move(args), reply};
}

// A declared action at no particular position, its caption the text before 0x03.
host::Action action(int id, int parent, int kind, const std::string& text, int param = 0)
{
    return host::Action{id, parent, -1, param, 0, 0, static_cast<uint32_t>(kind) << 16, 0, !text.empty(), text, {},
                        text.substr(0, text.find('\x03'))};
}

}  // namespace

TEST(Reports, TranscriptLinePerExchange)
{
    using host::Op;
    const struct {
        host::Exchange exchange;
        const char* line;
    } rows[] = {
        {exchange(Op::Entry, host::MSG_START, {}, "", 1), "host -> plug-in  20001 (start)  => 1"},
        {exchange(Op::Send, host::MSG_LOG, {}, "Szukam \xb3\x02" "0", 0),
         "plug-in -> host  sendMessage  1 (log) \"Szukam \xc5\x82\\x020\"  => 0"},
        {exchange(Op::SendTo, host::MSG_PLUGIN_TYPE, {3}, "", 32),
         "plug-in -> host  sendMessageTo plug-in 3  30011 (plug-in type)  => 32"},
        {exchange(Op::Send, 999, {}, "", 0), "plug-in -> host  sendMessage  999 (?)  => 0"},
        {exchange(Op::ReadCell, 0, {1, 4, 12}, "Ala", 1), "plug-in -> host  readCell 1 4 12 \"Ala\"  => 1"},
        {exchange(Op::LockTable, 0, {1, -1, 0}, "", 0), "plug-in -> host  lockTable 1 -1 0  => 0"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> lines = host::transcriptLines({row.exchange});
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(row.line, lines[0]);
    }
}

TEST(Reports, ActionTreeIndentsUnderPagesAndGroups)
{
    std::vector<host::Action> actions = {
        action(500, host::PARENT_CONFIG_PAGES, 0, "Lunetka"),
        action(0, 500, host::KIND_GROUP_START, "Szukaj"),
        action(510, 500, host::KIND_COMBO, " Nazwa\x02" "1", 3),
        action(0, 500, host::KIND_GROUP_END, ""),
        action(520, 500, host::KIND_BUTTON, "Poka\xbf\x03" "x"),
        action(600, host::PARENT_PLUGIN_MENU, 0, "Szukaj\n"),
    };
    actions[0].type |= host::TYPE_PAGE_BIT;
    actions[2].items = {{"Nazwa", "1"}};
    actions[4].width = 80;
    actions[4].height = 25;
    EXPECT_EQ("under host place 46:\n"
              "  page 500 \"Lunetka\"\n"
              "    group \"Szukaj\"\n"
              "      combo 510 param 3\n"
              "        item 1: Nazwa\n"
              "    button 520 \"Poka\xc5\xbc\" size 80x25\n"
              "under host place 12:\n"
              "  menu entry 600 \"Szukaj\\x0a\"\n",
              host::actionTreeText(actions));
}
