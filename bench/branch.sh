#!/usr/bin/env bash
# The branch's speed, on a PostgreSQL of its own in a scratch folder:
#  - copying a terminal's journal of ENTRIES statements up (the join's
#    copy), per entry;
#  - `quillbary --check-branch` over TERMINALS x PER entries, made on the
#    server by SQL (each a real chain: every hash the SHA-256 of its input,
#    every link the hash before it).
#
# usage: bash bench/branch.sh            ENTRIES=2000 TERMINALS=50 PER=20000
#   BUILD_DIR=build/test bash bench/branch.sh   measures a build already made
set -euo pipefail
cd "$(dirname "$0")/.."
ENTRIES=${ENTRIES:-2000}
TERMINALS=${TERMINALS:-50}
PER=${PER:-20000}
BUILD_DIR=${BUILD_DIR:-build/bench}
UPLOAD_GOAL_MS=20
CHECK_GOAL_MS=15000

bash scripts/setup.sh bench
if [[ $BUILD_DIR == build/bench ]]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLBARY_BENCHMARKS=ON -DQUILLBARY_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD_DIR" --target quillbary journal_bench
quillbary=$BUILD_DIR/window/quillbary

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/quillbary-branch-bench.XXXXXX")
# The server runs as `postgres` when this runs as root: its folder must not
# sit in one only root may enter.
SERVER=$(mktemp -u "${TMPDIR:-/tmp}/quillbary-branch-bench-pg.XXXXXX")
trap 'bash branch/tests/postgres-server.sh stop "$SERVER"; rm -rf "$SCRATCH"' EXIT
bash branch/tests/postgres-server.sh start "$SERVER"
psql() { /usr/bin/psql -X -q -v ON_ERROR_STOP=1 -h "$SERVER" -U branch_owner "$@"; }
psql -d postgres -c "CREATE DATABASE branch"
env -u DISPLAY "$quillbary" --init-branch "host=$SERVER dbname=branch user=branch_owner"

echo "== Copying a journal of $ENTRIES statements up"
"$BUILD_DIR/bench/journal_bench" make "$SCRATCH/journal.sqlite3" "$ENTRIES"
entries=$(sqlite3 "$SCRATCH/journal.sqlite3" "SELECT count(*) FROM entries")
start=$(date +%s%N)
env -u DISPLAY "$quillbary" --journal "$SCRATCH/journal.sqlite3" \
  --join-branch "host=$SERVER dbname=branch user=clerk_a"
elapsed=$(( ($(date +%s%N) - start) / 1000 ))
echo "$entries entries in $((elapsed / 1000)) ms: $(awk "BEGIN{printf \"%.2f\", $elapsed/$entries/1000}") ms each   goal <= $UPLOAD_GOAL_MS ms"

echo "== Making $TERMINALS terminals x $PER entries on the server"
start=$(date +%s%N)
psql -d branch <<SQL
ALTER TABLE entries DISABLE TRIGGER USER;
DO \$\$
DECLARE
  t int; s int; previous text; input text; terminal_name text;
BEGIN
  FOR t IN 2..$TERMINALS + 1 LOOP
    terminal_name := 'T' || lpad(t::text, 2, '0');
    INSERT INTO terminals(terminal) VALUES (terminal_name);
    previous := repeat('0', 64);
    FOR s IN 1..$PER LOOP
      input := 'seq=' || length(s::text) || ':' || s || ';kind=9:statement;prev_hash=64:' || previous || ';';
      INSERT INTO entries(terminal, seq, kind, serial, recorded_at, clerk, borrower, loan_number,
                          amount, total_caption, total, handed_on, reason, prev_hash, hash, hash_input)
      VALUES (terminal_name, s, 'statement', '2026-' || terminal_name || '-' || lpad(s::text, 6, '0'),
              '2026-12-10 09:00:00', '', '借款人' || s, 'JD-' || s, '10000.00', '利息合计', '561.98',
              'copy', '', previous, encode(sha256(convert_to(input, 'UTF8')), 'hex'), input)
      RETURNING hash INTO previous;
    END LOOP;
  END LOOP;
END
\$\$;
ALTER TABLE entries ENABLE TRIGGER USER;
ANALYZE;
SQL
echo "made in $(( ($(date +%s%N) - start) / 1000000 )) ms"
total=$(psql -d branch -tAc "SELECT count(*) FROM entries")

echo "== quillbary --check-branch over $total entries (3 runs)"
for run in 1 2 3; do
  start=$(date +%s%N)
  env -u DISPLAY "$quillbary" --check-branch "host=$SERVER dbname=branch user=supervisor_s" | tail -n 1
  echo "run $run: $(( ($(date +%s%N) - start) / 1000000 )) ms   goal <= $CHECK_GOAL_MS ms"
done
