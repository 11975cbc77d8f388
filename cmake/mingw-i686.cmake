# The plug-in's toolchain: MinGW-w64's win32 thread model. The DLL starts no
# thread; the posix model's runtime (winpthreads) would import threading
# functions that older Windows lacks and keep a TLS slot after every unload.
set(mingw_threads win32)
set(LUNETKA_WIN32_THREADS ON)  # GCC runtime with win32 threads: see base/runtime_tls.cpp
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)
