#!/usr/bin/env bash
# Makes the .deb from the build folder, as `cpack` does there, into a
# temporary folder and checks it as Debian's tools would: lintian with no
# error and no warning, every icon size a square PNG with alpha, and every
# font the window draws with named in Depends.
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

# The package that holds each face the window and its page ask for first, as
# this machine has it, must be a dependency of its own (not only an
# alternative), so that a clean install draws with the same faces.
depends=$(dpkg-deb -f "$deb" Depends)
for face in "EB Garamond" "AR PL SungtiL GB" "DejaVu Serif"; do
  file=$(fc-match -f '%{file}' "$face")
  package=$(dpkg -S "$file" 2>/dev/null | cut -d: -f1 | head -n1)
  if [[ -n $package ]] && tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ *$//' | grep -qx "$package"; then
    echo "ok   $face from $package"
  else
    failures=$((failures + 1)); echo "FAIL $face (${package:-no package for $file}) not in Depends: $depends"
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
