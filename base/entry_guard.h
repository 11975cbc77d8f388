// We run inside the messenger's process: an exception that reached the host
// would end it, with the user's conversations. Every entry from the host (the
// export, our window procedures, the list view's sort callback) runs its work
// through guardEntry, which stops any exception at our edge.
#pragma once

// What the exception being handled is, in a log line's words: "out of
// memory", or "unknown exception" for anything else (our code throws only
// for memory; a library linked in might throw anything). Call only from
// inside a catch.
const char* currentFailure() noexcept;

// Writes one log line "<where> failed: <why>" when the host can be reached.
void reportFailure(const char* where, const char* why) noexcept;

// Runs work and returns its result; on any exception, reports it and
// returns onFailure instead.
template <typename Result, typename Work>
Result guardEntry(const char* where, Result onFailure, Work work) noexcept
{
    try {
        return work();
    } catch (...) {
        reportFailure(where, currentFailure());
    }
    return onFailure;
}
