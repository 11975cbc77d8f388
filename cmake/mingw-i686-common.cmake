# Shared by the MinGW-w64 toolchain files: cross-compiles for 32-bit Windows
# with the thread model the including file names in mingw_threads, and runs
# the results under Wine through our wrapper.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-${mingw_threads})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${mingw_threads})
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
set(CMAKE_OBJCOPY i686-w64-mingw32-objcopy)
