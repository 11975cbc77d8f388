# The test programs' and the stand-in host's toolchain: GoogleTest needs the
# posix thread model's std::mutex. The plug-in's DLLs are built beside them,
# in a tree of their own, with the plug-in's toolchain.
set(mingw_threads posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)
set(LUNETKA_DLL_TOOLCHAIN ${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
