#!/usr/bin/env bash
# Creates a Wine prefix once (about 15 s); later calls return at once.
set -euo pipefail
prefix=$1
[ -d "$prefix/drive_c" ] && exit 0
mkdir -p "$prefix"
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$(dirname "$0")/wine.sh" wineboot -i >/dev/null 2>&1
# No window manager runs on the virtual display: let Wine draw captions and frames itself,
# so screenshots show windows as a user sees them.
WINEPREFIX=$prefix WINEDEBUG=-all "$(dirname "$0")/wine.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -w
