#!/usr/bin/env bash
# A test program that dies fails, whatever its exit status. With a death
# planted in every test program's main (LUNETKA_PLANT_DEATH,
# support/test_main.cpp): a stack overflow, and an exit with status 0
# halfway (as Wine 8 ends a program whose stack overflowed), CTest must fail
# the one program it runs here, and the Windows test pack every program of a
# kind. Run it under one wineserver (scripts/wineserver-session.sh) for speed.
#   dying_programs_fail.sh ROOT UNPACKED_PACK TESTS_OF_THE_KIND
set -uo pipefail
root="$1"
pack="$2"
count="$3"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

# A program whose filter chooses no test checked nothing: it fails too.
if GTEST_FILTER=NoSuchTest.* ctest --test-dir "$root/build" -R '^ui\.ansi$' --output-on-failure >"$log" 2>&1 ||
    ! grep -q 'no test matches the filter NoSuchTest' "$log"; then
    cat "$log"
    echo "a filter that chooses no test: CTest did not fail ui.ansi for it" >&2
    exit 1
fi
echo "a filter that chooses no test: CTest failed ui.ansi"

for death in overflow exit; do
    export LUNETKA_PLANT_DEATH="$death"
    if ctest --test-dir "$root/build" -R '^ui\.ansi$' --output-on-failure >"$log" 2>&1; then
        cat "$log"
        echo "planted $death: CTest passed a program that died" >&2
        exit 1
    fi
    # Failed, and for the planted reason: the program never ran a test.
    if grep -q 'RUN  ' "$log" || { [ "$death" = overflow ] && ! grep -q 'stack overflow' "$log"; }; then
        cat "$log"
        echo "planted $death: ui.ansi failed, but not of the planted death" >&2
        exit 1
    fi
    echo "planted $death: CTest failed ui.ansi"

    closing="$(cd "$pack" && timeout 300 bash "$root/scripts/wine-run.sh" cmd /c run-tests.cmd rebuilding \
        2>/dev/null | tr -d '\r' | tail -n 1)"
    echo "planted $death: the test pack (rebuilding host): $closing"
    [ "$closing" = "0 passed, $count failed" ] || { echo "planted $death: expected 0 passed, $count failed" >&2; exit 1; }
done
