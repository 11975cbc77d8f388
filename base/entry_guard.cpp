#include "base/entry_guard.h"

#include <new>

#include "base/host_calls.h"

const char* currentFailure() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (...) {
        return "unknown exception";
    }
}

// logLine formats into a buffer of its own and throws nothing.
void reportFailure(const char* where, const char* why) noexcept { logLine("%s failed: %s", where, why); }

#if defined(LUNETKA_CHECKED) && !defined(LUNETKA_COVERAGE)
#include <stdio.h>
#include <stdlib.h>

#include "base/invariant.h"

void invariantBroken(const char* rule, const char* file, int line) noexcept
{
    fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, rule);
    fflush(stderr);
    abort();
}
#endif
