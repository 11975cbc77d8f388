#!/usr/bin/env bash
# Builds, then makes dist/lunetka-tests-win32.zip: every Wine test program,
# the DLLs they load and run-tests.cmd, to run the tests on Windows.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build.sh >/dev/null
python3 scripts/make_test_pack.py build dist/lunetka-tests-win32.zip
