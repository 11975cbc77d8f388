#!/usr/bin/env bash
# The hostile campaign and the allocation-failure runs (which the plain
# hostile run leaves out), and an unload behind the host's page procedure
# once more, under Wine's heap checking: a double or invalid free, or a freed
# block used again, is reported as a heap warning, and any warning fails the
# test, as does a program that did not reach its closing line (end): under
# Wine one that dies may exit 0.
set -uo pipefail
bin="$1"
end="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
errors="$(mktemp)"
output="$(mktemp)"
trap 'rm -f "$errors" "$output"' EXIT
WINEDEBUG=warn+heap \
    "$here/../../scripts/wine-run.sh" "$bin/hostile_tests.exe" \
    --gtest_filter='HostileHost.RandomSequences*:AllocationFailure.*' 2>"$errors" | tee "$output"
status=$?
# A copy unloaded with and without a stop behind the host's own page
# procedure, and loaded again, and one stopped from inside its fill's row
# insert: nothing of ours is read once freed (a freed block is filled).
WINEDEBUG=warn+heap "$here/../../scripts/wine-run.sh" "$bin/plugin_tests.exe" \
    --gtest_filter='Unload.BehindTheHostsProcedure:Unload.StopFromInsideTheFillsRowInsert' 2>>"$errors" | tee -a "$output" || status=$?
ended=$(tr -d '\r' <"$output" | grep -cxF "$end")
warnings=$(grep -c ':heap:' "$errors")
grep ':heap:' "$errors" | head -20
echo "heap-checked campaign: $warnings heap warnings"
[ "$status" -eq 0 ] || { echo "FAIL: the campaign itself failed (exit $status)"; exit 1; }
[ "$ended" -eq 2 ] || { echo "FAIL: $((2 - ended)) of the 2 programs did not reach their end"; exit 1; }
[ "$warnings" -eq 0 ] || exit 1
echo "1 passed, 0 failed"
