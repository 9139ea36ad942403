#!/usr/bin/env bash
# Runs the Windows test programs and the end-to-end scenarios of both Windows builds under
# Wine, on one virtual X display for the whole run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${VELLORY_IN_XVFB:-}" ]; then
  export VELLORY_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
status=0
for build in win32 win64; do
  dir="$root/build/$build"
  "$root/tools/wine-prefix.sh" "$dir/wineprefix"
  echo "== Windows tests ($build) on $DISPLAY"
  (cd "$dir" && WINEPREFIX="$dir/wineprefix" ctest --output-on-failure | grep --line-buffered -vE "^\s*(Start|Test project)|^$") || status=1
  WINEPREFIX="$dir/wineprefix" wineserver -k 2>/dev/null || true
done
exit $status
