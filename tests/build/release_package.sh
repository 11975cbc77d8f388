#!/usr/bin/env bash
# The release package: made twice, it is one file; it holds the DLL under
# test (stripped, with its symbols beside it), both install notes and sums
# that match; its name carries the version
# of CMakeLists.txt, and the README names that package.
set -euo pipefail
# The listing below is compared in the C locale's order, whatever the caller's.
export LC_ALL=C
source_dir="$1"
built="$2"
work="$(mktemp -d /tmp/lunetka-release.XXXXXX)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

build_dir="$(dirname "$(dirname "$built")")"
bash "$source_dir/scripts/release.sh" --no-build --build "$build_dir" --out "$work/first" >/dev/null
sleep 2
bash "$source_dir/scripts/release.sh" --no-build --build "$build_dir" --out "$work/second" >/dev/null
version="$(sed -n 's/^project(Lunetka VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")"
name="lunetka-$version-win32.zip"
[ -f "$work/first/$name" ] || fail "no $name"
cmp -s "$work/first/$name" "$work/second/$name" || fail "two packages of the same build differ"

python3 -c "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])" "$work/first/$name" "$work/x"
[ "$(ls "$work/x" | tr '\n' ' ')" = "INSTALL-en.txt INSTALL-pl.txt SHA256SUMS lunetka.dll lunetka.dll.debug " ] || fail "contents: $(ls "$work/x")"
cmp -s "$built" "$work/x/lunetka.dll" || fail "the packaged DLL is not the one built"
! i686-w64-mingw32-objdump -h "$work/x/lunetka.dll" | grep -q '\.debug_' || fail "the packaged DLL carries debug sections"
i686-w64-mingw32-objdump -h "$work/x/lunetka.dll.debug" | grep -q '\.debug_info' || fail "the symbols file has no debug info"
i686-w64-mingw32-objdump -s -j .gnu_debuglink "$work/x/lunetka.dll" | grep -q 'lunetka.dll.debu' \
    || fail "the DLL does not name its symbols file"
(cd "$work/x" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
grep -q "Lunetka $version" "$work/x/INSTALL-pl.txt" || fail "the Polish note lacks the version"
grep -q "$name" "$source_dir/README.md" || fail "the README does not name $name"
echo "1 passed, 0 failed"
