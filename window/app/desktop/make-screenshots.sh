#!/usr/bin/env bash
# Takes the software centre's screenshot: the window on a private X display,
# with the worked example typed in by keys and clicks as a clerk would, and
# calculated. Writes screenshots/worked-example.png next to this script.
# usage: make-screenshots.sh BINARY     (e.g. build/dev/window/quillbary)
# Needs: xvfb, xauth, xdotool, imagemagick (import).
set -euo pipefail
binary=$(realpath "$1")
out=$(dirname "$(realpath "$0")")/screenshots/worked-example.png
export QUILLBARY_BINARY=$binary SCREENSHOT=$out
xvfb-run --auto-servernum --server-args="-screen 0 640x400x24 -noreset" bash -c '
  set -euo pipefail
  unset QT_QPA_PLATFORM
  "$QUILLBARY_BINARY" &
  program=$!
  trap "kill $program 2>/dev/null" EXIT
  window=$(timeout 30 xdotool search --sync --name "^Quillbary\$" | head -n 1)
  # Places are in the client area, in pixels: the middle of each control.
  # The menu bar stands above it and a 22-pixel status line below.
  height=$(xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p")
  top=$((height - 22 - 220))
  click() { xdotool mousemove --window "$window" "$1" $((top + $2)) click "${@:3}" 1; sleep 0.2; }
  type_keys() { xdotool type --delay 30 "$1"; sleep 0.2; }
  # A double click selects the year of the loan date; from there focus goes
  # along the tab order: the four dates (each typed from its year on, a full
  # field moving on to the next), the amount and the rate.
  click 24 49 --repeat 2 --delay 80
  for keys in 20090101 20090701 20090930 20090101 10000 5.31; do
    type_keys "$keys"
    xdotool key Tab
  done
  click 144 151   # 只结利息
  click 264 192   # 开始计算
  sleep 0.5
  import -window "$window" "$SCREENSHOT"
'
echo "wrote $out"
