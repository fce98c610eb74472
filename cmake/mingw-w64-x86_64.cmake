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
# build machine; its programs do. scripts/setup.sh windows builds the
# libraries Debian does not package for Windows into a prefix of their own,
# and Qt into another: -DQUILLBARY_WINDOWS_PREFIX=DIR -DQUILLBARY_MINGW_QT_DIR=DIR.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple} ${QUILLBARY_WINDOWS_PREFIX} ${QUILLBARY_MINGW_QT_DIR})
if(QUILLBARY_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${QUILLBARY_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread are linked in, so a program runs
# without any DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian's wine64 package keeps its loader out of PATH.
find_program(QUILLBARY_WINE64 wine64 PATHS /usr/lib/wine REQUIRED)
# The tests find the DLLs they load (Qt's, libzip's, libxlsxwriter's and the
# mingw runtime that Qt's DLLs need) on Wine's search path, which
# wine-run.sh makes of these folders.
set(dll_folders ${QUILLBARY_MINGW_QT_DIR}/bin ${QUILLBARY_WINDOWS_PREFIX}/bin
    /usr/${mingw_triple}/lib /usr/lib/gcc/${mingw_triple}/12-posix)
list(JOIN dll_folders ":" dll_folders)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${QUILLBARY_WINE64} ${dll_folders})
