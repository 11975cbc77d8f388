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
