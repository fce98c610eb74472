#!/usr/bin/env bash
# Hands the batch command hostile inputs at full size (bench/hostile_files.py
# makes them: a 2,000,001-column CSV header, UTF-16, an OLE file, cells past
# XFD, a shared string of a million bytes used 3,000 times a row, 400 million
# empty shared strings, a deflate bomb, the most XML a 10 MB file may inflate
# to, styles past their cap, billion laughs, rows padded to XFD, a FIFO, /dev/zero, a symbolic link loop, an unreadable
# folder, a socket, an empty file) and prints, for each: its size, the exit
# status, the peak resident memory, the time and the first line of the
# message. Each run is cut off after 60 s and held to 8 GB of address space,
# so that a runaway cannot take the machine. Not a test: it measures.
#
# usage: bash bench/hostile.sh [PROGRAM]
#   PROGRAM: build/test/window/quillbary by default (scripts/test.sh builds it).
set -euo pipefail
cd "$(dirname "$0")/.."

program=${1:-build/test/window/quillbary}
if [[ ! -x $program ]]; then
  echo "no program at $program: build it first (bash scripts/test.sh)" >&2
  exit 1
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillbary-hostile.XXXXXX")
cleanup() {
  chmod -R u+rwx "$WORK" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir "$WORK/in" "$WORK/out"

echo "== Making the files"
python3 bench/hostile_files.py "$WORK/in"

inputs=()
while IFS= read -r name; do inputs+=("$WORK/in/$name"); done < <(ls "$WORK/in")
inputs+=(/dev/zero)

printf '%-44s %12s %6s %10s %8s  %s\n' file bytes status peak_kB seconds message
for input in "${inputs[@]}"; do
  name=$(basename "$input")
  size=$(stat -L -c %s "$input" 2>/dev/null || echo -)
  [[ -f $input ]] || size="($(stat -c %F "$input" 2>/dev/null || echo "?"))"
  out="$WORK/out/${name%.*}-out.csv"
  status=0
  (
    ulimit -v $((8 * 1024 * 1024))
    exec env -u DISPLAY /usr/bin/time -o "$WORK/time" -f '%M %e' \
      timeout 60 "$program" --batch "$input" --output "$out" --no-journal
  ) >"$WORK/stdout" 2>"$WORK/stderr" </dev/null || status=$?
  # GNU time puts "Command exited with non-zero status N" before its line.
  read -r peak seconds < <(tail -n 1 "$WORK/time") || { peak=- seconds=-; }
  message=$(cat "$WORK/stderr" "$WORK/stdout" | sed -e "s|$WORK/in/||g" -e 's/^[^:]*: //' |
    head -n 1)
  [[ $status == 124 ]] && message="(cut off after 60 s) $message"
  printf '%-44s %12s %6s %10s %8s  %s\n' "$name" "$size" "$status" "$peak" "$seconds" "$message"
  rm -f "$out"
done
