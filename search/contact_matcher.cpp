#include "search/contact_matcher.h"

#include "base/host_abi.h"
#include "base/host_calls.h"
#include "base/host_requests.h"
#include "base/invariant.h"
#include "base/plugin_state.h"
#include "search/text_match.h"

namespace {

// The table stays locked for one walk and is released once on every way out,
// an exception included. The release goes to the object that took the lock,
// even if the host stopped us in between.
class ContactTableLock {
public:
    explicit ContactTableLock(HostControl* host) : host_(host)
    {
        LUNETKA_INVARIANT(!search.walking);  // no walk inside a walk
        search.walking = true;
        if (host_)
            host_->lockTable(CONTACT_TABLE, -1, 0);
    }
    ~ContactTableLock()
    {
        LUNETKA_INVARIANT(search.walking);
        if (host_)
            host_->unlockTable(CONTACT_TABLE, -1, 0);
        search.walking = false;
    }
    ContactTableLock(const ContactTableLock&) = delete;
    ContactTableLock& operator=(const ContactTableLock&) = delete;

private:
    HostControl* host_;
};

// Our own copy of each cell: the host's pointer is dead after its next call.
// One buffer for every walk (search.cell), so a search allocates once, not
// per hit; a buffer grown by a giant cell is given back rather than kept.
class CellBuffer {
public:
    ~CellBuffer()
    {
        if (text.capacity() > KEEP_CAPACITY)
            std::string().swap(text);
    }
    std::string& text = search.cell;

private:
    static const size_t KEEP_CAPACITY = 64 * 1024;
};

}  // namespace

int findContact(int column, std::string& value, int condition, int firstRow)
{
    logLine("searching : %d %s %d %d", column, value.c_str(), condition, firstRow);
    foldCase(value);

    ContactTableLock lock(session.hostControl);
    CellBuffer cell;
    // The table may change under us between rows, so its size is asked every time.
    for (int row = firstRow; row < static_cast<int>(hostSend(HM_CONTACT_COUNT, 0, 0)); ++row) {
        const char* text = readContactText(row, column);
        cell.text.assign(text ? text : "");  // a cell without text is searched as empty
        foldCase(cell.text);
        if (matchesCondition(cell.text.data(), cell.text.size(), value, condition)) {
            logLine("returning %s", cell.text.c_str());
            return row;
        }
    }
    logLine("not found : %d %s %d %d", column, value.c_str(), condition, firstRow);
    return 0;
}
