#!/usr/bin/env bash
# Runs the program with each command line of the table below on no display at
# all, and checks its exit status, its standard output and its standard error.
# Without a display, QApplication aborts (status 134): every answer here must
# come before it. Also checks that the man page describes each option of --help.
# usage: command_line_test.sh BINARY VERSION MAN_PAGE
set -uo pipefail
binary=$1 version=$2 man_page=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The default journal, which batch runs are recorded in, is the test's own.
export XDG_DATA_HOME=$work/data

# name @ arguments, split at blanks ("" is one empty argument) @ status @
# first line of standard output ("-": none) @ the argument that the one line
# of standard error names ("-": no standard error)
rows=(
  "version@--version@0@quillbary $version@-"
  "help@--help@0@用法：quillbary [--help | --version]@-"
  "first of two understood@--version --help@0@quillbary $version@-"
  "Qt's own option@-platform offscreen@2@-@-platform"
  "short option@-h@2@-@-h"
  "misspelt option@--versio@2@-@--versio"
  "empty argument@\"\"@2@-@"
  "understood then not@--help extra@2@-@extra"
  "journal without a path@--journal@2@-@@--journal 之后须有文件的路径"
  "journal path that is an option@--journal --help@2@-@@--journal 之后须有文件的路径"
  "export without a path@--export-journal@2@-@@--export-journal 之后须有文件的路径"
  "no journal and a journal@--no-journal --journal $work/j.sqlite3@2@-@@--no-journal 不能与其他日志选项同用"
  "check and export@--check-journal --export-journal $work/o.csv@2@-@@--check-journal 与 --export-journal 一次只能用一个"
  "check with a stray argument@--check-journal --journal $work/j.sqlite3 --help@2@-@--help"
  "journal then help@--journal $work/j.sqlite3 --help@0@用法：quillbary [--help | --version]@-"
)

