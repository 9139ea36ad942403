#!/usr/bin/env bash
# Starts Vellory under Wine on $DISPLAY, or on a virtual X display it starts and names.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The 64-bit program, the main download; it runs on either kind of host.
build=win64
"$root/tools/build.sh" "$build" "${JOBS:-2}"
dir="$root/build/$build"
exe="$dir/shell/Vellory.exe"
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  export DISPLAY=":$n"
  sleep 1
  echo "run: started a virtual X display on $DISPLAY (see it with: x11vnc -display $DISPLAY, or take screenshots with: import -display $DISPLAY -window root shot.png)"
fi
"$root/tools/wine-prefix.sh" "$dir/wineprefix"
echo "run: starting the 64-bit build under Wine on $DISPLAY (prefix $dir/wineprefix)"
"$root/tools/wine-run.sh" "$exe"
