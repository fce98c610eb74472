# shellcheck shell=bash disable=SC2034  # the names set here are used by the sourcing scripts
# Shared by run.sh and soak.sh: the Release build in build/bench/, a private
# Xvfb display, and starting, reading and ending the windows measured on it.
# Source it from the top of the repository with `set -euo pipefail` in force.

BUILD_DIR=build/bench
PROGRAM=$BUILD_DIR/window/quillbary
BARE_WINDOW=$BUILD_DIR/bench/bare_window
BARE_TIMER_WINDOW=$BUILD_DIR/bench/bare_timer_window
TIME_TO_MAP=$BUILD_DIR/bench/time_to_map
CALC_BENCH=$BUILD_DIR/bench/calc_bench

# Installs what is missing and builds everything measured, optimised.
build_bench() {
  bash scripts/setup.sh bench
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLBARY_BENCHMARKS=ON -DQUILLBARY_TESTS=OFF >/dev/null
  cmake --build "$BUILD_DIR" --target quillbary bare_window bare_timer_window time_to_map calc_bench
}

# A scratch folder, the Xvfb server and every kept window are ended on exit,
# each by the id it was started with.
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillbary-bench.XXXXXX")
PROGRAM_LOG=$WORK/programs.log
: >"$PROGRAM_LOG"
XVFB_PID=
KEPT_HELPERS=()
PAUSE_PID=

cleanup() {
  local helper
  if [[ -n $PAUSE_PID ]]; then kill -TERM "$PAUSE_PID" 2>/dev/null || true; fi
  for helper in "${KEPT_HELPERS[@]}"; do
    kill -TERM "$helper" 2>/dev/null || true
    wait "$helper" 2>/dev/null || true
  done
  if [[ -n $XVFB_PID ]]; then
    kill -TERM "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Sleeps SECONDS in a way that an INT or TERM cuts short: bash runs a trap
# only once a foreground command ends, but at once during `wait`.
pause() {
  sleep "$1" &
  PAUSE_PID=$!
  wait "$PAUSE_PID"
  PAUSE_PID=
}

# Starts Xvfb on the first free display number from 100 on and points DISPLAY
# at it. -noreset keeps the server from resetting each time its last client
# goes, which would otherwise happen between two launches. Xvfb writes the
# display number to -displayfd once it accepts connections.
start_private_xvfb() {
  local number ready
  for number in $(seq 100 199); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    ready=$WORK/xvfb-ready
    : >"$ready"
    Xvfb ":$number" -noreset -nolisten tcp -screen 0 1024x768x24 -displayfd 3 \
      3>"$ready" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 200); do
      if [[ -s $ready ]]; then
        export DISPLAY=":$number"
        return 0
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    kill -TERM "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  done
  echo "Could not start Xvfb on any display from :100 to :199" >&2
  return 1
}

# The environment the windows run in: the X display above through Qt's xcb
# platform, and nothing that would pick another platform, theme or scale.
set_qt_environment() {
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM_PLUGIN_PATH QT_PLUGIN_PATH \
    QT_STYLE_OVERRIDE QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
    QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_QPA_GENERIC_PLUGINS QT_DEBUG_PLUGINS
  export XDG_RUNTIME_DIR=$WORK/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  export LANG=C.UTF-8
}

# Milliseconds from launching COMMAND... until its window is mapped, and
# until its first paint is done, as "MAP PAINT"; the window is closed once
# painted.
time_one_start() {
  local report
  report=$("$TIME_TO_MAP" -- "$@" 2>>"$PROGRAM_LOG") || {
    echo "Timing the start of $* failed; the programs said:" >&2
    tail -n 20 "$PROGRAM_LOG" >&2
    return 1
  }
  local map paint _pid
  read -r map paint _pid <<<"$report"
  echo "$map $paint"
}

# Starts COMMAND... and leaves it running once its window is mapped and
# painted. Sets KEPT_MS (the time to the map), KEPT_PAINT_MS (to the end of
# the first paint), KEPT_PID (the program's id) and KEPT_HELPER (the id of the
# helper that holds it; end_kept ends both).
start_kept() {
  local out=$WORK/kept.$RANDOM
  "$TIME_TO_MAP" -k -- "$@" >"$out" 2>>"$PROGRAM_LOG" &
  KEPT_HELPER=$!
  KEPT_HELPERS+=("$KEPT_HELPER")
  until [[ -s $out ]]; do
    if ! kill -0 "$KEPT_HELPER" 2>/dev/null; then
      echo "Starting $* failed; the programs said:" >&2
      tail -n 20 "$PROGRAM_LOG" >&2
      return 1
    fi
    sleep 0.02
  done
  read -r KEPT_MS KEPT_PAINT_MS KEPT_PID <"$out"
}

end_kept() {
  kill -TERM "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# A field of /proc/PID/status in kB, e.g. status_kb 1234 VmRSS.
status_kb() {
  awk -v field="$2:" '$1 == field { print $2 }' "/proc/$1/status"
}

# PID's resident kB per mapping, "PATH KB" a line sorted by path, with
# [heap], [stack] and the like by name and unnamed mappings as [anon].
rss_by_mapping() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "") ? "[anon]" : $6 }
       $1 == "Rss:" { kb[name] += $2 }
       END { for (name in kb) print name, kb[name] }' "/proc/$1/smaps" | sort -k1,1
}

# Nanoseconds PID has spent on a CPU, summed over its threads: the first
# field of each thread's schedstat.
cpu_ns() {
  local total=0 file ns
  for file in /proc/"$1"/task/*/schedstat; do
    read -r ns _ <"$file" 2>/dev/null || continue
    total=$((total + ns))
  done
  echo "$total"
}

# How many times PID's threads have gone to sleep and been woken: its
# voluntary context switches, summed over threads.
wakeups() {
  cat /proc/"$1"/task/*/status 2>/dev/null | awk '$1 == "voluntary_ctxt_switches:" { n += $2 } END { print n + 0 }'
}

# How many threads PID has.
thread_count() {
  local threads=(/proc/"$1"/task/*)
  echo "${#threads[@]}"
}

now_ns() {
  date +%s%N
}

median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# A / B to two decimals, or "n/a" when B is zero.
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "n/a"; else printf "%.2f", a / b }'
}

# "holds" when RATIO <= GOAL, "MISSED" when above, "n/a" without a ratio.
verdict() {
  awk -v r="$1" -v g="$2" 'BEGIN { print (r == "n/a") ? "n/a" : (r + 0 <= g + 0) ? "holds" : "MISSED" }'
}
