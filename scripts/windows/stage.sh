#!/usr/bin/env bash
# The Windows stage of the tests: the whole program cross-built by mingw-w64
# against the libraries and the Qt that `scripts/setup.sh windows` builds (or
# the Qt QUILLBARY_MINGW_QT names), every test run under Wine in a Wine
# folder of the build's own, then the installer made, installed, used and
# uninstalled there (installer-test.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
paths=$(bash scripts/setup.sh windows)
prefix=$(sed -n 's/^prefix: //p' <<<"$paths")
qt=$(sed -n 's/^qt: //p' <<<"$paths")
build=build/windows

unset DISPLAY
export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DQUILLBARY_WINDOWS_PREFIX="$prefix" -DQUILLBARY_MINGW_QT_DIR="$qt" \
  -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
  -DQUILLBARY_GTEST_SOURCE=/usr/src/googletest
cmake --build $build
# The Wine folder is made once, before the tests, so they never wait for it.
# A Wine without 32-bit support says it "failed to open
# ...syswow64\rundll32.exe" then: harmless.
[[ -f $WINEPREFIX/system.reg ]] || /usr/lib/wine/wine64 wineboot --init </dev/null
/usr/lib/wine/wineserver -w
ctest --test-dir $build --output-on-failure --parallel 2 --exclude-regex '^window_' </dev/null
/usr/lib/wine/wineserver -w
# On a private X display: the window's tests draw with Qt's own Windows
# platform there (the offscreen one finds no faces under Wine, and Wine hands
# no QT_ variable on to choose it). Their reports: $build/window-test-reports/.
# A failing program's report is printed, as ctest has none to show.
if ! xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  ctest --test-dir $build --output-on-failure --parallel 2 --tests-regex '^window_' </dev/null; then
  grep -l -e '^FAIL!' -e '^QFATAL' $build/window-test-reports/*.txt | xargs -r cat
  exit 1
fi
/usr/lib/wine/wineserver -w  # no Wine process outlives the tests

(cd $build && cpack >/dev/null)
bash scripts/windows/installer-test.sh $build build/test/window/quillbary
