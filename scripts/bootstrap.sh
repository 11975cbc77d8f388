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
    apt_install() { $SUDO apt-get install -y -q --no-install-recommends "$@" "${missing[@]}"; }
    # The update's errors are shown, and kept to name an index that failed.
    errors="$(mktemp)"
    trap 'rm -f "$errors"' EXIT
    update() { $SUDO apt-get update -q 2>"$errors"; local status=$?; cat "$errors" >&2; return $status; }
    complete=1
    update || { complete=0; echo "bootstrap: an index did not update; installing from what they hold" >&2; }
    if ! apt_install; then
        [ "$complete" = 0 ] || exit 1
        # A mirror caught mid-sync fails an index for a minute or two ("File
        # has unexpected size"): wait, and update again.
        for try in 1 2; do
            sleep $((try * 20))
            update && { complete=1; break; }
        done
        if [ "$complete" = 1 ]; then
            apt_install
        else
            # One architecture's index of a suite still missing (the security
            # suite's i386 one, for days on one mirror): apt wants the amd64
            # libraries from that suite and their i386 twins from the release,
            # which cannot be installed together ("held broken packages").
            # Both then come from the release, where the machine's libraries
            # are not already newer; nothing is downgraded, and `apt-get
            # upgrade` catches up once the mirror does.
            release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
            echo "bootstrap: an index is still missing; installing with every package from ${release:-the release} itself" >&2
            if [ -z "$release" ] || ! apt_install -t "$release"; then
                echo "bootstrap: the packages cannot be installed without what the mirror failed to give:" >&2
                grep -o 'Failed to fetch [^ ]*' "$errors" | sed 's/^Failed to fetch /  /' | sort -u >&2
                echo "bootstrap: where this machine's libraries are newer than the release's, their i386 twins are" \
                    "only in that index; try again once the mirror is whole, or take that suite from another mirror" >&2
                exit 1
            fi
        fi
    fi
fi

# Wine takes its ANSI code page from the locale: pl_PL gives 1250.
if [ "${1:-all}" = all ] && ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
    $SUDO sed -i 's/^# *\(pl_PL.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
