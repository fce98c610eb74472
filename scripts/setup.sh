#!/usr/bin/env bash
# Installs with apt-get whatever this Debian 12 machine lacks for building and
# running the program ("build"), for building it and running every test
# ("test"), or for building and running the benchmarks ("bench"). Installs
# nothing when nothing is missing.
# "windows" installs the cross tools for a 64-bit Windows build, then builds
# once, into ${QUILLBARY_WINDOWS_CACHE:-~/.cache/quillbary/windows}, the
# libraries and the Qt that build links (scripts/windows/build-deps.sh), and
# prints where they are.
# usage: scripts/setup.sh build|test|bench|windows
set -euo pipefail

build_packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev
  libzip-dev libexpat1-dev libxlsxwriter-dev   # the batch files: XLSX read and written
  qt6-translations-l10n   # Qt's own texts (menus, calendar, boxes) in Chinese
  fonts-noto-cjk      # the Chinese captions
  fonts-ebgaramond    # the face of the total
  fonts-arphic-gbsn00lp  # the statement's PDF: a Song face whose text pdftotext reads back
  fonts-dejavu-core
  xvfb xauth          # scripts/run.sh --virtual, on a machine without a display
  libsqlite3-dev nettle-dev libxlsxwriter-dev  # the journal: SQLite, SHA-256, XLSX export
  libpqxx-dev         # the branch's PostgreSQL database (libpqxx over libpq)
)
test_packages=(
  "${build_packages[@]}"
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev              # the sanitizer build and the fuzzers
  xvfb xauth xdotool x11-utils          # the installed program, started on a private display
  appstream desktop-file-utils dpkg-dev file lintian   # checks of the desktop files and the .deb
  poppler-utils                         # the exported statement read back (pdftotext, pdfinfo)
  python3-openpyxl                      # the batch's XLSX output read back
  sqlite3                               # the journal's backup and check commands the README gives
  libxcb1-dev libx11-dev libxcb-damage0-dev   # the benchmark programs, built (not run) with the tests
  g++-mingw-w64-x86-64-posix wine64 googletest   # the core's tests as a Windows program, under Wine
  postgresql-15 postgresql-client-15    # the branch's tests start a server of their own (initdb, pg_ctl)
)
bench_packages=(
  "${build_packages[@]}"
  libbenchmark-dev                      # the core's timings
  libxcb1-dev libx11-dev libxcb-damage0-dev   # the helper that times the window's mapping and first paint
  xvfb                                  # the private display the windows are measured on
  time                                  # bench/batch.sh: peak memory and time of a run
  postgresql-15 postgresql-client-15 sqlite3   # bench/branch.sh: a server of its own
)
windows_packages=(
  g++-mingw-w64-x86-64-posix wine64 nsis libz-mingw-w64-dev   # the compiler, a test run, the installer, zlib
  dpkg-dev xz-utils                     # apt-get source: fetching and unpacking Debian's source packages
  m4 tcl make                           # GMP's configure; SQLite's amalgamation is made with tclsh
  cmake ninja-build pkg-config perl     # libzip, libxlsxwriter and Qt are built with CMake
  qt6-base-dev qt6-base-dev-tools       # moc, rcc, uic: the host tools of a Windows Qt
  xvfb xauth xdotool imagemagick        # the window under Wine: its tests, typed into, a screenshot
  poppler-utils unzip binutils          # the installer's check: the PDF's text, the zip's list, the shortcuts
)

case "${1:-}" in
  build) wanted=("${build_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  bench) wanted=("${bench_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  *) echo "usage: $0 build|test|bench|windows" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed; then
    missing+=("$package")
  fi
done

install_missing() {
  [[ ${#missing[@]} -eq 0 ]] && return 0
  local as_root=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Run as root, or install sudo, to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install_missing

if [[ $1 == windows ]]; then
  exec bash "$(dirname "${BASH_SOURCE[0]}")/windows/build-deps.sh"
fi
