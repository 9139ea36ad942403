#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix of the build that holds it, so CTest,
# the end-to-end driver and `make run` never touch ~/.wine.
set -euo pipefail
exe=$1; shift
dir=$(cd "$(dirname "$exe")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
export WINEPREFIX=${WINEPREFIX:-$dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
[ -d "$WINEPREFIX/drive_c" ] || "$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
exec "$(dirname "$0")/wine.sh" "$exe" "$@"
