#!/usr/bin/env bash
# Builds once, for 64-bit Windows with Debian's mingw-w64, the libraries the
# program links, from Debian 12's own source packages (the same releases the
# Linux build uses), and finds or makes a Qt for Windows. Everything lands in
# a cache outside the source tree:
#   CACHE/prefix       include/, lib/ (static libraries and DLL import
#                      libraries), lib/pkgconfig/, bin/ (the DLLs)
#   CACHE/qt6-mingw    Qt for Windows (unless QUILLBARY_MINGW_QT names a folder)
#   CACHE/stamps/      one file per library with the version built
#   CACHE/logs/        the build logs
#   CACHE/sources/     the downloaded source packages
#   CACHE/paths.cmake  QUILLBARY_WINDOWS_PREFIX and QUILLBARY_MINGW_QT_DIR
# A library whose stamp matches is not built again. Prints the two paths a
# build needs.
#
# QUILLBARY_WINDOWS_CACHE  the cache (default ~/.cache/quillbary/windows)
# QUILLBARY_MINGW_QT       a qt6-mingw .tar.xz to unpack into the cache, or a
#                          Qt folder to use as is; unset: Qt is built from
#                          Debian's source (build-qt.sh, about 30 minutes)
# usage: scripts/windows/build-deps.sh   (scripts/setup.sh windows runs it)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/debian-source.sh"

cache=${QUILLBARY_WINDOWS_CACHE:-$HOME/.cache/quillbary/windows}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
prefix=$cache/prefix
host=x86_64-w64-mingw32
toolchain=$here/../../cmake/mingw-w64-x86_64.cmake
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib
# Only our own prefix and the mingw tree, never the build machine's libraries.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig PKG_CONFIG_PATH=
mkdir -p "$prefix"/{include,lib/pkgconfig,bin} "$cache"/{stamps,logs,sources}
# The source indexes are fetched afresh by the first download of a run.
rm -rf "$cache/apt"

work=
log=
cleanup() { [[ -n $work ]] && rm -rf "$work"; return 0; }

