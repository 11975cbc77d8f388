#!/usr/bin/env bash
# The built DLL: PE32 for i386, exactly one export _IMessageProc@4, no
# runtime DLL that a messenger's folder would not have, a header that claims
# Windows XP, and no import beyond those XP has (xp_imports.txt).
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
grep -q 'MajorSubsystemVersion.*5$' <<<"$dump" && grep -q 'MinorSubsystemVersion.*1$' <<<"$dump" \
    && grep -q 'MajorOSystemVersion.*5$' <<<"$dump" && grep -q 'MinorOSystemVersion.*1$' <<<"$dump" \
    || fail "the header does not claim Windows XP (5.1)"
allowed="$(dirname "${BASH_SOURCE[0]}")/xp_imports.txt"
unexpected="$(awk '/DLL Name:/ {dll=tolower($3); next} /^\t[0-9a-f]+\t/ && dll {print dll, $NF} /^$/ {dll=""}' <<<"$dump" \
    | sort -u | comm -23 - <(grep -v '^#' "$allowed" | sort -u))"
[ -z "$unexpected" ] || fail "imports what Windows XP may lack or what is not checked: $unexpected"
echo "1 passed, 0 failed"
