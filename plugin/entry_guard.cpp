#include "plugin/entry_guard.h"

#include "plugin/host_calls.h"

void reportFailure(const char* where, const char* why) noexcept
{
    try {
        logLine("%s failed: %s", where, why);
    } catch (...) {  // GCOVR_EXCL_LINE: logLine formats into its own buffer and throws nothing today
        // Nothing more we can tell anyone; the host must not see it.
    }
}

// GCOVR_EXCL_START: reached only when a rule is broken, which no host can do; a
// test that breaks the code on purpose shows it stops at the rule's line.
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
// GCOVR_EXCL_STOP
