#!/usr/bin/env bash
# The screenshot command: every picture is written, has the size of a window
# and is not blank.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT
passed=0; failed=0
if ! LUNETKA_SKIP_BUILD=1 LUNETKA_DISPLAY=78 bash "$root/scripts/screenshots.sh" "$out" >"$out/run.log" 2>&1; then
    echo "FAIL: screenshots.sh"; tail -20 "$out/run.log"; echo "0 passed, 1 failed"; exit 1
fi
for picture in messenger page page-tip properties search-window; do
    file="$out/$picture.png"
    if [ ! -s "$file" ]; then failed=$((failed + 1)); echo "FAIL: $picture.png missing"; continue; fi
    read -r width height <<<"$(/usr/bin/identify -format '%w %h' "$file")"
    spread="$(/usr/bin/convert "$file" -format '%[fx:standard_deviation]' info:)"
    if [ "$width" -ge 200 ] && [ "$height" -ge 150 ] && awk "BEGIN{exit !($spread > 0.02)}"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1)); echo "FAIL: $picture.png is ${width}x${height}, spread $spread"
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
