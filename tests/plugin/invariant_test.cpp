// The test builds stop at the line of a rule that breaks. Rules no host can
// break, so they are broken here on purpose, in this program's own copy of
// the checked build: the process ends, naming the rule's file and line.
#include <gtest/gtest.h>

#include <string>

#include "host/host_layout.h"
#include "plugin/message_dispatch.h"
#include "base/plugin_state.h"
#include "search/contact_matcher.h"
#include "tests/support/plugin_session.h"
#include "ui/action_params.h"

TEST(InvariantDeathTest, ABrokenRuleStopsTheCheckedBuildAtItsLine)
{
    // The info box sets each key once, on a text built from empty.
    EXPECT_DEATH(setActionParam("\x1a" "iconsize=16", ACTION_PARAM_KEY("iconsize"), "32"),
                 "action_params\\.cpp:\\d+: invariant broken: text\\.find\\(key\\) == std::string::npos");

    // No walk inside a walk: the one cell buffer of all walks relies on it.
    EXPECT_DEATH(
        {
            host::StandInHost host;
            host.attachEntry(reinterpret_cast<void*>(IMessageProc), GetModuleHandleA(nullptr));
            host.setContacts(host::ContactTable::fromCsvText("uid,display\n0,Ja\n1,Ala\n", "test"));
            session.hostControl = static_cast<HostControl*>(host.controlObject());
            host.beforeAnswer = [](host::Op op, int) {
                std::string value = "x";
                if (op == host::Op::ReadCell)
                    findContact(8, value, 1, 1);
            };
            std::string value = "ala";
            findContact(8, value, 1, 1);
        },
        "contact_matcher\\.cpp:\\d+: invariant broken: !search\\.walking");
}
