#!/usr/bin/env bash
# Configures and builds everything into build/. The installer runs only when
# a tool is missing, so a machine that has them all runs no package manager.
#   build.sh                 installs what is missing, then builds
#   build.sh --install-only  installs what is missing, and no build
#   build.sh --build-tools   installs only what the build needs, and no build
#   build.sh --no-install    builds with what is there
# (the test command installs the build's tools, then the rest beside the build).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# What is missing of what the build needs, or (all) of what the tests need too.
missing() {
    local tools="i686-w64-mingw32-g++-posix i686-w64-mingw32-g++-win32 i686-w64-mingw32-windres
                 i686-w64-mingw32-objcopy i686-w64-mingw32-objdump i686-w64-mingw32-gcov-win32 cmake make python3"
    [ "$1" = all ] && tools="$tools wine wineserver Xvfb xdpyinfo openbox convert g++ clang++ ld.lld gcovr"
    local gone=""
    for tool in $tools; do command -v "$tool" >/dev/null 2>&1 || gone="$gone $tool"; done
    [ -f /usr/src/googletest/CMakeLists.txt ] || gone="$gone googletest"
    if [ "$1" = all ]; then
        [ -d /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux ] || gone="$gone libclang-rt"
        [ -d /usr/lib/wine/i386-windows ] || [ -d /usr/lib/i386-linux-gnu/wine ] || gone="$gone wine32"
        locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$' || gone="$gone pl_PL-locale"
    fi
    echo "$gone"
}
install_missing() {
    local gone
    gone="$(missing "$1")"
    [ -z "$gone" ] && return 0
    echo "build: installing what is missing:$gone" >&2
    bash scripts/bootstrap.sh "$1"
}
case "${1:-}" in
    --install-only) install_missing all; exit 0 ;;
    --build-tools) install_missing build; exit 0 ;;
    --no-install) ;;
    *) install_missing all ;;
esac

cmake -S . -B build --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake -DCMAKE_BUILD_TYPE=Release \
    -DLUNETKA_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
