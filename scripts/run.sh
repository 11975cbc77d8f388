#!/usr/bin/env bash
# The main job: builds Lunetka, loads it into the stand-in messenger with the
# bundled contacts, and shows what happens: the start sequence, the page the
# plug-in declared, a search with its result list, and the host's log.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build.sh >/dev/null
bash scripts/wineserver-session.sh scripts/wine-run.sh build/bin/lunetka-host.exe build/bin/lunetka.dll \
    --contacts samples/kontakty.csv --transcript --tree \
    --search "miejscowość" "zawiera" "krak" --sort 0 --dblclick 0 --press talk --log-tail 12 "$@"
