#!/usr/bin/env bash
# Builds the DLL again from the same sources, in another folder and at
# another time, and compares it with the one under test: a user who builds a
# released commit must get the released file, byte for byte.
set -euo pipefail
source_dir="$1"
built="$2"
again="$(mktemp -d /tmp/lunetka-again.XXXXXX)"
trap 'rm -rf "$again"' EXIT
cmake -S "$source_dir" -B "$again" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DLUNETKA_DLL_ONLY=ON -DLUNETKA_TEST_DLLS=OFF >/dev/null
cmake --build "$again" -j"$(nproc)" --target lunetka >/dev/null
first="$(sha256sum <"$built" | cut -d' ' -f1)"
second="$(sha256sum <"$again/bin/lunetka.dll" | cut -d' ' -f1)"
echo "under test:  $first"
echo "built again: $second"
if [ "$first" != "$second" ]; then
    echo "FAIL: two builds of the same sources differ"
    cmp -l "$built" "$again/bin/lunetka.dll" | head -10 || true
    exit 1
fi
echo "1 passed, 0 failed"
