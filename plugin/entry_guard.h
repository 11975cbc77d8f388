// We run inside the messenger's process: an exception that reached the host
// would end it, with the user's conversations. Every entry from the host (the
// export, our window procedures, the list view's sort callback) runs its work
// through guardEntry, which stops any exception at our edge.
#pragma once

#include <exception>

// Writes one log line "<where> failed: <why>" when the host can be reached.
// Never throws.
void reportFailure(const char* where, const char* why) noexcept;

// Runs work and returns its result; on any exception, reports it and
// returns onFailure instead.
template <typename Result, typename Work>
Result guardEntry(const char* where, Result onFailure, Work work) noexcept
{
    try {
        return work();
    } catch (const std::exception& failure) {  // GCOVR_EXCL_BR_LINE: its other side is the catch-all below
        reportFailure(where, failure.what());
    } catch (...) {                                  // GCOVR_EXCL_LINE: our code throws only std exceptions;
        reportFailure(where, "unknown exception");  // GCOVR_EXCL_LINE: kept for a library that throws others
    }
    return onFailure;
}
