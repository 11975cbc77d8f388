// The matcher against an independent reference of the six conditions, on
// random byte strings (0x80-0xFF, empty and long texts included).
#include <gtest/gtest.h>

#include <random>

#include "plugin/host_calls.h"
#include "search/contact_matcher.h"
#include "search/text_match.h"
#include "tests/support/plugin_session.h"

namespace {

// The reference: plain index loops, folding A-Z only (the C locale).
std::string referenceFold(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

long referenceFirstOccurrence(const std::string& t, const std::string& v)
{
    for (size_t i = 0; i + v.size() <= t.size(); ++i) {
        size_t j = 0;
        while (j < v.size() && t[i + j] == v[j])
            ++j;
        if (j == v.size())
            return static_cast<long>(i);
    }
    return -1;
}

bool referenceMatch(const std::string& t, const std::string& v, int condition)
{
    long first = referenceFirstOccurrence(t, v);
    switch (condition) {
    case 0: return t == v;
    case 1: return first >= 0;
    case 2: return t != v;
    case 3: return first == 0;
    case 4: return v.size() <= t.size() && t.compare(t.size() - v.size(), v.size(), v) == 0;
    case 5: return !v.empty() && first < 0;
    default: return false;
    }
}

class Bytes {
public:
    explicit Bytes(unsigned seed) : random_(seed) {}
    // Small alphabets make matches likely; some texts draw from every byte but NUL.
    std::string text(size_t maxLength)
    {
        size_t length = pick(0, 4) == 0 ? 0 : pick(0, maxLength);
        const char alphabet[] = "aAbB\xA3\xB3\xFF\x80";
        bool wide = pick(0, 3) == 0;
        std::string result;
        for (size_t i = 0; i < length; ++i)
            result += wide ? static_cast<char>(pick(1, 255)) : alphabet[pick(0, sizeof alphabet - 2)];
        return result;
    }
    size_t pick(size_t low, size_t high) { return std::uniform_int_distribution<size_t>(low, high)(random_); }

private:
    std::mt19937 random_;
};

}  // namespace

TEST(MatcherProperty, ConditionsAgreeWithTheReference)
{
    Bytes bytes(20261207);
    int checked = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string cell = referenceFold(bytes.text(round % 100 == 0 ? 700 : 12));
        std::string value;
        size_t choice = bytes.pick(0, 3);
        if (choice == 0 && !cell.empty()) {  // a piece of the cell: a likely match
            size_t from = bytes.pick(0, cell.size() - 1);
            value = cell.substr(from, bytes.pick(0, cell.size() - from));
        } else {
            value = referenceFold(bytes.text(choice == 1 ? 3 : 8));
        }
        for (int condition = -1; condition <= 6; ++condition) {
            ASSERT_EQ(referenceMatch(cell, value, condition),
                      matchesCondition(cell.data(), cell.size(), value, condition))
                << "condition " << condition << ", cell '" << cell << "', value '" << value << "'";
            ++checked;
        }
    }
    EXPECT_EQ(160000, checked);
}

TEST(MatcherProperty, FoldingChangesOnlyAtoZUnderTheDefaultLocale)
{
    for (int byte = 1; byte < 256; ++byte) {
        std::string text(1, static_cast<char>(byte));
        foldCase(text);
        EXPECT_EQ(referenceFold(std::string(1, static_cast<char>(byte))), text) << byte;
    }
}

TEST(MatcherProperty, WalksAgreeWithTheReference)
{
    host::StandInHost host;
    host.setRecordCellReads(false);
    hostControl = static_cast<HostControl*>(host.controlObject());
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
    hostControl = nullptr;
}
