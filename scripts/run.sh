#!/usr/bin/env bash
# Installs what is missing, builds the program, and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBARY_TESTS=OFF >/dev/null
cmake --build build/app --target quillbary
if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "Built build/app/window/quillbary, but there is no display to open it on." >&2
  echo "Run this from a desktop session, or on a virtual one: xvfb-run bash scripts/run.sh" >&2
  exit 1
fi
exec build/app/window/quillbary
