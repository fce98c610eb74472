#!/usr/bin/env bash
# Fuzzes each target for a while (10 minutes each unless told otherwise),
# two at a time, starting from the corpus kept in fuzz/corpus/. Any input
# that breaks a property or trips a sanitizer is copied into the target's
# corpus folder, where the test suite replays it from then on.
# usage: fuzz/run.sh [seconds per target] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(parse_leading parse_strict format calculate typed_number csv_reader xlsx_reader)

bash scripts/setup.sh test
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLBARY_SANITIZE=ON -DQUILLBARY_FUZZERS=ON -DQUILLBARY_WINDOW=OFF -DQUILLBARY_TESTS=OFF >/dev/null
cmake --build build/fuzz

fuzz_one() {
  local target=$1 work=build/fuzz/work/$1
  mkdir -p "$work/corpus" "$work/findings"
  cp -n fuzz/corpus/"$target"/* "$work/corpus/" 2>/dev/null || true
  # Inputs up to the longest text a line edit holds.
  build/fuzz/fuzz/"$target"_fuzzer -max_total_time="$seconds" -max_len=32767 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1 || true
  local found=("$work"/findings/*)
  if [[ -e ${found[0]} ]]; then
    cp "${found[@]}" fuzz/corpus/"$target"/
    echo "$target: FINDINGS, copied into fuzz/corpus/$target: ${found[*]##*/}"
  else
    echo "$target: no finding; $(grep -E '^stat::number_of_executed_units' "$work/log")," \
      "corpus $(ls "$work/corpus" | wc -l) inputs"
  fi
}

for ((i = 0; i < ${#targets[@]}; i += 2)); do
  fuzz_one "${targets[i]}" &
  [[ -n ${targets[i + 1]:-} ]] && fuzz_one "${targets[i + 1]}" &
  wait
done
