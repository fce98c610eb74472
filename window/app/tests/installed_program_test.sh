#!/usr/bin/env bash
# Starts the program as installed under PREFIX on a private X display, waits
# for its window titled "Quillbary", checks that its WM_CLASS is the one its
# launcher names, and ends it with its 退出 button.
# usage: installed_program_test.sh PREFIX
set -euo pipefail
binary="$1/bin/quillbary"
[[ -x $binary ]] || { echo "not installed: $binary" >&2; exit 1; }

export QUILLBARY_BINARY=$binary
export QUILLBARY_DESKTOP_ENTRY=$1/share/applications/org.quillbary.quillbary.desktop
exec xvfb-run --auto-servernum --server-args="-screen 0 800x600x24 -noreset" bash -c '
  set -euo pipefail
  unset QT_QPA_PLATFORM
  "$QUILLBARY_BINARY" &
  program=$!
  window=$(timeout 30 xdotool search --sync --name "^Quillbary\$" | head -n 1)
  [[ -n $window ]] || { echo "no window titled Quillbary" >&2; kill "$program"; exit 1; }
  echo "window $window: $(xdotool getwindowgeometry "$window" | tr "\n" " ")"
  # The desktop ties the window to its launcher by the class of WM_CLASS.
  class=$(xprop -id "$window" WM_CLASS | sed -n "s/.*, \"\(.*\)\"\$/\1/p")
  launcher_class=$(sed -n "s/^StartupWMClass=//p" "$QUILLBARY_DESKTOP_ENTRY")
  if [[ -z $class || $class != "$launcher_class" ]]; then
    echo "WM_CLASS class \"$class\" is not StartupWMClass \"$launcher_class\" of the launcher" >&2
    kill "$program"; exit 1
  fi
  echo "WM_CLASS class $class, as the launcher says"
  # 退出 stands at (376, 176), 65 x 33 pixels, in the client area, which
  # ends 22 pixels (the status line) above the foot of the window.
  height=$(xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p")
  xdotool mousemove --window "$window" 408 $((height - 22 - 220 + 192)) click 1
  if ! timeout 10 tail --pid="$program" -f /dev/null; then
    echo "still running 10 s after 退出" >&2; kill "$program"; exit 1
  fi
  wait "$program"
  echo "ended by 退出 with status $?"
'
