#!/usr/bin/env bash
# The branch's speed, on a PostgreSQL of its own in a scratch folder:
#  - copying a terminal's journal of ENTRIES statements up (the join's
#    copy), per entry;
#  - `quillbary --check-branch` over TERMINALS x PER entries, made on the
#    server by SQL (each a real chain: every hash the SHA-256 of its input,
#    every link the hash before it);
#  - the branch history on those (branch_history_bench, through
#    Branch::FindStatements): the first page, each keystroke of its text
#    filter, each other filter, a page ten pages in.
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
cmake --build "$BUILD_DIR" --target quillbary journal_bench branch_history_bench
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
# As a branch's would be: mostly statements, with hand-ons, reprints and voids
# of recent ones; 80 entries a day a terminal, all terminals' entries of a
# moment stored together, as they arrive; each terminal uploaded by a clerk
# of its own; reviews of nine in ten statements but those of the last two
# days. The triggers are off for speed: each chain is still whole.
start=$(date +%s%N)
psql -d branch <<SQL
ALTER TABLE terminals DISABLE TRIGGER USER;
ALTER TABLE entries DISABLE TRIGGER USER;
ALTER TABLE reviews DISABLE TRIGGER USER;
DO \$\$
DECLARE
  surnames text[] := string_to_array('王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈', NULL);
  given text[] := string_to_array('伟芳娜秀敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂英华建文辉力鹏玲红飞斌宇浩凯健俊帆帅旭宁龙林欣佳晨雪婷慧晓丹蕾波鑫琳颖倩海峰博亮成志国荣东春梅莉燕萍玉凤新利清云萌', NULL);
  n int := $TERMINALS;
  previous text[] := array_fill(repeat('0', 64), ARRAY[$TERMINALS]);
  made int[] := array_fill(0, ARRAY[$TERMINALS]);
  t int; s int; k text; sn text; who text; loan text; at text; input text; name text; h text;
BEGIN
  FOR t IN 1..n LOOP
    INSERT INTO terminals(terminal, joined_by) VALUES ('T' || lpad((t + 1)::text, 2, '0'), 'clerk_' || lpad((t + 1)::text, 2, '0'));
  END LOOP;
  -- Entry s of every terminal in turn, so that the table holds them in about
  -- the order they were recorded: 80 a day, one every five minutes or so.
  FOR s IN 1..$PER LOOP
    at := to_char(timestamp '2026-01-05 09:00:00' + ((s - 1) / 80) * interval '1 day'
                  + ((s - 1) % 80) * interval '5 minutes', 'YYYY-MM-DD HH24:MI:');
    FOR t IN 1..n LOOP
      name := 'T' || lpad((t + 1)::text, 2, '0');
      IF made[t] < 5 OR random() < 0.86 THEN
        k := 'statement';
        made[t] := made[t] + 1;
        sn := '2026-' || name || '-' || lpad(made[t]::text, 6, '0');
        IF random() < 0.05 THEN
          who := given[1 + floor(random() * 80)::int] || given[1 + floor(random() * 80)::int] || '商贸有限公司';
        ELSE
          who := surnames[1 + floor(random() * 50)::int] || given[1 + floor(random() * 80)::int]
                      || CASE WHEN random() < 0.6 THEN given[1 + floor(random() * 80)::int] ELSE '' END;
        END IF;
        loan := (ARRAY['JD', 'DK', 'HT'])[1 + floor(random() * 3)::int] || '2026' || lpad(floor(random() * 1000000)::text, 6, '0');
      ELSE
        k := (ARRAY['handon', 'reprint', 'reprint', 'void'])[1 + floor(random() * 4)::int];
        sn := '2026-' || name || '-' || lpad((made[t] - floor(random() * least(made[t], 40))::int)::text, 6, '0');
        who := ''; loan := '';
      END IF;
      input := 'seq=' || length(s::text) || ':' || s || ';kind=' || length(k) || ':' || k
               || ';prev_hash=64:' || previous[t] || ';';
      INSERT INTO entries(terminal, seq, kind, serial, recorded_at, clerk, borrower, loan_number,
                          amount, total_caption, total, handed_on, reason, prev_hash, hash, hash_input,
                          uploaded_by)
      VALUES (name, s, k, sn, at || lpad(floor(random() * 60)::text, 2, '0'), '经办', who, loan,
              '10000.00', '利息合计', '561.98', 'copy', '', previous[t],
              encode(sha256(convert_to(input, 'UTF8')), 'hex'), input, 'clerk_' || lpad((t + 1)::text, 2, '0'))
      RETURNING hash INTO h;
      previous[t] := h;
    END LOOP;
  END LOOP;
END
\$\$;
-- 复核: nine in ten statements of all but the last two days, one in thirty
-- of them returned, half of those passed after.
INSERT INTO reviews(terminal, serial, verdict, reason, reviewer)
  SELECT terminal, serial, CASE WHEN random() < 1.0 / 30 THEN 'return' ELSE 'pass' END, '金额有误', 'supervisor_s'
  FROM entries WHERE kind = 'statement' AND recorded_at < ((SELECT max(recorded_at) FROM entries)::date - 1)::text
    AND random() < 0.9 ORDER BY recorded_at;
INSERT INTO reviews(terminal, serial, verdict, reviewer)
  SELECT terminal, serial, 'pass', 'supervisor_s' FROM reviews WHERE verdict = 'return' AND random() < 0.5;
ALTER TABLE terminals ENABLE TRIGGER USER;
ALTER TABLE entries ENABLE TRIGGER USER;
ALTER TABLE reviews ENABLE TRIGGER USER;
-- Its pages marked all-visible, as autovacuum leaves a table only added to.
VACUUM ANALYZE;
SQL
echo "made in $(( ($(date +%s%N) - start) / 1000000 )) ms"
total=$(psql -d branch -tAc "SELECT count(*) FROM entries")

echo "== quillbary --check-branch over $total entries (3 runs)"
for run in 1 2 3; do
  start=$(date +%s%N)
  env -u DISPLAY "$quillbary" --check-branch "host=$SERVER dbname=branch user=supervisor_s" | tail -n 1
  echo "run $run: $(( ($(date +%s%N) - start) / 1000000 )) ms   goal <= $CHECK_GOAL_MS ms"
done

echo "== The branch history over $total entries"
"$BUILD_DIR/bench/branch_history_bench" "host=$SERVER dbname=branch user=supervisor_s"
