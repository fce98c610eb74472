#!/bin/bash
# Installs quillbary-*-win64-setup.exe from BUILD_DIR (made there by `cpack`)
# silently under Wine, in a Wine prefix of its own under BUILD_DIR, checks
# what a clerk would find, runs the program, uninstalls it, and checks that
# the uninstaller took the program away and left the journal.
#
#   scripts/windows/installer-test.sh BUILD_DIR [LINUX_PROGRAM]
set -euo pipefail

build=$(realpath "${1:?usage: $0 BUILD_DIR [LINUX_PROGRAM]}")
# The Debian build of the program, whose batch results the Windows one must match.
LINUX_PROGRAM=$(realpath "${2:-build/test/window/quillbary}")
installer=$(ls "$build"/quillbary-*-win64-setup.exe)
zip=${installer%-setup.exe}.zip

# A private Wine: its own prefix and home (Wine links the prefix's Desktop
# to $HOME/Desktop), no Mono or Gecko prompts, no debug chatter.
export WINEPREFIX=$build/wine-installer-test
export HOME=$build/wine-installer-test-home
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

step() { printf '%-60s' "$1"; }
ok() { echo "ok${1:+ ($1)}"; }
fail() { echo "FAILED: $1"; exit 1; }
wait_wine() { "$wineserver" -w; }
# A Windows folder variable (%LOCALAPPDATA%, ...) as a path here.
unix_path() { "$wine" winepath -u "$("$wine" cmd /c echo "%$1%" | tr -d '\r')" 2>/dev/null; }

step "fresh Wine prefix"
rm -rf "$WINEPREFIX" "$HOME"
mkdir -p "$HOME"
"$wine" wineboot -i >/dev/null 2>&1
wait_wine
ok "$WINEPREFIX"

program=$(unix_path LOCALAPPDATA)/Programs/Quillbary
appdata=$(unix_path APPDATA)
start_menu=$appdata/Microsoft/Windows/Start\ Menu/Programs/还款利息计算器
desktop=$(unix_path USERPROFILE)/Desktop
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillbary'
journal=$appdata/quillbary/journal.sqlite3

# The files the zip holds are the files the installer installs.
mapfile -t files < <(unzip -Z1 "$zip" | grep -v '/$' | cut -d/ -f2-)
exe=$program/$(printf '%s\n' "${files[@]}" | grep -m1 '\(^\|/\)quillbary\.exe$')

step "installer runs silently: $(basename "$installer")"
"$wine" "$installer" /S
wait_wine
[[ -d $program ]] || fail "no $program"
ok

step "all ${#files[@]} files of the package installed"
for f in "${files[@]}"; do [[ -f $program/$f ]] || fail "missing $f"; done
ok

# The .lnk file holds its target's full path in ANSI; it must be an
# installed file.
shortcut_to() {
  [[ -f $1 ]] || fail "no shortcut $1"
  local target
  target=$(strings -a "$1" | grep -m1 -i '^[a-z]:\\.*\.exe$') || fail "no target in $1"
  [[ $(realpath "$("$wine" winepath -u "$target" 2>/dev/null)") == $(realpath "$2") ]] ||
    fail "$1 leads to $target"
}

step "Start menu and desktop shortcuts"
shortcut_to "$start_menu/还款利息计算器.lnk" "$exe"
shortcut_to "$start_menu/Uninstall.lnk" "$program/Uninstall.exe"
shortcut_to "$desktop/还款利息计算器.lnk" "$exe"
ok

step "uninstall entry for the current user, named in Chinese"
"$wine" reg query "$uninstall_key" /v DisplayName >/dev/null 2>&1 || fail "no $uninstall_key"
# Wine keeps the value as UTF-16 escapes: 还款利息计算器, not a 32-bit
# installer's question marks.
grep -qF '"DisplayName"="\x8fd8\x6b3e\x5229\x606f\x8ba1\x7b97\x5668"' "$WINEPREFIX/user.reg" ||
  fail "DisplayName is not 还款利息计算器"
ok

step "quillbary.exe --version"
version=$("$wine" "$exe" --version | tr -d '\r')
[[ $version == "quillbary "[0-9]* ]] || fail "printed '$version'"
ok "$version"

