#!/usr/bin/env bash
# Builds everything and runs every test under Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build.sh
bash scripts/wineserver-session.sh ctest --test-dir build --output-on-failure "$@"
