#!/usr/bin/env bash
# What the Wine tests reach of the plug-in through its DLLs, not through the
# test programs that link its sources: builds lunetka.dll and its test
# builds with coverage in build-coverage/ (the DLL's own toolchain), runs
# the Wine test programs of build/ against them in the narrow host (every
# other kind reached no line or branch more when this was measured; one that
# does shows here as missed, and its kind then belongs in the list), without
# the thousands of repeated loads (the bound on thunks reaches all they
# reach), and prints per file the lines, the branches (those of exception
# edges left out) and a summary with functions. --build-only builds those
# DLLs and stops (the test command does so beside another pass). Fails below
# the bars: every line, and 97% of branches. A branch no host can reach is
# written NEVER(...) or ALWAYS(...) (base/invariant.h): the test builds stop
# there if it is ever taken, and the coverage builds (LUNETKA_COVERAGE)
# compile it away, as they do an invariant's check.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
LINE_BAR=100
BRANCH_BAR=97

command -v gcovr >/dev/null || { echo "coverage: gcovr is missing (apt-get install gcovr)" >&2; exit 1; }
cov="$root/build-coverage"
cmake -S . -B "$cov/dll" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Debug -DLUNETKA_DLL_ONLY=ON -DCMAKE_CXX_FLAGS="--coverage -O0 -DLUNETKA_COVERAGE" \
    -DCMAKE_SHARED_LINKER_FLAGS="--coverage" -DLUNETKA_OUTPUT_DIR="$cov/bin" >/dev/null
cmake --build "$cov/dll" -j"$(nproc)" --target lunetka >/dev/null
[ "${1:-}" = "--build-only" ] && exit 0
bash scripts/build.sh >/dev/null
find "$cov" -name '*.gcda' -delete

# The counters are written where the objects were built, from inside Wine.
LUNETKA_PLUGIN="Z:$(echo "$cov/bin/lunetka.dll" | tr / '\\')" \
    bash scripts/wineserver-session.sh --own-server ctest --test-dir build -R '^((plugin|host|host_keyboard|ui|search|views|hostile|hostile_heap_checked|views_handle_reuse)\.ansi|plugin_process_exit|plugin_bounded_thunks)$' \
    >/dev/null

# One report per build of the sources, the DLLs' entry points with them;
# scripts/coverage_merge.py merges them (gcovr's own merge counts a build's
# unrun exception edges as branches).
objects="$cov/dll/CMakeFiles"
reports=()
for build in "lunetka_core lunetka" "lunetka_core_checked lunetka_checked lunetka_failing_alloc"; do
    dirs=()
    for target in $build; do dirs+=("$objects/$target.dir"); done
    name="${build%% *}"
    gcovr --root . --gcov-executable i686-w64-mingw32-gcov-win32 --filter 'base/|plugin/|ui/|search/|views/' \
        --exclude-throw-branches "${dirs[@]}" --json "$cov/$name.json"
    reports+=("$cov/$name.json")
done
python3 scripts/coverage_merge.py "$LINE_BAR" "$BRANCH_BAR" "${reports[@]}"
