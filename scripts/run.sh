#!/usr/bin/env bash
# Installs what is missing, builds the program, and opens its window: on the
# desktop, or with --virtual on a virtual screen (Xvfb) of a machine that has
# no display, where xdotool or a screenshot can reach it.
# usage: scripts/run.sh [--virtual]
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "") virtual=false ;;
  --virtual) virtual=true ;;
  *) echo "usage: $0 [--virtual]" >&2; exit 2 ;;
esac
if [[ $virtual == false && -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display here: run this from a desktop session, or open the window on a virtual screen with: bash scripts/run.sh --virtual" >&2
  exit 1
fi
bash scripts/setup.sh build
cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBARY_TESTS=OFF >/dev/null
cmake --build build/app --target quillbary
if [[ $virtual == true ]]; then
  unset QT_QPA_PLATFORM
  exec xvfb-run --auto-servernum --server-args="-screen 0 800x600x24" bash -c \
    'echo "The window is open on the virtual display $DISPLAY; Ctrl+C ends it."; exec build/app/window/quillbary'
fi
exec build/app/window/quillbary
