#!/usr/bin/env bash
# The built DLL: PE32 for i386, exactly one export _IMessageProc@4, and no
# runtime DLL that a messenger's folder would not have.
set -euo pipefail
dll="$1"
dump="$(i686-w64-mingw32-objdump -p "$dll")"
fail() { echo "FAIL: $*"; exit 1; }
grep -q 'file format pei-i386' <<<"$dump" || fail "not a PE32 i386 image"
exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -E '^\s*\[ *[0-9]+\]' || true)"
[ "$(wc -l <<<"$exports")" -eq 1 ] || fail "expected one export, got: $exports"
grep -q '\] _IMessageProc@4$' <<<"$exports" || fail "the export is not _IMessageProc@4: $exports"
imports="$(grep 'DLL Name' <<<"$dump" | awk '{print tolower($3)}')"
for dll_name in $imports; do
    case "$dll_name" in
        kernel32.dll|user32.dll|comctl32.dll|gdi32.dll|msvcrt.dll) ;;
        *) fail "depends on $dll_name" ;;
    esac
done
echo "1 passed, 0 failed"