# A sheet of the batch tests' kind, run by the installed program and by the
# Debian build ($LINUX_PROGRAM): the result files must be the same bytes. The
# XLSX input is the template the Windows program writes (libxlsxwriter's
# DLL), read back through libzip's.
check_batch_under_wine() {
  step "--batch: the same result bytes as the Debian build"
  local work=$build/installer-test-batch
  rm -rf "$work" && mkdir -p "$work/贷款资料"
  printf '%s\n' "$(cat <<'SHEET'
借款人,借据号,借款日期,到期日期,还款日期,起息日期,还款金额,月利率(‰),还款方式
张三,JK-0001,2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,5.31,只结利息
李四,JK-0002,2008-03-15,2009-03-15,2009-12-31,2008-03-15,"250,000.00",6.1,利随本清
王五,JK-0003,2009-13-01,2009-07-01,2009-09-30,2009-01-01,10000,5.31,只结利息
SHEET
)" >"$work/贷款资料/月末.csv"
  "$LINUX_PROGRAM" --batch "$work/贷款资料/月末.csv" --output "$work/linux.csv" --no-journal >/dev/null || [[ $? == 3 ]]
  "$wine" "$exe" --batch 'Z:'"$work/贷款资料/月末.csv" --output 'Z:'"$work/贷款资料/windows.csv" >/dev/null || [[ $? == 3 ]]
  cmp "$work/linux.csv" "$work/贷款资料/windows.csv" || fail "the CSV results differ"
  "$wine" "$exe" --batch-template 'Z:'"$work/模板.xlsx" >/dev/null
  "$LINUX_PROGRAM" --batch "$work/模板.xlsx" --output "$work/linux-x.csv" --no-journal >/dev/null
  "$wine" "$exe" --batch 'Z:'"$work/模板.xlsx" --output 'Z:'"$work/windows-x.csv" >/dev/null
  cmp "$work/linux-x.csv" "$work/windows-x.csv" || fail "the XLSX template's results differ"
  ok "$(wc -l <"$work/linux.csv") rows"
}
check_journal_under_wine() {
  step "--check-journal on the journal the runs were recorded in"
  [[ -f $journal ]] || fail "no journal at $journal"
  local said
  said=$("$wine" "$exe" --check-journal | tr -d '\r') || fail "$said"
  [[ $said == 日志完好：共\ 2\ 条* ]] || fail "said: $said"
  ok "$said"
}
# The installed program's window on a private display: the worked example
# typed in, calculated, and the statement saved as PDF (Ctrl+S, then the
# file's name in the save dialog), which pdftotext reads back.
check_window_with_xdotool() {
  step "the window computes the worked example and saves its PDF"
  local pdf=$build/installer-test-window/statement.pdf
  rm -rf "$(dirname "$pdf")" && mkdir -p "$(dirname "$pdf")"
  # A Wine started without a display by the steps before would keep showing
  # windows nowhere: this one starts afresh on the private display.
  "$wineserver" -k || true
  export EXE=$exe PDF=$pdf WINE=$wine SHOT=$build/quillbary-under-wine.png
  xvfb-run --auto-servernum --server-args="-screen 0 800x600x24 -noreset" bash -c '
    set -euo pipefail
    "$WINE" "$EXE" &
    window=$(timeout 60 xdotool search --sync --name "^Quillbary\$" | head -n 1)
    sleep 2
    height=$(xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p")
    top=$((height - 22 - 220))
    click() { xdotool mousemove --window "$window" "$1" $((top + $2)) click "${@:3}" 1; sleep 0.3; }
    click 24 49 --repeat 2 --delay 80
    for keys in 20090101 20090701 20090930 20090101 10000 5.31; do
      xdotool type --delay 40 "$keys"; sleep 0.2
      xdotool key Tab
    done
    click 144 151   # 只结利息
    click 264 192   # 开始计算
    sleep 1
    import -window root "$SHOT"
    xdotool key ctrl+s
    timeout 60 xdotool search --sync --name "导出 PDF" >/dev/null
    sleep 2
    import -window root "${SHOT%.png}-save-dialog.png"
    # Wine names a child of the dialog after it too: the dialog is the
    # largest. Its File name box sits 43 px above its bottom edge; Wine`s
    # edit box takes no Ctrl+A, so the proposed name is cleared by hand.
    dialog=$(for w in $(xdotool search --name "导出 PDF"); do
               xdotool getwindowgeometry --shell "$w" | tr "\n" " "; echo
             done | sed "s/WINDOW=\([0-9]*\) X=\([0-9]*\) Y=\([0-9]*\) WIDTH=\([0-9]*\) HEIGHT=\([0-9]*\).*/\4 \5 \2 \3/" |
             sort -n | tail -n 1)
    read -r width height left top <<<"$dialog"
    xdotool mousemove $((left + width * 55 / 100)) $((top + height - 43)) click 1
    sleep 0.3
    xdotool key End shift+Home Delete
    xdotool type --delay 40 "Z:${PDF//\//\\}"
    xdotool key Return
    for _ in $(seq 30); do [[ -s $PDF ]] && break; sleep 1; done
    xdotool key alt+F4 || true
    sleep 1
  ' || true
  # Ended rather than waited for: under Wine a Qt program can wait forever as
  # its DLLs are unloaded (see the README's On Windows).
  "$wineserver" -k || true
  [[ -s $pdf ]] || fail "no PDF at $pdf (screenshot: $SHOT)"
  local text
  text=$(pdftotext -layout "$pdf" -)
  grep -q "561.98" <<<"$text" || fail "the PDF has no 561.98"
  grep -q "伍佰陆拾壹元玖角捌分" <<<"$text" || fail "the PDF has no 伍佰陆拾壹元玖角捌分"
  ok "561.98, 伍佰陆拾壹元玖角捌分; screenshot $SHOT"

  step "the PDF hand-on is in the journal, which is whole"
  local said
  said=$("$wine" "$exe" --check-journal | tr -d '\r') || fail "$said"
  [[ $said == 日志完好：共\ 3\ 条* ]] || fail "said: $said"
  ok "$said"
}
check_batch_under_wine
check_journal_under_wine
check_window_with_xdotool

step "uninstaller runs silently"
mkdir -p "$(dirname "$journal")"
echo "the clerk's journal" >"$journal"
"$wine" "$program/Uninstall.exe" /S
wait_wine
ok

step "program files, shortcuts and uninstall entry removed"
for f in "${files[@]}" Uninstall.exe; do [[ ! -e $program/$f ]] || fail "left $f"; done
[[ ! -e $program ]] || fail "left the folder $program: $(ls -A "$program")"
[[ ! -e $start_menu ]] || fail "left $start_menu"
[[ ! -e $desktop/还款利息计算器.lnk ]] || fail "left the desktop shortcut"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "left $uninstall_key"
ok

step "the journal in %APPDATA%\\quillbary kept"
[[ $(cat "$journal") == "the clerk's journal" ]] || fail "journal gone or changed"
ok

echo "installer test passed"