# step COMMAND...: runs COMMAND with its output in the current library's log;
# on failure prints the log's tail and stops.
step() {
  if ! "$@" >>"$log" 2>&1; then
    echo "failed: $* (in $PWD); the end of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}

# wanted NAME STAMP: true when NAME has to be built because its stamp differs
# from STAMP; then opens its log and a fresh build folder in the cache.
wanted() {
  local name=$1 stamp=$2
  [[ -f $cache/stamps/$name && $(<"$cache/stamps/$name") == "$stamp" ]] && return 1
  echo "building $name ($stamp) for Windows; log: $cache/logs/$name.log" >&2
  log=$cache/logs/$name.log
  : >"$log"
  work=$cache/build-$name
  rm -rf "$work"
  mkdir -p "$work"
  trap cleanup EXIT
}

# built NAME STAMP: records NAME as built and removes its build folder.
built() {
  printf '%s\n' "$2" >"$cache/stamps/$1"
  cd "$cache"
  cleanup
  work=
}

# unpacked SOURCE_PACKAGE VERSION: fetches and unpacks the upstream tarball
# into the build folder, with Debian's patches; prints the unpacked folder.
unpacked() {
  local tarball src
  tarball=$(debian_source_fetch "$1" "$2" "$cache") || { echo "could not fetch $1 $2" >&2; exit 1; }
  src=$(debian_source_unpack "$tarball" "$work/src") || exit 1
  debian_source_patch "$src" "$tarball" >>"$log" 2>&1 ||
    { echo "Debian's patches to $1 do not apply; the end of $log:" >&2; tail -n 20 "$log" >&2; exit 1; }
  printf '%s\n' "$src"
}

# A .pc file for a library installed by hand.
write_pc() {
  local file=$1 name=$2 description=$3 version=$4 libs=$5 libs_private=${6:-} cflags=${7:-}
  cat >"$prefix/lib/pkgconfig/$file" <<PC
prefix=$prefix
exec_prefix=\${prefix}
libdir=\${exec_prefix}/lib
includedir=\${prefix}/include

Name: $name
Description: $description
Version: $version
Libs: -L\${libdir} $libs
${libs_private:+Libs.private: $libs_private
}Cflags: -I\${includedir}${cflags:+ $cflags}
PC
}

# SQLite as a static library: its amalgamation (sqlite3.c) is generated with
# the build machine's compiler and tclsh, then compiled with mingw's gcc.
build_sqlite() {
  local version stamp src
  version=$(debian_source_version libsqlite3-dev)
  stamp="sqlite3 $version"
  wanted sqlite3 "$stamp" || return 0
  src=$(unpacked sqlite3 "$version")
  mkdir "$work/native" && cd "$work/native"
  step env -u CC -u CXX -u AR -u RANLIB "$src/configure" --disable-tcl
  step env -u CC -u CXX -u AR -u RANLIB make sqlite3.c
  # Serialized by default so that a connection may be used from any thread;
  # the rest as Debian's build: secure delete, column metadata, URI names.
  step "$CC" -O2 -c sqlite3.c -o sqlite3.o -DSQLITE_THREADSAFE=1 -DSQLITE_SECURE_DELETE \
    -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_USE_URI=1 -DSQLITE_ENABLE_DBSTAT_VTAB \
    -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_RTREE=1 \
    -DSQLITE_MAX_SCHEMA_RETRY=25 -DSQLITE_ENABLE_UNLOCK_NOTIFY
  rm -f "$prefix/lib/libsqlite3.a"
  step "$AR" rcs "$prefix/lib/libsqlite3.a" sqlite3.o
  cp sqlite3.h sqlite3ext.h "$prefix/include/"
  local upstream
  upstream=$(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' sqlite3.h)
  write_pc sqlite3.pc SQLite "SQL database engine" "$upstream" -lsqlite3
  built sqlite3 "$stamp"
}

build_gmp() {
  local version stamp src
  version=$(debian_source_version libgmp-dev)
  stamp="gmp $version"
  # This release of GMP installs no gmp.pc (written also for a cache built
  # before this was).
  write_pc gmp.pc GMP "GNU multiple precision arithmetic library" "$(sed -E 's/^[0-9]+://; s/[+-].*//' <<<"$version")" -lgmp
  wanted gmp "$stamp" || return 0
  src=$(unpacked gmp "$version")
  # Debian's tarball has no manual; its configure still lists doc/Makefile.
  if [[ ! -f $src/doc/Makefile.in ]]; then
    mkdir -p "$src/doc"
    printf '%s:\n\t@:\n' all install install-data install-exec uninstall check installcheck \
      clean distclean mostlyclean maintainer-clean distdir >"$src/doc/Makefile.in"
  fi
  mkdir "$work/build" && cd "$work/build"
  step "$src/configure" --host=$host --prefix="$prefix" --enable-static --disable-shared
  step make -j2
  step make install
  built gmp "$stamp"
}

# Nettle and its public-key half, hogweed (Ed25519 and the rest), which is
# built only when GMP is found; rebuilt when GMP is.
build_nettle() {
  local version stamp src
  version=$(debian_source_version nettle-dev)
  stamp="nettle $version, $(<"$cache/stamps/gmp")"
  wanted nettle "$stamp" || return 0
  src=$(unpacked nettle "$version")
  mkdir "$work/build" && cd "$work/build"
  step "$src/configure" --host=$host --prefix="$prefix" --libdir="$prefix/lib" \
    --enable-static --disable-shared --disable-documentation --disable-openssl \
    --with-include-path="$prefix/include" --with-lib-path="$prefix/lib"
  grep -q '^#define WITH_HOGWEED 1' config.h ||
    { echo "nettle: GMP not found, so no hogweed; see $log" >&2; exit 1; }
  # The libraries only: no tools, test programs or examples.
  step make -j2 SUBDIRS=
  step make install SUBDIRS=
  [[ -f $prefix/lib/pkgconfig/hogweed.pc ]] || { echo "nettle: no hogweed.pc installed" >&2; exit 1; }
  built nettle "$stamp"
}

# cmake_configure SOURCE_FOLDER CMAKE_OPTIONS...: configures with CMake and
# the project's mingw toolchain, in the build folder.
cmake_configure() {
  local src=$1
  shift
  mkdir "$work/build" && cd "$work/build"
  step cmake -G Ninja -S "$src" -B . -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib "$@"
}

# cmake_install: builds and installs what cmake_configure configured.
cmake_install() {
  step cmake --build . --parallel 2
  step cmake --install .
}

cmake_build() {
  cmake_configure "$@"
  cmake_install
}

# cmake_dll SOURCE_FOLDER CMAKE_OPTIONS...: a shared library. The GCC runtime
# is linked in, so that the DLL needs only Windows's own DLLs and zlib1.dll
# beside it.
cmake_dll() {
  local src=$1
  shift
  cmake_build "$src" -DBUILD_SHARED_LIBS=ON -DCMAKE_SHARED_LINKER_FLAGS="-static-libgcc" "$@"
}

# expat, static. Debian's upstream tarball is the project's repository (the
# library in its expat/ folder, without a generated configure), so CMake.
build_expat() {
  local version stamp src
  version=$(debian_source_version libexpat1-dev)
  stamp="expat $version"
  wanted expat "$stamp" || return 0
  src=$(unpacked expat "$version")
  [[ -f $src/expat/CMakeLists.txt ]] && src=$src/expat
  cmake_configure "$src" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
    -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_FUZZERS=OFF -DEXPAT_BUILD_PKGCONFIG=ON
  # Debian's security fixes test "#if XML_DTD == 1", as its own (autoconf)
  # build defines it; this release's CMake defines the switches empty.
  sed -i -E 's/^#define (XML_DTD|XML_NS|XML_DEV_URANDOM)$/#define \1 1/' expat_config.h
  cmake_install
  built expat "$stamp"
}

# Debian's mingw zlib: its DLL sits beside the other DLLs, for the ones that
# import it.
install_zlib_dll() {
  cp -u "/usr/$host/lib/zlib1.dll" "$prefix/bin/"
}

# libzip as a DLL, loaded at run time, with zlib only (deflate), no tools.
build_libzip() {
  local version stamp src
  version=$(debian_source_version libzip-dev)
  stamp="libzip $version"
  wanted libzip "$stamp" || return 0
  src=$(unpacked libzip "$version")
  cmake_dll "$src" -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DENABLE_OPENSSL=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
  built libzip "$stamp"
}

# libxlsxwriter as a DLL, loaded at run time, with its bundled minizip and
# MD5 (no OpenSSL).
build_libxlsxwriter() {
  local version stamp src
  version=$(debian_source_version libxlsxwriter-dev)
  stamp="libxlsxwriter $version, UTF-8 file names"
  wanted libxlsxwriter "$stamp" || return 0
  src=$(unpacked libxlsxwriter "$version")
  # Built with MinGW, the library hides _WIN32 from its own file opening and
  # so opens names in the ANSI code page, where a Chinese name is lost. With
  # that undone it takes the path MSVC builds take: the UTF-8 name turned
  # into UTF-16 (MultiByteToWideChar), _wfopen, and minizip's Win32 file
  # functions (iowin32.c, which MinGW builds then need too).
  sed -i '/^#ifdef __MINGW32__$/{N;N;/\n#undef _WIN32\n#endif$/d}' "$src/src/packager.c" "$src/src/utility.c"
  sed -i '/^    if(MSVC)$/{N;s/^    if(MSVC)\(\n *list(APPEND LXW_SOURCES third_party\/minizip\/iowin32.c)\)/    if(WIN32)\1/}' \
    "$src/CMakeLists.txt"
  if grep -q '^#undef _WIN32' "$src/src/packager.c" "$src/src/utility.c" ||
    ! grep -q '^    if(WIN32)$' "$src/CMakeLists.txt"; then
    echo "libxlsxwriter: could not turn on its UTF-8 file names for MinGW" >&2
    exit 1
  fi
  cmake_dll "$src" -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
    -DUSE_SYSTEM_MINIZIP=OFF -DUSE_OPENSSL_MD5=OFF -DUSE_NO_MD5=OFF
  # Its CMake writes the library's ABI number as the version.
  sed -i "s/^Version: .*/Version: ${version%%-*}/" "$prefix/lib/pkgconfig/xlsxwriter.pc"
  built libxlsxwriter "$stamp"
}

# Qt for Windows: a packed qt6-mingw unpacked once (again when the tarball's
# name or size changes), a folder used as is, or a build from Debian's source.
# Prints the Qt folder.
find_qt() {
  local given=${QUILLBARY_MINGW_QT:-}
  if [[ -n $given && -d $given ]]; then
    (cd "$given" && pwd)
    return
  fi
  local stamp_file=$cache/stamps/qt6-mingw
  if [[ -n $given ]]; then
    [[ -f $given ]] || { echo "QUILLBARY_MINGW_QT=$given is neither a file nor a folder" >&2; exit 1; }
    local stamp
    stamp="unpacked $(basename "$given") $(stat -c %s "$given")"
    if [[ ! -f $stamp_file || $(<"$stamp_file") != "$stamp" || ! -d $cache/qt6-mingw ]]; then
      echo "unpacking $given into $cache" >&2
      rm -rf "$cache/qt6-mingw" "$stamp_file"
      tar -xJf "$given" -C "$cache"
      [[ -d $cache/qt6-mingw ]] || { echo "$given has no qt6-mingw folder" >&2; exit 1; }
      printf '%s\n' "$stamp" >"$stamp_file"
    fi
  elif [[ ! -f $stamp_file || ! -d $cache/qt6-mingw ]]; then
    # Whatever Qt is already in the cache serves; only none at all is built.
    echo "building Qt for Windows from Debian's source (about 30 minutes); log: $cache/logs/qt6-mingw.log" >&2
    rm -rf "$cache/qt6-mingw"
    bash "$here/build-qt.sh" "$cache/qt6-mingw" "$cache" >"$cache/logs/qt6-mingw.log" 2>&1 ||
      { echo "the Qt build failed; the end of $cache/logs/qt6-mingw.log:" >&2; tail -n 40 "$cache/logs/qt6-mingw.log" >&2; exit 1; }
    printf 'built %s\n' "$(debian_source_version qt6-base-dev)" >"$stamp_file"
  fi
  printf '%s\n' "$cache/qt6-mingw"
}

build_sqlite
build_gmp
build_nettle
build_expat
install_zlib_dll
build_libzip
build_libxlsxwriter
qt=$(find_qt)
rm -rf "$cache/apt"

cat >"$cache/paths.cmake.new" <<CMAKE
# Where scripts/setup.sh windows put the Windows libraries and Qt.
set(QUILLBARY_WINDOWS_PREFIX "$prefix" CACHE PATH "mingw-w64 libraries: include, lib, lib/pkgconfig, bin")
set(QUILLBARY_MINGW_QT_DIR "$qt" CACHE PATH "Qt for Windows (mingw-w64)")
CMAKE
mv "$cache/paths.cmake.new" "$cache/paths.cmake"
echo "prefix: $prefix"
echo "qt: $qt"
