#!/usr/bin/env bash
# lunetka-host on bad input: a clear one-line error and a non-zero exit.
set -uo pipefail
bin="$1"; root="$(cd "$(dirname "$0")/../.." && pwd)"
run() { "$root/scripts/wine-run.sh" "$bin/lunetka-host.exe" "$@"; }
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
passed=0; failed=0

expect_error() {  # expect_error EXIT-CODE MESSAGE-PART ARGS...
    local want="$1" part="$2"; shift 2
    local err code
    err="$(run "$@" 2>&1 >/dev/null)"; code=$?
    if [ "$code" -eq "$want" ] && [ "$(wc -l <<<"$err")" -eq 1 ] && grep -qF -- "$part" <<<"$err"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1)); echo "FAIL: lunetka-host $* -> exit $code, stderr: $err"
    fi
}

printf 'uid,net\n1,x\n' >"$work/bad.csv"
expect_error 2 "no plug-in given"
expect_error 2 "cannot load plug-in" "$work/missing.dll"
expect_error 2 "does not export _IMessageProc@4" 'C:\windows\system32\version.dll'
expect_error 2 "cannot read contact file" "$bin/lunetka.dll" --contacts "$work/none.csv"
expect_error 2 "bad.csv:2: network 'x' is not a number" "$bin/lunetka.dll" --contacts "$work/bad.csv"
expect_error 2 "unknown argument '--frobnicate'" "$bin/lunetka.dll" --frobnicate
expect_error 2 "--query-state needs a number" "$bin/lunetka.dll" --query-state x
expect_error 2 "no item 'kolor' in the list" "$bin/lunetka.dll" --search kolor zawiera x
printf 'uid,net,display\n1,1,Ala\n2,1,Ola\0Nowak\n' >"$work/zero-byte.csv"
expect_error 2 "zero-byte.csv:3: a NUL byte inside a field" "$bin/lunetka.dll" --contacts "$work/zero-byte.csv"
# Script numbers out of range, and rows or columns that do not exist, with the script line.
expect_error 2 "script line 1: wait takes 0 to 600000, not 99999999999" "$bin/lunetka.dll" --do "wait 99999999999"
expect_error 2 "script line 2: header takes 0 to 1, not 7" "$bin/lunetka.dll" --do "config; header 7"
expect_error 2 "script line 2: select: the result list has no rows" "$bin/lunetka.dll" --do "config; select 100000"
printf 'uid,net,display,city\n0,1,Ja,x\n1,1,Ala,Opole\n2,1,Ola,Opole\n' >"$work/two.csv"
expect_error 2 "script line 4: dblclick takes 0 to 1, not 99" "$bin/lunetka.dll" --contacts "$work/two.csv" \
    --do "config; choose field miejscowość; type opole; dblclick 99"
mkdir -p "$work/profile-folder"
expect_error 2 "is a folder" "$bin/lunetka.dll" --profile "$work/profile-folder"
expect_error 2 "cannot write settings file" "$bin/lunetka.dll" --profile "$work/no/such/folder/settings.txt"
[ ! -e "$work/profile-folder.new" ] || { failed=$((failed + 1)); echo "FAIL: a .new file was left beside the folder"; }

# --locale: the plug-in folds with the process's C locale, so Polish capitals fold only under a Polish one.
printf 'uid,net,display,city\n0,1,Ja,x\n1,1,Ala,Łódź\n' >"$work/polish.csv"
expect_rows() {  # expect_rows COUNT ARGS...
    local want="$1"; shift
    local got
    got="$(run "$bin/lunetka.dll" --contacts "$work/polish.csv" --search miejscowość równe ŁÓDŹ "$@" 2>&1 |
           awk '/result list:/ { rows = 0 } /^ +[0-9]+\. / { rows++ } END { print rows + 0 }')"  # the last list shown
    if [ "$got" -eq "$want" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $* -> $got rows"; fi
}
expect_rows 0
expect_rows 1 --locale Polish_Poland.1250
expect_error 2 "the C runtime has no locale 'Klingon_Qo.1'" "$bin/lunetka.dll" --locale Klingon_Qo.1

# Every kind of messenger shows the same search the same way.
expect_error 2 "unknown personality 'klingon' (one of ansi, unicode, dialog" "$bin/lunetka.dll" --personality klingon
for kind in unicode dialog subclassing unloading rebuilding; do
    expect_rows 1 --locale Polish_Poland.1250 --personality "$kind"
done

# The main command shows what each kind of host did, and what the plug-in answered.
expect_error 2 "--unload-way is stop, message or nothing, not 'later'" "$bin/lunetka.dll" --unload-way later
expect_kind_did() {  # expect_kind_did KIND TEXT...
    local kind="$1"; shift
    local out; out="$(run "$bin/lunetka.dll" --personality "$kind" --open-window 2>&1 | sed -n '/^what the /,$p')"
    for text in "$@"; do
        if grep -qF -- "$text" <<<"$out"; then passed=$((passed + 1)); else
            failed=$((failed + 1)); echo "FAIL: --personality $kind does not tell '$text': $out"; fi
    done
}
expect_kind_did ansi "what the ansi host did:" "narrow window"
expect_kind_did unicode "a Unicode window"
expect_kind_did dialog "window of class #32770"
expect_kind_did subclassing "with SetWindowLongPtr before the plug-in's list" "SetWindowSubclass on its page, in front"
expect_kind_did unloading "unloaded the plug-in without a stop" "the library is gone" "heard 4 of 4 messages" \
    "HM_START answered 1" "made its list, stopped"
expect_kind_did rebuilding "made it again, with 221 first"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
