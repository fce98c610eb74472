#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/test
ctest --test-dir build/test --output-on-failure --parallel 2
