#!/usr/bin/env bash
# Builds everything and runs every test: the Windows build under Wine, then
# the native build of the Windows-free parts with sanitizers and fuzzers
# (LUNETKA_FUZZ_SECONDS each, 5 by default).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build.sh
bash scripts/wineserver-session.sh ctest --test-dir build --output-on-failure "$@"

CXX=clang++ cmake -S tests/native -B build-native --no-warn-unused-cli \
    -DLUNETKA_FUZZ_SECONDS="${LUNETKA_FUZZ_SECONDS:-5}" >/dev/null
cmake --build build-native -j"$(nproc)"
ctest --test-dir build-native --output-on-failure "$@"
