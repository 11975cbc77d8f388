#!/usr/bin/env bash
# Takes the README's pictures: the messenger, the Lunetka page with a search
# in it, and the windows the plug-in and the host open. Runs Wine with its X11
# driver on a private Xvfb display with a small window manager, so windows
# have real frames; each picture is the screen area of one window.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
out="${1:-docs/screenshots}"
[ -n "${LUNETKA_SKIP_BUILD:-}" ] || bash scripts/build.sh >/dev/null
mkdir -p "$out"
work="$(mktemp -d)"

display=":${LUNETKA_DISPLAY:-77}"
Xvfb "$display" -screen 0 1280x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $wm $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# A prefix of its own: the test prefix draws nothing (null display driver).
export LUNETKA_WINEPREFIX="$root/.wineprefix-x11" LUNETKA_GRAPHICS=x11
bash scripts/wineserver-session.sh scripts/wine-run.sh build/bin/lunetka-host.exe build/bin/lunetka.dll \
    --contacts samples/kontakty.csv --profile "$work/profile.txt" --do "
      wait 500; screenshot $work/messenger.bmp main;
      config; choose field miejscowość; choose condition zawiera; type krak; header 0; select 1; wait 500;
      screenshot $work/page.bmp config; tip; wait 300; screenshot $work/page-tip.bmp config; notip;
      dblclick 1; wait 300; screenshot $work/properties.bmp Właściwości;
      press Zacznij; wait 300;
      menu; wait 300; screenshot $work/search-window.bmp Szukaj"

for picture in messenger page page-tip properties search-window; do
    /usr/bin/convert "$work/$picture.bmp" "$out/$picture.png"
    echo "$out/$picture.png"
done
