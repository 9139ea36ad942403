#!/usr/bin/env bash
# Creates a Wine prefix once (about 15 s); later calls return at once.
set -euo pipefail
prefix=$1
[ -d "$prefix/drive_c" ] && exit 0
mkdir -p "$prefix"
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -w
