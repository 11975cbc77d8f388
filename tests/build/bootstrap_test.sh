#!/usr/bin/env bash
# The bootstrap against a package manager that fails as mirrors do: an index
# that does not update, for a moment or for good, and an install that then
# breaks. Each case gives what the stand-in apt-get answers, call by call,
# and the calls it must have heard.
set -euo pipefail
source_dir="$1"
stubs="$(mktemp -d /tmp/lunetka-bootstrap.XXXXXX)"
trap 'rm -rf "$stubs"' EXIT
# Root, nothing installed, i386 known, the Polish locale there.
printf '#!/bin/sh\necho 0\n' >"$stubs/id"
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query"
printf '#!/bin/sh\necho i386\n' >"$stubs/dpkg"
printf '#!/bin/sh\necho pl_PL.utf8\n' >"$stubs/locale"
printf '#!/bin/sh\necho "sleep $1" >>"$STUB_LOG"\n' >"$stubs/sleep"
# apt-get answers from $STUB_ANSWERS, one word per call: ok or fail.
cat >"$stubs/apt-get" <<'STUB'
#!/bin/bash
while [ $# -gt 0 ]; do case "$1" in update|install) what+="$1 ";; -t) what+="-t $2 "; shift;; esac; shift; done
echo "${what% }" >>"$STUB_LOG"
read -r answer rest <"$STUB_ANSWERS"; echo "$rest" >"$STUB_ANSWERS"
[ "$answer" = ok ] && exit 0
[ "$what" = "update " ] && echo "E: Failed to fetch http://mirror.example/binary-i386/Packages.xz  File has unexpected size" >&2
exit 100
STUB
chmod +x "$stubs"/*
release="$(. /etc/os-release && echo "$VERSION_CODENAME")"
failed=0
# A case: its name, the answers, the exit code and calls wanted, and a text
# its output must hold.
run() {
    local name="$1" answers="$2" code="$3" expected="$4" told="${5:-}" got=0 calls
    echo "$answers" >"$stubs/answers"
    : >"$stubs/log"
    PATH="$stubs:$PATH" STUB_LOG="$stubs/log" STUB_ANSWERS="$stubs/answers" \
        bash "$source_dir/scripts/bootstrap.sh" build >"$stubs/output" 2>&1 || got=$?
    calls="$(paste -sd, "$stubs/log")"
    if [ "$got" != "$code" ] || [ "$calls" != "$expected" ] || { [ -n "$told" ] && ! grep -qF -- "$told" "$stubs/output"; }; then
        echo "FAIL: $name: exit $got, calls '$calls'; wanted exit $code, calls '$expected', and '$told' said"
        failed=1
    fi
}
run "all well" "ok ok" 0 "update,install"
run "an index missing, the install fine" "fail ok" 0 "update,install"
run "an install that fails on complete indexes" "ok fail" 1 "update,install"
run "a mirror mid-sync" "fail fail fail ok ok" 0 "update,install,sleep 20,update,sleep 40,update,install"
run "a mirror mid-sync, then a true failure" "fail fail ok fail" 100 "update,install,sleep 20,update,install"
run "an index missing for good" "fail fail fail fail ok" 0 \
    "update,install,sleep 20,update,sleep 40,update,install -t $release"
run "an index missing for good, the machine newer than the release" "fail fail fail fail fail" 1 \
    "update,install,sleep 20,update,sleep 40,update,install -t $release" "  http://mirror.example/binary-i386/Packages.xz"
[ "$failed" = 0 ] && echo "7 passed, 0 failed"
exit "$failed"
