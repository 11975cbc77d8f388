# Cross-compiles the plug-in for 32-bit Windows with Debian's clang,
# on the MinGW-w64 headers and libraries (win32 thread model) that GCC uses,
# so the plug-in's ABI is shown not to depend on one compiler. clang 14 does
# not find that GCC's C++ library by itself, so its folders are named here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(triple i686-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_OBJCOPY ${triple}-objcopy)
set(CMAKE_SYSROOT /usr/${triple})

file(GLOB gcc_dirs /usr/lib/gcc/${triple}/*-win32)
set(LUNETKA_WIN32_THREADS ON)  # GCC runtime with win32 threads: see base/runtime_tls.cpp
list(SORT gcc_dirs)
list(GET gcc_dirs -1 gcc_dir)
set(cxx ${gcc_dir}/include/c++)
set(CMAKE_CXX_FLAGS_INIT "-Wno-unused-command-line-argument -nostdinc++ -isystem ${cxx} -isystem ${cxx}/${triple} -isystem ${cxx}/backward")
# Linked as GCC links, with GNU ld and the same start and end files in the
# same order. Exceptions unwind through tables that GCC's crtbegin.o
# registers from its start up to crtend.o's end marker, so crtend.o must
# come after every library. lld 14 cannot do this: it sorts GCC's
# per-template tables past that marker and pairs some with the wrong
# function, so a throw through std::string ended the process.
set(runtime_libraries "-lstdc++ -lmingw32 -lgcc -lgcc_eh -lmoldname -lmingwex -lmsvcrt -lkernel32 -ladvapi32 -lshell32 -luser32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=bfd -L${gcc_dir}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT
    "-fuse-ld=bfd -nostdlib -L${gcc_dir} -Wl,-e,_DllMainCRTStartup@12 ${CMAKE_SYSROOT}/lib/dllcrt2.o ${gcc_dir}/crtbegin.o")
# Set before the platform's own defaults, which would leave crtend.o out.
set(CMAKE_CXX_STANDARD_LIBRARIES "-Wl,--start-group ${runtime_libraries} -Wl,--end-group ${gcc_dir}/crtend.o"
    CACHE STRING "Libraries linked after everything else")
set(CMAKE_C_STANDARD_LIBRARIES "${CMAKE_CXX_STANDARD_LIBRARIES}" CACHE STRING "Libraries linked after everything else")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
