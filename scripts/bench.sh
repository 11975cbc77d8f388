#!/usr/bin/env bash
# Builds Lunetka and prints the benchmark table: search walk, list fill and
# sort against their floors, for 1,000, 10,000 and 100,000 contacts.
# Arguments go to lunetka-bench, e.g. --sizes 1000,10000 --reps 3; --thunks
# prints only what the thunks cost a page message and a load.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build.sh >/dev/null
bash scripts/wineserver-session.sh scripts/wine-run.sh build/bin/lunetka-bench.exe --dll build/bin/lunetka.dll "$@"
