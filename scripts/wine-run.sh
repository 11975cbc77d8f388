#!/usr/bin/env bash
# Runs a Windows program under Wine the way our tests and tools expect:
# a project-local prefix, no display needed (null graphics driver), no noise,
# and a Polish locale so the ANSI code page is 1250, as on a Polish Windows.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${LUNETKA_WINEPREFIX:-$here/../.wineprefix}"
# A program that needs a wineserver to itself (the handle table, the focus)
# runs in a prefix of its own beside this one: every prefix has its server.
if [ -n "${LUNETKA_OWN_SERVER:-}" ]; then WINEPREFIX="$WINEPREFIX-alone"; fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${LUNETKA_LOCALE:-pl_PL.UTF-8}"
export WINEARCH=win32 2>/dev/null || true

# The marker names the prefix's settings: a prefix set up before one was
# added is set up again.
ready="$WINEPREFIX/.lunetka-ready-2"
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
exec wine "$@"
