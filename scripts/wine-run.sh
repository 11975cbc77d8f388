#!/usr/bin/env bash
# Runs a Windows program under Wine the way our tests and tools expect:
# a project-local prefix, no display needed (null graphics driver), no noise,
# and a Polish locale so the ANSI code page is 1250, as on a Polish Windows.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${LUNETKA_WINEPREFIX:-$here/../.wineprefix}"
# The marker names the prefix's settings: a prefix set up before one was
# added is set up again.
marker=".lunetka-ready-2"
# A program that needs a wineserver to itself (the handle table, the focus)
# runs in a prefix of its own beside this one: every prefix has its server.
# Under CTest, every program is given a processor (tests/CMakeLists.txt): it
# runs there, in the prefix whose server runs there too
# (scripts/wineserver-session.sh), one per processor and the one of its
# own. A program and its server on two processors wake each other across
# them at every call: a pass takes a seventh more processor time so. A prefix
# not made yet is not made here, where programs start side by side: such a
# run stays where it was.
if [ -n "${LUNETKA_OWN_SERVER:-}" ]; then WINEPREFIX="$WINEPREFIX-alone"; fi
pin=()
if [[ "${CTEST_RESOURCE_GROUP_0_CPU:-}${CTEST_RESOURCE_GROUP_0_ALONE:-}" =~ ^id:([0-9]+), ]]; then
    cpu="${BASH_REMATCH[1]}"
    own="$WINEPREFIX"
    [ -n "${LUNETKA_OWN_SERVER:-}" ] || [ "$cpu" = 0 ] || own="$WINEPREFIX-cpu$cpu"
    id="$("$here/nth-processor.sh" "$cpu")"
    if [ -n "$id" ] && [ -f "$own/$marker" ]; then
        WINEPREFIX="$own"
        pin=(taskset -c "$id")
    fi
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${LUNETKA_LOCALE:-pl_PL.UTF-8}"
export WINEARCH=win32 2>/dev/null || true

ready="$WINEPREFIX/$marker"
if [ ! -f "$ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    graphics="${LUNETKA_GRAPHICS:-null}"
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f >/dev/null 2>&1
    # A program that crashes gets its backtrace printed and ends, instead of
    # waiting on a crash dialog no one can see until a test times out.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$ready"
fi

if [ "${1:-}" = "--prepare" ]; then exit 0; fi
exec "${pin[@]}" wine "$@"
