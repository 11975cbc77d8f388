#include "search/contact_matcher.h"

#include "plugin/host_calls.h"
#include "plugin/invariant.h"
#include "plugin/persistent.h"
#include "search/text_match.h"

namespace {

bool lockHeld = false;

// The table stays locked for one walk and is released once on every way out,
// an exception included. The release goes to the object that took the lock,
// even if the host stopped us in between.
class ContactTableLock {
public:
    explicit ContactTableLock(HostControl* host) : host_(host)
    {
        LUNETKA_INVARIANT(!lockHeld);  // no walk inside a walk
        lockHeld = true;
        if (host_)
            host_->lockTable(CONTACT_TABLE, -1, 0);
    }
    ~ContactTableLock()
    {
        LUNETKA_INVARIANT(lockHeld);
        if (host_)
            host_->unlockTable(CONTACT_TABLE, -1, 0);
        lockHeld = false;
    }
    ContactTableLock(const ContactTableLock&) = delete;
    ContactTableLock& operator=(const ContactTableLock&) = delete;

private:
    HostControl* host_;
};

// Our own copy of each cell: the host's pointer is dead after its next call.
// One buffer for every walk, so a search allocates once, not per hit; a
// buffer grown by a giant cell is given back rather than kept for good.
// Shared safely only because walks never nest (lockHeld says so).
Persistent<std::string> cellStore;
std::string& sharedCell = *cellStore;

class CellBuffer {
public:
    ~CellBuffer()
    {
        if (text.capacity() > KEEP_CAPACITY)
            std::string().swap(text);
    }
    std::string& text = sharedCell;

private:
    static const size_t KEEP_CAPACITY = 64 * 1024;
};

}  // namespace

int findContact(int column, std::string& value, int condition, int firstRow)
{
    logLine("searching : %d %s %d %d", column, value.c_str(), condition, firstRow);
    foldCase(value);

    ContactTableLock lock(hostControl);
    CellBuffer cell;
    // The table may change under us between rows, so its size is asked every time.
    for (int row = firstRow; row < static_cast<int>(hostSend(HM_CONTACT_COUNT, 0, 0)); ++row) {
        const char* text = readContactText(row, column, nullptr, 0);
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

bool walkRunning() { return lockHeld; }

void releaseCellBuffer(Release)
{
    // A stop from inside a walk's call to the host: the walk still holds the
    // buffer, and gives back a large one itself when it ends.
    if (!lockHeld)
        std::string().swap(sharedCell);
}
