#!/bin/sh
# Runs a Windows program under Wine with the DLL folders FOLDERS (Unix paths,
# separated by colons) on its search path; quiet, and never offering to
# install Mono or Gecko.
# usage: wine-run.sh WINE64 FOLDERS PROGRAM [ARGUMENT...]
wine=$1 folders=$2
shift 2
WINEPATH="Z:$(printf '%s' "$folders" | sed 's|:/|;Z:/|g')"
export WINEPATH
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$wine" "$@"