failures=0
fail() { failures=$((failures + 1)); echo "FAIL $*"; }
# One row's verdict: ok, or what went wrong with what the program printed.
report() {
  local name=$1
  shift
  if [[ $# -gt 0 ]]; then
    fail "$name: $*"
    sed 's/^/  stdout: /' "$work/out"
    sed 's/^/  stderr: /' "$work/err"
  else
    echo "ok   $name"
  fi
}

for row in "${rows[@]}"; do
  IFS='@' read -r name joined status first_line named usage_error <<<"$row"
  read -r -a args <<<"$joined"
  [[ $joined == '""' ]] && args=("")
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$binary" "${args[@]}" \
    >"$work/out" 2>"$work/err" </dev/null
  got=$?
  expected_err="quillbary: 无法识别的参数“$named”；用法见 quillbary --help"
  [[ $first_line == - ]] && first_line=
  [[ $named == - ]] && expected_err=
  [[ -n ${usage_error:-} ]] && expected_err="quillbary: $usage_error；用法见 quillbary --help"
  problems=()
  [[ $got == "$status" ]] || problems+=("status $got, not $status.")
  [[ $(head -n 1 "$work/out") == "$first_line" ]] || problems+=("Standard output is not as expected.")
  [[ $(cat "$work/err") == "$expected_err" && $(wc -l <"$work/err") -le 1 ]] ||
    problems+=("Standard error is not: $expected_err")
  report "$name" "${problems[@]}"
done

# An answer that cannot be written is an error, not a silent success.
env -u DISPLAY "$binary" --version >/dev/full 2>"$work/err"
got=$?
if [[ $got == 1 && $(wc -l <"$work/err") == 1 ]]; then echo "ok   full disk"; else
  fail "full disk: status $got"; fi

# The batch commands, in a folder of their own: name @ arguments @ status @
# first line of standard output ("-": none) @ a part of standard error ("-":
# none). The template is written first, and the later rows run on it.
good="借款日期,到期日期,还款日期,起息日期,还款金额,月利率(‰),还款方式"
printf '%s\n2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,5.31,只结利息\n' "$good" >"$work/one.csv"
printf '%s\n2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,1.7E308,只结利息\n' "$good" >"$work/bad-rate.csv"
printf '借款日期,还款金额\n' >"$work/short-header.csv"
batch_rows=(
  "template@--batch-template t.csv@0@已写出模板 t.csv@-"
  "template as XLSX@--batch-template t.xlsx@0@已写出模板 t.xlsx@-"
  "template of another kind@--batch-template t.txt@2@-@.csv 或 .xlsx"
  "batch of the template@--batch t.csv@0@已写出 t-结果.csv@-"
  "batch to a named output@--batch one.csv --output out.csv@0@已写出 out.csv@-"
  "a row with an error@--batch bad-rate.csv@3@已写出 bad-rate-结果.csv@-"
  "header without columns@--batch short-header.csv@2@-@表头缺少列：到期日期"
  "input missing@--batch nowhere.csv@1@-@nowhere.csv"
  "output not writable@--batch one.csv --output no/such/out.csv@1@-@no/such/out.csv"
  "output is the input@--batch one.csv --output one.csv@2@-@不能覆盖输入"
  "batch without a file@--batch@2@-@--batch 后面缺少文件名"
  "output without batch@--output out.csv@2@-@--output 只能与 --batch 同用"
  "batch with another argument@--batch one.csv extra@2@-@“extra”"
)
for row in "${batch_rows[@]}"; do
  IFS='@' read -r name joined status first_line err_part <<<"$row"
  read -r -a args <<<"$joined"
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$binary" \
    "${args[@]}" >"$work/out" 2>"$work/err" </dev/null)
  got=$?
  problems=()
  [[ $got == "$status" ]] || problems+=("status $got, not $status.")
  [[ $first_line == - ]] && first_line=
  [[ $(head -n 1 "$work/out") == "$first_line" ]] || problems+=("Standard output is not as expected.")
  if [[ $err_part == - ]]; then
    [[ ! -s $work/err ]] || problems+=("Standard error is not empty.")
  else
    grep -qF -- "$err_part" "$work/err" || problems+=("Standard error does not say: $err_part")
  fi
  report "$name" "${problems[@]}"
done
# The one row of the template and of one.csv is the worked example.
for result in t-结果.csv out.csv; do
  if grep -qF "利息合计,561.98,人民币伍佰陆拾壹元玖角捌分" "$work/$result"; then echo "ok   $result"; else
    fail "$result lacks the worked example's results"; fi
done
[[ ! -e $work/no ]] || fail "a folder was made for an output that could not be written"

# Each batch run that wrote its output is one entry of the journal, with the
# SHA-256 of the file it wrote; a journal that cannot be opened stops the run
# before anything is written, and --no-journal records nothing.
journal=$work/batch.sqlite3
run() { env -u DISPLAY "$binary" "$@" >"$work/out" 2>"$work/err" </dev/null; }
run --batch "$work/one.csv" --output "$work/recorded.csv" --journal "$journal"
got=$?
run --export-journal "$work/batch-journal.csv" --journal "$journal"
digest=$(sha256sum "$work/recorded.csv" | cut -d' ' -f1)
if [[ $got == 0 ]] && grep -qF "输出文件 SHA-256：$digest" "$work/batch-journal.csv" &&
  grep -qF "输出文件：$work/recorded.csv" "$work/batch-journal.csv"; then
  echo "ok   batch run recorded with its output's digest"
else fail "batch run recorded with its output's digest: status $got"; fi
run --batch "$work/one.csv" --output "$work/unrecorded.csv" --journal "$work/one.csv"
got=$?
if [[ $got == 1 && ! -e $work/unrecorded.csv ]] && grep -qF "无法打开日志" "$work/err"; then
  echo "ok   batch stopped by a journal that cannot be opened"
else fail "batch stopped by a journal that cannot be opened: status $got"; fi
# The entry holds the counts the summary printed, each in its place: one row
# with its dates out of order and two not calculated.
{
  printf '%s\n' "$good" "2009-08-01,2009-07-01,2009-09-30,2009-01-01,10000,5.31,只结利息"
  printf '%s\n' "2009-02-30,2009-07-01,2009-09-30,2009-01-01,1,1,只结利息" \
    "2009-01-01,2009-07-01,2009-09-31,2009-01-01,1,1,只结利息"
} >"$work/mixed.csv"
run --batch "$work/mixed.csv" --output "$work/mixed-out.csv" --journal "$work/mixed.sqlite3"
got=$?
printed=$(sed -n 2p "$work/out")
run --export-journal "$work/mixed-journal.csv" --journal "$work/mixed.sqlite3"
if [[ $got == 3 && $printed == *"日期有误 1 行；未算出 2 行"* ]] &&
  grep -qF "日期有误行数：1" "$work/mixed-journal.csv" &&
  grep -qF "未算出行数：2" "$work/mixed-journal.csv"; then
  echo "ok   batch run recorded with the counts it printed"
else fail "batch run recorded with the counts it printed: status $got, $printed"; fi
run --check-journal
if grep -qF "日志完好：共 3 条" "$work/out"; then echo "ok   default journal holds the batch rows' runs"
else fail "default journal holds the batch rows' runs"; cat "$work/out" "$work/err"; fi
run --batch "$work/one.csv" --output "$work/quiet.csv" --no-journal
run --check-journal
if grep -qF "日志完好：共 3 条" "$work/out"; then echo "ok   --no-journal records nothing"
else fail "--no-journal records nothing"; fi

# Files that must survive a clerk's mistake or a planted name. Each row makes
# its files in a folder of its own, runs the program there, and checks the
# status, a part of standard error, that the file named last kept its bytes,
# and that no temporary is left beside it: name @ set-up @ arguments @
# status @ part of standard error ("-": none) @ file that must keep its bytes.
guard_rows=(
  "output is the journal@:@--batch one.csv --output j.sqlite3 --journal j.sqlite3@1@就是日志@j.sqlite3"
  "output is the journal's log@:@--batch one.csv --output j.sqlite3-wal --journal j.sqlite3@1@就是日志@j.sqlite3-wal"
  "output links to the journal@ln -s j.sqlite3 link.csv@--batch one.csv --output link.csv --journal j.sqlite3@1@就是日志@j.sqlite3"
  "output is a folder@mkdir out.csv@--batch one.csv --output out.csv --journal j.sqlite3@1@是文件夹@j.sqlite3"
  "output is a FIFO@mkfifo out.csv@--batch one.csv --output out.csv --no-journal@1@命名管道@one.csv"
  "output is a device@:@--batch one.csv --output /dev/null --no-journal@1@字符设备@one.csv"
  "output through a link is written through@cp one.csv real.csv && ln -s real.csv out.csv@--batch one.csv --output out.csv --no-journal@0@-@one.csv"
  "template never replaces a sheet@cp one.csv 月末.csv@--batch-template 月末.csv@1@已存在@月末.csv"
  "export beside a planted name@ln -s j.sqlite3 out.csv.part && ln -s j.sqlite3 out.csv.tmp@--export-journal out.csv --journal j.sqlite3@0@-@j.sqlite3"
)
for row in "${guard_rows[@]}"; do
  IFS='@' read -r name setup joined status err_part kept <<<"$row"
  read -r -a args <<<"$joined"
  folder=$(mktemp -d -p "$work")
  cp "$work/one.csv" "$folder/"
  (cd "$folder" && run --batch one.csv --output first.csv --journal j.sqlite3 && eval "$setup")
  before=$(sha256sum "$folder/$kept" 2>/dev/null)
  (cd "$folder" && env -u DISPLAY timeout 20 "$binary" "${args[@]}" >"$work/out" 2>"$work/err" </dev/null)
  got=$?
  problems=()
  [[ $got == "$status" ]] || problems+=("status $got, not $status.")
  if [[ $err_part == - ]]; then
    [[ ! -s $work/err ]] || problems+=("Standard error is not empty.")
  else
    grep -qF -- "$err_part" "$work/err" || problems+=("Standard error does not say: $err_part")
  fi
  [[ $(sha256sum "$folder/$kept" 2>/dev/null) == "$before" ]] || problems+=("$kept changed.")
  ! ls -A "$folder" | grep -q quillbary-part || problems+=("A temporary was left behind.")
  [[ $name != *"through a link"* || -L $folder/out.csv ]] || problems+=("The link is no longer a link.")
  report "$name" "${problems[@]}"
done

# The journal's commands on a missing journal: one line with the path, status
# 3, and no file made.
for command in "--check-journal" "--export-journal $work/journal.csv"; do
  read -r -a args <<<"$command"
  env -u DISPLAY "$binary" "${args[@]}" --journal "$work/missing.sqlite3" >"$work/out" 2>"$work/err"
  got=$?
  if [[ $got == 3 && $(wc -l <"$work/err") == 1 ]] && grep -qF "$work/missing.sqlite3" "$work/err" &&
    [[ ! -e $work/missing.sqlite3 && ! -e $work/journal.csv ]]; then
    echo "ok   ${args[0]} on a missing journal"
  else
    fail "${args[0]} on a missing journal: status $got"; cat "$work/err"
  fi
done

# Each option has its line in --help and is described in the man page.
"$binary" --help >"$work/help"
for option in --help --version --batch --output --batch-template --journal --no-journal --check-journal --export-journal; do
  man_option=${option//-/\\-}
  if grep -qE -- "^  $option( [^ ]+)?  " "$work/help" && grep -qF -- "$man_option" "$man_page"; then
    echo "ok   $option in --help and the man page"
  else
    fail "$option missing from --help or the man page"
  fi
done

[[ $failures == 0 ]]
