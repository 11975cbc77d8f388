#include "search/contact_matcher.h"

#include "plugin/host_calls.h"
#include "search/text_match.h"

namespace {

// The table stays locked for one walk and is released once on every way out.
class ContactTableLock {
public:
    ContactTableLock() { hostControl->lockTable(CONTACT_TABLE, -1, 0); }
    ~ContactTableLock() { hostControl->unlockTable(CONTACT_TABLE, -1, 0); }
    ContactTableLock(const ContactTableLock&) = delete;
    ContactTableLock& operator=(const ContactTableLock&) = delete;
};

}  // namespace

int findContact(int column, std::string& value, int condition, int firstRow)
{
    logLine("searching : %d %s %d %d", column, value.c_str(), condition, firstRow);
    foldCase(value);

    ContactTableLock lock;
    // Our own copy of each cell: the host's pointer is dead after its next
    // call. One buffer for every walk, so a search allocates once, not per hit.
    static std::string cell;
    // The table may change under us between rows, so its size is asked every time.
    for (int row = firstRow; row < static_cast<int>(hostSend(HM_CONTACT_COUNT, 0, 0)); ++row) {
        const char* text = readContactText(row, column, nullptr, 0);
        cell.assign(text ? text : "");  // a cell without text is searched as empty
        foldCase(cell);
        if (matchesCondition(cell.data(), cell.size(), value, condition)) {
            logLine("returning %s", cell.c_str());
            return row;
        }
    }
    logLine("not found : %d %s %d %d", column, value.c_str(), condition, firstRow);
    return 0;
}
