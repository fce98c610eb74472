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

# The same tests again, built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, with every fuzz input ever kept replayed.
CC=clang CXX=clang++ cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLBARY_SANITIZE=ON -DQUILLBARY_FUZZERS=ON
cmake --build build/sanitize
export ASAN_OPTIONS=detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt
ctest --test-dir build/sanitize --output-on-failure --parallel 2
