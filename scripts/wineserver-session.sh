#!/usr/bin/env bash
# Keeps one wineserver alive for the prefix while a command runs: each Wine
# process then starts in a fraction of a second. The server's output goes to
# /dev/null, so it never holds a pipe of the command open.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${LUNETKA_WINEPREFIX:-$here/../.wineprefix}"
"$here/wine-run.sh" --prepare
wineserver -p >/dev/null 2>&1 </dev/null
# Wine's background services start with the first program and keep its
# output open: let them start here, attached to /dev/null.
"$here/wine-run.sh" wineboot >/dev/null 2>&1 </dev/null
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# A Wine program spends much of its time waiting on the server: CTest runs
# twice as many side by side as there are processors, unless told otherwise.
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-$((2 * $(nproc)))}"
"$@"
