#!/usr/bin/env bash
# Builds Lunetka and prints the benchmark table: search walk, list fill and
# sort against their floors, for 1,000, 10,000 and 100,000 contacts.
# Arguments go to lunetka-bench, e.g. --sizes 1000,10000 --reps 3; --thunks
# prints only what the thunks cost a page message and a load.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build.sh >/dev/null
# Every window call is a round trip to the wineserver. Where the server sleeps
# on one processor and the program runs on another, each trip waits for the
# other processor to wake, and that wait changes as the run goes: the same
# 14-row fill took 1.1 ms or 6 ms, for our list and the bare one by turns.
# The server and the program share one processor (LUNETKA_BENCH_CPU, "any"
# for no choice), so a ratio measures the work, not the wake-ups.
cpu="${LUNETKA_BENCH_CPU:-0}"
pin=()
if [ "$cpu" != "any" ]; then
    pin=(taskset -c "$cpu")
    # A server the last run stopped may linger a moment as a zombie: not counted.
    if ps -eo stat=,comm= | awk '$1 !~ /^Z/ && $2 ~ /^wineserver/ { found = 1 } END { exit !found }'; then
        echo "bench: a wineserver already runs: if it serves this prefix, this run uses it off processor $cpu;" \
            "either way another program's work adds noise" >&2
    fi
fi
"${pin[@]}" bash scripts/wineserver-session.sh scripts/wine-run.sh build/bin/lunetka-bench.exe --dll build/bin/lunetka.dll "$@"
