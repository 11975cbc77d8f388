#!/usr/bin/env bash
# The main job: builds Lunetka and opens the stand-in messenger with it and
# the bundled contacts. With a display, a window a person can use; without
# one, a scripted search whose result list, windows and log are printed.
# Settings and the log are kept in .lunetka-profile/ between runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build.sh >/dev/null
mkdir -p .lunetka-profile
host=(build/bin/lunetka-host.exe build/bin/lunetka.dll --contacts samples/kontakty.csv
      --profile .lunetka-profile/settings.txt --log-file .lunetka-profile/lunetka.log)

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    # Wine draws on the display only in a prefix whose driver is X11.
    export LUNETKA_WINEPREFIX="$root/.wineprefix-x11" LUNETKA_GRAPHICS=x11
    exec bash scripts/wineserver-session.sh scripts/wine-run.sh "${host[@]}" --gui "$@"
fi

bash scripts/wineserver-session.sh scripts/wine-run.sh "${host[@]}" --transcript --tree --do "
    config; choose field miejscowość; choose condition zawiera; type krak;
    header 0; dblclick 0; press Zacznij; menu; windows" --log-tail 12 "$@"
