#!/usr/bin/env bash
# Installs what building and testing Lunetka needs on a Debian 12 machine
# (scripts/build.sh runs it only when a tool is missing).
# Safe to run again: it only installs what is missing.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "bootstrap: run as root or install sudo" >&2; exit 1; }
    SUDO="sudo"
fi

# What the build needs; with "all" (the default), what the tests need too.
PACKAGES=(g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686 cmake make googletest python3)
if [ "${1:-all}" = all ]; then
    PACKAGES+=(wine wine32:i386 xvfb x11-utils openbox imagemagick locales g++ clang lld libclang-rt-14-dev gcovr)
fi

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    # A mirror caught mid-sync fails the update for a minute or two ("File
    # has unexpected size"): try again before giving up on it, then install
    # from what the indexes hold, which fails plainly if a package is not there.
    for try in 1 2 3; do
        $SUDO apt-get update -q && break
        [ "$try" -lt 3 ] || { echo "bootstrap: the package indexes did not all update; installing from what they hold" >&2; break; }
        sleep $((try * 20))
    done
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: pl_PL gives 1250.
if [ "${1:-all}" = all ] && ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
    $SUDO sed -i 's/^# *\(pl_PL.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
