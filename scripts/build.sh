#!/usr/bin/env bash
# Configures and builds everything into build/. The installer runs only when
# a tool the build or the tests need is missing, so a machine that has them
# all runs no package manager. --install-only: the installs, and no build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

missing=""
for tool in i686-w64-mingw32-g++-posix i686-w64-mingw32-g++-win32 i686-w64-mingw32-windres i686-w64-mingw32-objcopy i686-w64-mingw32-objdump cmake make wine wineserver \
            Xvfb xdpyinfo openbox convert python3 g++ clang++ ld.lld gcovr i686-w64-mingw32-gcov-win32; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
[ -f /usr/src/googletest/CMakeLists.txt ] || missing="$missing googletest"
[ -d /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux ] || missing="$missing libclang-rt"
[ -d /usr/lib/wine/i386-windows ] || [ -d /usr/lib/i386-linux-gnu/wine ] || missing="$missing wine32"
locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$' || missing="$missing pl_PL-locale"
if [ -n "$missing" ]; then
    echo "build: installing what is missing:$missing" >&2
    bash scripts/bootstrap.sh
fi
[ "${1:-}" = "--install-only" ] && exit 0

cmake -S . -B build --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake -DCMAKE_BUILD_TYPE=Release \
    -DLUNETKA_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
