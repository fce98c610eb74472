# Cross-builds 64-bit Windows programs with Debian's mingw-w64 (the POSIX
# thread model, which std::thread and GoogleTest need) and runs them under
# Wine. Use with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

# Libraries and headers come from the mingw-w64 tree only, never from the
# build machine; its programs do.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread are linked in, so a program runs
# without any DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian's wine64 package keeps its loader out of PATH.
find_program(QUILLBARY_WINE64 wine64 PATHS /usr/lib/wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLBARY_WINE64})
