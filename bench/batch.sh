#!/usr/bin/env bash
# Builds the program optimised (build/bench/) and measures the batch command:
# rows a second from CSV to CSV and the time from XLSX to XLSX for 1,000,000
# rows, and the peak resident memory for 10,000 rows against 1,000,000 (the
# rows are streamed, so it should not grow with them).
#
# usage: bash bench/batch.sh [ROWS]   (ROWS: 1000000 by default)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=build/bench
ROWS=${1:-1000000}
SMALL_ROWS=10000
CSV_GOAL_ROWS_PER_S=300000
XLSX_GOAL_S=15
MEMORY_GOAL_KB=$((20 * 1024))

bash scripts/setup.sh bench
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLBARY_BENCHMARKS=ON -DQUILLBARY_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target quillbary batch_make_file >/dev/null
program=$BUILD_DIR/window/quillbary
make_file=$BUILD_DIR/bench/batch_make_file

WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillbary-batch-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Runs the batch on IN to OUT, recorded in a journal of the benchmark's own
# (a run as the clerk makes it: with the two files' SHA-256); sets
# SECONDS_TAKEN and PEAK_KB.
measure() {
  local report
  report=$(env -u DISPLAY /usr/bin/time -f '%e %M' "$program" --batch "$1" --output "$2" \
    --journal "$WORK/journal.sqlite3" 2>&1 >/dev/null | tail -n 1)
  read -r SECONDS_TAKEN PEAK_KB <<<"$report"
}

echo "== Files ($ROWS and $SMALL_ROWS rows)"
"$make_file" "$WORK/big.csv" "$ROWS"
"$make_file" "$WORK/small.csv" "$SMALL_ROWS"
"$make_file" "$WORK/big.xlsx" "$ROWS"
ls -l "$WORK" | awk 'NR > 1 { print "  " $9 ": " $5 " bytes" }'
echo "  cores: $(nproc), load average: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== CSV to CSV"
measure "$WORK/big.csv" "$WORK/big-out.csv"
csv_rate=$(awk -v n="$ROWS" -v s="$SECONDS_TAKEN" 'BEGIN { printf "%d", (s > 0) ? n / s : 0 }')
big_kb=$PEAK_KB
echo "  $ROWS rows in $SECONDS_TAKEN s: $csv_rate rows/s (goal >= $CSV_GOAL_ROWS_PER_S): " \
  "$(awk -v r="$csv_rate" -v g="$CSV_GOAL_ROWS_PER_S" 'BEGIN { print (r >= g) ? "holds" : "MISSED" }')"

echo
echo "== XLSX to XLSX"
measure "$WORK/big.xlsx" "$WORK/big-out.xlsx"
echo "  $ROWS rows in $SECONDS_TAKEN s (goal <= $XLSX_GOAL_S s): " \
  "$(awk -v s="$SECONDS_TAKEN" -v g="$XLSX_GOAL_S" 'BEGIN { print (s <= g) ? "holds" : "MISSED" }')"
xlsx_big_kb=$PEAK_KB

echo
echo "== Peak resident memory"
measure "$WORK/small.csv" "$WORK/small-out.csv"
small_kb=$PEAK_KB
"$make_file" "$WORK/small.xlsx" "$SMALL_ROWS"
measure "$WORK/small.xlsx" "$WORK/small-out.xlsx"
xlsx_small_kb=$PEAK_KB
for kind in csv xlsx; do
  if [[ $kind == csv ]]; then small=$small_kb big=$big_kb; else small=$xlsx_small_kb big=$xlsx_big_kb; fi
  growth=$((big - small))
  echo "  $kind: $SMALL_ROWS rows $small kB, $ROWS rows $big kB, growth $growth kB" \
    "(goal <= $MEMORY_GOAL_KB kB): $( ((growth <= MEMORY_GOAL_KB)) && echo holds || echo MISSED)"
done
