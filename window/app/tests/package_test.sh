#!/usr/bin/env bash
# Makes the .deb from the build folder, as `cpack` does there, into a
# temporary folder and checks it as Debian's tools would: lintian with no
# error and no warning, and every icon size a square PNG with alpha.
# usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
deb=$(echo "$work"/*.deb)
echo "made $(basename "$deb")"

failures=0
mkdir "$work/tree"
dpkg-deb -x "$deb" "$work/tree"
for size in 16 24 32 48 64 128 256; do
  icon=$work/tree/usr/share/icons/hicolor/${size}x${size}/apps/org.quillbary.quillbary.png
  if [[ -f $icon && $(file -b "$icon") == "PNG image data, $size x $size, 8-bit/color RGBA"* ]]; then
    echo "ok   ${size}x${size} icon"
  else
    failures=$((failures + 1)); echo "FAIL ${size}x${size} icon: $(file -b "$icon" 2>&1)"
  fi
done

# lintian shows its tags (none, when all is well) and fails on an error or a
# warning; as root it also says that root is not recommended, left out here.
lintian_status=0
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$work/lintian.log" || true
if [[ $lintian_status == 0 ]]; then echo "ok   lintian"; else
  failures=$((failures + 1)); echo "FAIL lintian, status $lintian_status"; fi
[[ $failures == 0 ]]
