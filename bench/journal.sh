#!/usr/bin/env bash
# Makes a journal of 100,000 statements (with a void every 50th and a reprint
# every 30th) and times, on it: recording one statement with its fsync, the
# history's first screen from a cold open, each keystroke of its filter, and
# `quillbary --check-journal` over every entry.
#
# usage: bash bench/journal.sh [statements]   (100000 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
COUNT=${1:-100000}
BUILD_DIR=build/bench

bash scripts/setup.sh bench
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLBARY_BENCHMARKS=ON -DQUILLBARY_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target quillbary journal_bench

# Made in memory (fsync costs nothing there, so the 100,000 take seconds, not
# minutes), then copied to the disk where it is measured.
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/quillbary-journal-bench.XXXXXX")
MADE=$(mktemp -d /dev/shm/quillbary-journal-bench.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$SCRATCH" "$MADE"' EXIT
echo "== Making a journal of $COUNT statements"
start=$(date +%s%N)
"$BUILD_DIR/bench/journal_bench" make "$MADE/journal.sqlite3" "$COUNT"
echo "made in $(( ($(date +%s%N) - start) / 1000000 )) ms"
sqlite3 "$MADE/journal.sqlite3" "PRAGMA wal_checkpoint(TRUNCATE);" >/dev/null
cp "$MADE/journal.sqlite3" "$SCRATCH/journal.sqlite3"
ls -l "$SCRATCH/journal.sqlite3" | awk '{print "file size " $5 " bytes"}'

echo "== The library on $SCRATCH (a disk)"
"$BUILD_DIR/bench/journal_bench" measure "$SCRATCH/journal.sqlite3"

echo "== quillbary --check-journal (3 runs)"
for run in 1 2 3; do
  start=$(date +%s%N)
  env -u DISPLAY "$BUILD_DIR/window/quillbary" --check-journal --journal "$SCRATCH/journal.sqlite3"
  echo "run $run: $(( ($(date +%s%N) - start) / 1000000 )) ms   goal <= 2000 ms"
done
