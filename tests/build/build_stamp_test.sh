#!/usr/bin/env bash
# Outside a git checkout and without SOURCE_DATE_EPOCH (a tree unpacked from
# an archive), the build date is the newest source file's: two configures of
# the same tree give the same date, and a changed file gives its own.
set -euo pipefail
source_dir="$1"
tree="$(mktemp -d /tmp/lunetka-stamp.XXXXXX)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/base" "$tree/cmake" "$tree/views"
cp "$source_dir/cmake/build_stamp.cmake" "$tree/cmake/"
touch -d '2005-06-08 21:41:48 UTC' "$tree/base/a.cpp" "$tree/cmake/build_stamp.cmake"
touch -d '2004-01-01 00:00:00 UTC' "$tree/views/b.cpp"
printf 'include(cmake/build_stamp.cmake)\nmessage("stamp: ${LUNETKA_BUILD_DATE} ${LUNETKA_BUILD_TIME}")\n' \
    >"$tree/stamp.cmake"
touch -d '2000-01-01 00:00:00 UTC' "$tree/stamp.cmake"  # not a source of the DLL, but old anyway
stamp() { (cd "$tree" && env -u SOURCE_DATE_EPOCH cmake -P stamp.cmake 2>&1 | sed -n 's/^stamp: //p'); }
failed=0
expect() {
    local got
    got="$(stamp)"
    if [ "$got" != "$2" ]; then
        echo "FAIL: $1: the stamp is '$got', wanted '$2'"
        failed=1
    fi
}
expect "the newest source file's time" "Jun  8 2005 21:41:48"
sleep 1
expect "the same tree, configured again" "Jun  8 2005 21:41:48"
touch -d '2010-11-12 13:14:15 UTC' "$tree/views/b.cpp"
expect "a file changed since" "Nov 12 2010 13:14:15"
[ "$failed" = 0 ] && echo "3 passed, 0 failed"
exit "$failed"
