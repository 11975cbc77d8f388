// The matcher's walk over the host's table against an independent reference.
#include <gtest/gtest.h>

#include "base/host_calls.h"
#include "base/plugin_state.h"
#include "search/contact_matcher.h"
#include "tests/support/match_reference.h"
#include "tests/support/plugin_session.h"

using namespace reference;

TEST(MatcherProperty, WalksAgreeWithTheReference)
{
    host::StandInHost host;
    host.recording().cellReads = false;
    session.hostControl = static_cast<HostControl*>(host.controlObject());
    Bytes bytes(7);
    for (int round = 0; round < 300; ++round) {
        host::ContactTable table;
        std::vector<std::string> cells;
        size_t rows = bytes.pick(0, 12);
        for (size_t row = 0; row < rows; ++row) {
            cells.push_back(bytes.text(6));
            table.addRow({{8, cells.back()}});
        }
        host.setContacts(table);
        std::string value = bytes.text(2);
        int condition = static_cast<int>(bytes.pick(0, 7)) - 1;
        int firstRow = static_cast<int>(bytes.pick(0, rows + 1));

        int expected = 0;  // a match at row 0 also reads as 0, and ends the walk
        bool found = false;
        for (size_t row = static_cast<size_t>(firstRow); row < rows && !found; ++row) {
            found = referenceMatch(referenceFold(cells[row]), referenceFold(value), condition);
            expected = found ? static_cast<int>(row) : 0;
        }
        std::string passed = value;
        ASSERT_EQ(expected, findContact(8, passed, condition, firstRow))
            << "round " << round << ", condition " << condition << ", from " << firstRow;
        ASSERT_EQ(referenceFold(value), passed);
        ASSERT_EQ(0, host.lockDepth());
        host.clearLog();
        host.clearExchanges();
    }
    session.hostControl = nullptr;
}
