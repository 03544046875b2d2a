# Cross-building the Qt-free core for 64-bit Windows with Debian's mingw-w64
# compilers (g++-mingw-w64-x86-64-posix: the POSIX thread model, which
# std::thread needs). Use with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RAVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RAVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RAVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${RAVO_MINGW_TRIPLET}-windres)

# Libraries and headers come from the cross sysroot only; programs (python3,
# the shell) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${RAVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The test programs run under wine; CMake runs them through it too (test
# discovery, ctest).
find_program(RAVO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(RAVO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RAVO_WINE})
endif()
