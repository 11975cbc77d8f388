#!/usr/bin/env bash
# Builds everything and runs every test: the Windows build under Wine, with
# the Windows test pack beside it; what those tests reach of the DLL
# (coverage); the plug-in built a second time with clang, its invariants
# checked, put under the same Wine tests, with the native build of the
# Windows-free parts beside it (sanitizers and fuzzers,
# LUNETKA_FUZZ_SECONDS each, 5 by default).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# Each step says when it ends, in seconds from the start.
step() { echo "test.sh: $1 done at ${SECONDS} s"; }
# On a fresh machine the build starts once its own tools are installed, and
# Wine and the rest install beside it. The Wine prefixes (the main one, one
# more for each further processor, the one for programs that want a server
# to themselves, the test pack's) are made while the build runs.
bash scripts/build.sh --build-tools
bash scripts/build.sh --no-install &
build=$!
trap 'kill "$build" 2>/dev/null' EXIT
bash scripts/build.sh --install-only
prefixes=()
for prefix in .wineprefix $(seq -f '.wineprefix-cpu%g' 1 $(($(nproc) - 1))) .wineprefix-alone .wineprefix-pack; do
    LUNETKA_WINEPREFIX="$root/$prefix" bash scripts/wine-run.sh --prepare &
    prefixes+=($!)
done
for job in "${prefixes[@]}"; do wait "$job"; done
wait "$build"
step "the build"

# The coverage DLLs, the clang DLL and the native build of the Windows-free
# parts need nothing of the Wine runs: they build at low priority while the
# first Wine pass runs (whose programs wait on the wineserver much of their
# time), each into a log that is shown if it fails.
side="$(mktemp -d)"
pack=""
trap 'jobs -p | xargs -r kill 2>/dev/null; rm -rf "$side" ${pack:+"$pack"}' EXIT
( cmake -S . -B build-clang --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/clang-mingw-i686.cmake \
      -DCMAKE_BUILD_TYPE=Release -DLUNETKA_DLL_ONLY=ON -DLUNETKA_WERROR=ON >/dev/null &&
  nice -n 15 cmake --build build-clang -j1 --target lunetka ) >"$side/clang.log" 2>&1 &
clang_build=$!
# The native build is needed last, and runs its tests (sanitizers, fuzzers,
# each fuzzer for its seconds) side by side as soon as it is done.
( CXX=clang++ cmake -S tests/native -B build-native --no-warn-unused-cli \
      -DLUNETKA_FUZZ_SECONDS="${LUNETKA_FUZZ_SECONDS:-5}" >/dev/null &&
  nice -n 19 cmake --build build-native -j1 && ctest --test-dir build-native --output-on-failure -j3 "$@" ) \
    >"$side/native.log" 2>&1 &
native=$!
# The coverage DLLs are needed first, then the clang DLL, then the native
# build: each is a little less low than the next.
( nice -n 10 bash scripts/coverage.sh --build-only ) >"$side/coverage.log" 2>&1 &
coverage_build=$!
built() {
    wait "$1" || { cat "$side/$2.log"; echo "test.sh: the $2 build failed" >&2; exit 1; }
    step "the $2 build"
}

# The Windows test pack stands alone: unpacked into a fresh folder, its
# run-tests.cmd runs under Wine's cmd, here for one kind of host (the
# rebuilding one), and its closing line must count what CTest counts; then
# a program that dies must fail in both, though under Wine it exits 0. It
# runs one program at a time, mostly waiting on its wineserver: it runs
# beside the main pass, in a prefix and under a server of its own (its
# handle-reuse tests want a server no other program uses), both on the last
# processor (scripts/wine-run.sh says why). Its run is the
# rebuilding host's: the same programs against the same DLL, which the main
# pass then leaves out (the heap-checked campaign, which is no program of
# the pack's, stays in).
python3 scripts/make_test_pack.py build dist/lunetka-tests-win32.zip >/dev/null
pack="$(mktemp -d)"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' dist/lunetka-tests-win32.zip "$pack"
packed="$(grep '\.rebuilding$' "$pack/tests.txt")"
expected="$(grep -c . <<<"$packed")"
( export LUNETKA_WINEPREFIX="$root/.wineprefix-pack"
  last="$(bash scripts/nth-processor.sh $(($(nproc) - 1)))"
  closing="$(cd "$pack" && timeout 300 taskset -c "$last" bash "$root/scripts/wineserver-session.sh" \
      bash "$root/scripts/wine-run.sh" cmd /c run-tests.cmd rebuilding | tr -d '\r' | tail -n 1)"
  echo "test pack (rebuilding host): $closing, at ${SECONDS} s"
  [ "$closing" = "$expected passed, 0 failed" ] || { echo "test pack: expected $expected passed, 0 failed"; exit 1; }
  bash scripts/wineserver-session.sh bash tests/support/dying_programs_fail.sh "$root" "$pack" "$expected"
) >"$side/pack.log" 2>&1 &
pack_run=$!

bash scripts/wineserver-session.sh --own-server ctest --test-dir build --output-on-failure \
    -E "^($(sed 's/\./\\./g' <<<"$packed" | paste -sd'|'))\$" "$@"
step "the main Wine pass"
wait "$pack_run" || { cat "$side/pack.log"; echo "test.sh: the test pack or the planted deaths failed" >&2; exit 1; }
cat "$side/pack.log"
step "the test pack and the planted deaths"

# What those Wine tests reach of the plug-in through its DLLs, against the
# bars: every line, and 97% of branches.
built "$coverage_build" coverage
bash scripts/coverage.sh
step "coverage"

# The tests that load the DLL, in the narrow and the Unicode host (the
# handle-reuse tests in the narrow one), and the campaigns (hostile host,
# allocation failure, heap checking) in every kind of host, run once more, in
# one pass that serves two ends: against the DLL built by clang, its warnings
# as errors, with clang's own test builds (neither the ABI nor surviving an
# exception may depend on the compiler), in its build that checks its
# invariants and aborts at the line of a broken one.
built "$clang_build" clang
bash tests/plugin/check_dll.sh build-clang/bin/lunetka.dll
bash tests/plugin/check_dll.sh build-clang/bin/lunetka-failing-alloc.dll
python3 tests/ui/dll_texts.py build-clang/bin/lunetka.dll
wine_tests='^((plugin|host|host_keyboard|ui|search|views)\.(ansi|unicode)|(hostile|hostile_heap_checked)\..*|views_handle_reuse\.ansi|plugin_(process_exit|bounded_thunks|repeated_loads(_with_pages)?)|reentry_explorer\.ansi)$'
# The explorer tries every fifth point against that DLL.
LUNETKA_EXPLORE_STRIDE=5 LUNETKA_PLUGIN="Z:$(echo "$root/build-clang/bin/lunetka-checked.dll" | tr / '\\')" \
    bash scripts/wineserver-session.sh --own-server ctest --test-dir build --output-on-failure -R "$wine_tests" "$@"
step "the checked clang DLL's pass"
wait "$native" || { cat "$side/native.log"; echo "test.sh: the native build or its tests failed" >&2; exit 1; }
tail -n 3 "$side/native.log"
step "the native build and tests"
