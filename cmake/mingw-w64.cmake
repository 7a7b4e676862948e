# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (the "posix"
# thread model, which std::thread needs). Everything is linked statically, so the
# executables run under Wine, or on Windows, without extra DLLs.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${DN_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run under Wine: CTest and the test discovery go through it.
find_program(DN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT DN_WINE)
    find_program(DN_WINE NAMES wine64 wine)
endif()
if(DN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DN_WINE})
endif()
# The tests find their workers, tools and scripts by the build's own paths; Wine
# shows the Linux root as drive Z:, and a path without a drive would mean the
# current drive of the test (C: while it works in the temporary folder).
set(DN_PATH_PREFIX "Z:")
