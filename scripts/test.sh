#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test

# The benchmark programs are built too, so that they keep compiling; they are
# run by bench/run.sh, never by the tests.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBARY_BENCHMARKS=ON
cmake --build build/test
ctest --test-dir build/test --output-on-failure --parallel 2

# The Windows stage (scripts/windows/stage.sh): the whole program
# cross-built by mingw-w64, every test of it run under Wine, and the
# installer installed, used and uninstalled there. It needs Qt built for
# Windows: QUILLBARY_MINGW_QT=FILE.tar.xz|DIR names a ready one, and
# QUILLBARY_WINDOWS_STAGE=1 has `scripts/setup.sh windows` build it from
# Debian's source (about half an hour). Without either, the core's tests
# alone, as a Windows program under Wine.
if [[ -n ${QUILLBARY_MINGW_QT:-} || ${QUILLBARY_WINDOWS_STAGE:-} == 1 ]]; then
  bash scripts/windows/stage.sh
else
  echo "Windows stage skipped (no Qt for Windows: set QUILLBARY_MINGW_QT=FILE.tar.xz|DIR, or QUILLBARY_WINDOWS_STAGE=1 to build it); the core's tests only, under Wine."
  (
    unset DISPLAY
    export WINEPREFIX=$PWD/build/windows-core/wine
    cmake -S . -B build/windows-core -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQUILLBARY_WINDOW=OFF -DQUILLBARY_ROOMS=OFF \
      -DQUILLBARY_GTEST_SOURCE=/usr/src/googletest
    cmake --build build/windows-core
    # The Wine folder is made once, before the tests, so they never wait for it.
    # A Wine without 32-bit support says it "failed to open
    # ...syswow64\rundll32.exe" then: harmless.
    [[ -f $WINEPREFIX/system.reg ]] || /usr/lib/wine/wine64 wineboot --init </dev/null
    ctest --test-dir build/windows-core --output-on-failure </dev/null
    /usr/lib/wine/wineserver -w  # no Wine process outlives the tests
  )
fi

# The same tests again, built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, with every fuzz input ever kept replayed.
CC=clang CXX=clang++ cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLBARY_SANITIZE=ON -DQUILLBARY_FUZZERS=ON
cmake --build build/sanitize
export ASAN_OPTIONS=detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt
ctest --test-dir build/sanitize --output-on-failure --parallel 2
