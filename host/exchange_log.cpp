#include "host/exchange_log.h"

#include <windows.h>

namespace host {

const char* opName(Op op)
{
    switch (op) {
    case Op::Entry: return "IMessageProc";
    case Op::GetPluginId: return "getPluginId";
    case Op::GetAppInstance: return "getAppInstance";
    case Op::GetPluginInstance: return "getPluginInstance";
    case Op::QueryState: return "queryState";
    case Op::SetStatus: return "setStatus";
    case Op::Send: return "sendMessage";
    case Op::SendTo: return "sendMessageTo";
    case Op::ReadCell: return "readCell";
    case Op::LockTable: return "lockTable";
    case Op::UnlockTable: return "unlockTable";
    case Op::Reserved: return "reserved";
    }
    return "?";
}

size_t ExchangeLog::keep(const Exchange& exchange, const RecordingOptions& recording)
{
    if (!recording.exchanges || (exchange.op == Op::ReadCell && !recording.cellReads))
        return SIZE_MAX;
    exchanges_.push_back(exchange);
    return exchanges_.size() - 1;
}

void ExchangeLog::setReply(size_t index, intptr_t reply)
{
    if (index < exchanges_.size())
        exchanges_[index].reply = reply;
}

std::vector<const Exchange*> ExchangeLog::find(Op op, int message) const
{
    std::vector<const Exchange*> found;
    for (const Exchange& exchange : exchanges_) {
        if (exchange.op == op && (message == 0 || exchange.message == message))
            found.push_back(&exchange);
    }
    return found;
}

void ExchangeLog::addLine(const std::string& line, const RecordingOptions& recording)
{
    if (recording.logText) {
        lineText_ += line;
        lineEnds_.push_back(lineText_.size());
    }
    ++lineCount_;
    const std::string& prefix = recording.timeLogPrefix;
    if (!prefix.empty() && line.compare(0, prefix.size(), prefix) == 0) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        lineTimes_.push_back({lineCount_ - 1, now.QuadPart});
    }
}

std::vector<std::string> ExchangeLog::lines() const
{
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end : lineEnds_) {
        lines.push_back(lineText_.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

void ExchangeLog::clearLines()
{
    std::string().swap(lineText_);
    std::vector<size_t>().swap(lineEnds_);
    lineCount_ = 0;
    std::vector<std::pair<size_t, int64_t>>().swap(lineTimes_);
}

}  // namespace host
