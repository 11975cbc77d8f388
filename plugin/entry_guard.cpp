#include "plugin/entry_guard.h"

#include "plugin/host_calls.h"

void reportFailure(const char* where, const char* why) noexcept
{
    try {
        logLine("%s failed: %s", where, why);
    } catch (...) {
        // Nothing more we can tell anyone; the host must not see it.
    }
}

#if defined(LUNETKA_CHECKED)
#include <stdio.h>
#include <stdlib.h>

#include "plugin/invariant.h"

void invariantBroken(const char* rule, const char* file, int line) noexcept
{
    fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, rule);
    fflush(stderr);
    abort();
}
#endif
