#!/usr/bin/env bash
# Leaves the program open on a private Xvfb display for a number of minutes,
# its clock running, and prints its resident memory when its window is mapped
# and then every minute, with the CPU it used in that minute. A figure that
# keeps growing minute after minute points at a leak in the clock's tick.
#
# usage: bash bench/soak.sh [MINUTES]     (30 when not given)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh

MINUTES=${1:-30}
[[ $MINUTES =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [MINUTES]" >&2; exit 2; }

build_bench
start_private_xvfb
set_qt_environment

start_kept "$PROGRAM"
program=$KEPT_PID
echo
echo "== Soak: $PROGRAM open for $MINUTES min on display $DISPLAY (mapped after $KEPT_MS ms)"
printf '%-8s %10s %10s %10s %10s %12s\n' minute "VmRSS kB" "RssAnon" "RssFile" "VmHWM" "CPU share %"

report() {
  printf '%-8s %10s %10s %10s %10s %12s\n' "$1" "$(status_kb "$program" VmRSS)" \
    "$(status_kb "$program" RssAnon)" "$(status_kb "$program" RssFile)" \
    "$(status_kb "$program" VmHWM)" "$2"
}

start_rss=$(status_kb "$program" VmRSS)
start_anon=$(status_kb "$program" RssAnon)
report 0 -
soak_start_ns=$(now_ns)
soak_start_cpu=$(cpu_ns "$program")
for ((minute = 1; minute <= MINUTES; minute++)); do
  minute_start_ns=$(now_ns)
  minute_start_cpu=$(cpu_ns "$program")
  # Sleep to the minute's mark on the soak's own clock, so that the reads
  # themselves do not make the minutes drift.
  pause "$(awk -v s="$soak_start_ns" -v n="$(now_ns)" -v m="$minute" 'BEGIN { d = (s + m * 60e9 - n) / 1e9; print (d > 0) ? d : 0 }')"
  if ! kill -0 "$program" 2>/dev/null; then
    echo "The program ended during minute $minute; it said:" >&2
    tail -n 20 "$PROGRAM_LOG" >&2
    exit 1
  fi
  share=$(awk -v u="$(( $(cpu_ns "$program") - minute_start_cpu ))" -v i="$(( $(now_ns) - minute_start_ns ))" \
    'BEGIN { printf "%.3f", 100 * u / i }')
  report "$minute" "$share"
  if ((minute == 1)); then minute1_rss=$(status_kb "$program" VmRSS); fi
done
end_rss=$(status_kb "$program" VmRSS)
end_anon=$(status_kb "$program" RssAnon)
soak_share=$(awk -v u="$(( $(cpu_ns "$program") - soak_start_cpu ))" -v i="$(( $(now_ns) - soak_start_ns ))" \
  'BEGIN { printf "%.3f", 100 * u / i }')
end_kept "$KEPT_HELPER"

echo
echo "== Soak summary over $MINUTES min"
echo "VmRSS   at start ${start_rss} kB, at end ${end_rss} kB: change $((end_rss - start_rss)) kB, ratio $(ratio "$end_rss" "$start_rss")x"
echo "RssAnon at start ${start_anon} kB, at end ${end_anon} kB: change $((end_anon - start_anon)) kB, ratio $(ratio "$end_anon" "$start_anon")x"
if ((MINUTES >= 2)); then
  echo "VmRSS   from minute 1 to the end: change $((end_rss - minute1_rss)) kB"
fi
echo "CPU share over the whole soak: ${soak_share} %"
if [[ -s $PROGRAM_LOG ]]; then
  echo
  echo "== What the program printed (count, line)"
  sort "$PROGRAM_LOG" | uniq -c | sort -rn | awk 'NR <= 10'
fi
