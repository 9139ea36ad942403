#!/usr/bin/env bash
# The one way this project calls Wine: `tools/wine.sh PROGRAM [ARGS...]`, where PROGRAM is a
# Windows program or one of Wine's own (wineboot, reg, cmd.exe). Debian's wrapper where the
# host runs 32-bit code; Wine's 64-bit loader where it does not (tools/ia32.sh decides).
set -euo pipefail
. "$(dirname "$0")/ia32.sh"
if [ "$VELLORY_IA32" = 1 ]; then
  exec wine "$@"
fi
export WINELOADER=/usr/lib/wine/wine64
exec /usr/lib/wine/wine64 "$@"
