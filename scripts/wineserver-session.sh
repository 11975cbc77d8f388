#!/usr/bin/env bash
# Keeps one wineserver alive for the prefix while a command runs: each Wine
# process then starts in a fraction of a second. The server's output goes to
# /dev/null, so it never holds a pipe of the command open.
#   wineserver-session.sh [--own-server] COMMAND...
# --own-server serves the prefix of the programs that need a wineserver to
# themselves (LUNETKA_OWN_SERVER, scripts/wine-run.sh) too, so that they run
# beside the others instead of after them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${LUNETKA_WINEPREFIX:-$here/../.wineprefix}"
holder="$here/../build/bin/desktop_holder.exe"
own_server=false
if [ "${1:-}" = "--own-server" ]; then
    shift
    own_server=true
fi
# Each prefix, and the processor its server runs on under CTest, which
# gives each program a processor (tests/CMakeLists.txt): scripts/wine-run.sh
# runs it there, in that processor's prefix, or in the prefix of its own,
# whose server runs on the last processor. Elsewhere no server is pinned.
under_ctest=false
[ "$(basename "${1:-}")" != ctest ] || under_ctest=true
last=$(($(nproc) - 1))
prefixes=("$WINEPREFIX")
cpus=(0)
if $own_server; then
    prefixes+=("$WINEPREFIX-alone")
    cpus+=("$last")
fi
if $under_ctest; then
    for ((cpu = 1; cpu <= last; cpu++)); do
        prefixes+=("$WINEPREFIX-cpu$cpu")
        cpus+=("$cpu")
    done
fi
preparing=()
for prefix in "${prefixes[@]}"; do
    LUNETKA_WINEPREFIX="$prefix" "$here/wine-run.sh" --prepare &
    preparing+=($!)
done
for job in "${preparing[@]}"; do wait "$job"; done
stopServers() {
    for prefix in "${prefixes[@]}"; do WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; done
}
trap stopServers EXIT
for i in "${!prefixes[@]}"; do
    prefix="${prefixes[$i]}"
    id=""
    ! $under_ctest || id="$("$here/nth-processor.sh" "${cpus[$i]}")"
    pin=()
    [ -z "$id" ] || pin=(taskset -c "$id")
    WINEPREFIX="$prefix" "${pin[@]}" wineserver -p >/dev/null 2>&1 </dev/null
    # Wine's background services start with the first program and keep its
    # output open: let them start here, attached to /dev/null.
    LUNETKA_WINEPREFIX="$prefix" "${pin[@]}" "$here/wine-run.sh" wineboot >/dev/null 2>&1 </dev/null
    # The desktop's process starts with the first program on it, holding
    # that program's output: the holder is that program (once tests are built).
    if [ -f "$holder" ]; then
        said="$(mktemp)"
        LUNETKA_WINEPREFIX="$prefix" "${pin[@]}" "$here/wine-run.sh" "$holder" >"$said" 2>/dev/null </dev/null &
        for _ in $(seq 100); do [ -s "$said" ] && break; sleep 0.1; done
        rm -f "$said"
    fi
done
# A Wine program spends much of its time waiting on the server: CTest runs
# twice as many side by side as there are processors, unless told otherwise.
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-$((2 * $(nproc)))}"
"$@"
