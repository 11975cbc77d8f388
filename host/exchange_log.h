// What crossed between host and plug-in: every exchange, typed by the
// operation it was, and the log lines the plug-in sent. Tests compare what
// is here with tables of what must have crossed.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <utility>
#include <vector>

namespace host {

// Which crossing an exchange was: the host's call of the entry, or one of
// the control object's operations the plug-in called.
enum class Op {
    Entry,          // the host called IMessageProc
    GetPluginId,
    GetAppInstance,
    GetPluginInstance,
    QueryState,
    SetStatus,
    Send,           // sendMessage
    SendTo,         // sendMessageTo
    ReadCell,
    LockTable,
    UnlockTable,
    Reserved,
};
// Its name as transcripts print it ("sendMessage", "readCell", ...).
const char* opName(Op op);

// One crossing, in either direction.
struct Exchange {
    Op op = Op::Entry;
    int message = 0;               // the message number, where there is one
    std::vector<uint8_t> record;   // the message record's bytes as they were
    std::vector<uint8_t> payload;  // the bytes of the record p1 pointed to
    std::string text;              // a text the exchange carried, copied
    std::vector<intptr_t> args;    // an operation's plain arguments
    intptr_t reply = 0;
};

// How much the host keeps while it answers: all of it for tests and people,
// next to nothing for measurements. The ABI checks hold either way.
struct RecordingOptions {
    bool exchanges = true;   // off: nothing but the log lines is kept
    bool cellReads = true;   // off: cell reads are not kept (they are most exchanges)
    bool logText = true;     // off: log lines are counted (and timed), their text not kept
    // The arrival time (QueryPerformanceCounter) of every log line that
    // begins with this is kept; empty: none. Only those, so timing stays cheap.
    std::string timeLogPrefix;
};

class ExchangeLog {
public:
    // Keeps exchange unless recording is off; its index, or SIZE_MAX.
    size_t keep(const Exchange& exchange, const RecordingOptions& recording);
    void setReply(size_t index, intptr_t reply);
    const std::vector<Exchange>& all() const { return exchanges_; }
    std::vector<const Exchange*> find(Op op, int message = 0) const;
    void clear() { exchanges_.clear(); }

    // The log lines (Windows-1250) in one buffer: a line costs a copy, not an allocation.
    void addLine(const std::string& line, const RecordingOptions& recording);
    std::vector<std::string> lines() const;
    size_t lineCount() const { return lineCount_; }
    // Pairs of (line number, time) of the lines RecordingOptions::timeLogPrefix picks.
    const std::vector<std::pair<size_t, int64_t>>& lineTimes() const { return lineTimes_; }
    void clearLines();  // and give their memory back

private:
    std::vector<Exchange> exchanges_;
    std::string lineText_;
    std::vector<size_t> lineEnds_;
    size_t lineCount_ = 0;
    std::vector<std::pair<size_t, int64_t>> lineTimes_;
};

}  // namespace host
