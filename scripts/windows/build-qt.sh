#!/usr/bin/env bash
# Builds Qt's qtbase for 64-bit Windows with mingw-w64, from Debian 12's own
# source package (the same version as qt6-base-dev, whose moc/rcc/uic serve as
# the host tools), and installs it into DEST. The build folder goes under
# WORK_PARENT (default: DEST's parent) and is removed after success.
# About 30 minutes on 2 cores; needs about 3 GB of room for the build.
# The packages it needs are installed by scripts/setup.sh windows:
# qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix cmake ninja-build perl.
# usage: scripts/windows/build-qt.sh DEST [WORK_PARENT]
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 DEST [WORK_PARENT]" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/debian-source.sh"

mkdir -p "$1"
dest=$(cd "$1" && pwd)
parent=${2:-$(dirname "$dest")}
mkdir -p "$parent"
work=$(mktemp -d "$parent/build-qt.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The source package, fetched through a private apt list (debian-source.sh).
version=$(debian_source_version qt6-base-dev)
tarball=$(debian_source_fetch qt6-base "$version" "$work")
src=$(debian_source_unpack "$tarball" "$work/src")

cat >"$work/mingw.cmake" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $dest)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN
mkdir "$work/build" && cd "$work/build"
# Debian's tarball lacks src/3rdparty/{sqlite,iaccessible2,wintab}: no Qt SQL,
# no tablet events. The program needs neither: it links SQLite itself.
"$src/configure" -prefix "$dest" -release -opensource -confirm-license \
  -xplatform win32-g++ -qt-host-path /usr -nomake examples -nomake tests \
  -no-opengl -no-dbus -no-icu -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml \
  -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-doubleconversion \
  -no-feature-tabletevent -no-feature-vulkan \
  -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build . --parallel 2
cmake --install .
echo "installed Qt $version for Windows into $dest: Qt6Core/Gui/Widgets/PrintSupport/Test," \
  "platforms qwindows/qoffscreen/qminimal/qdirect2d, style windowsvista"
