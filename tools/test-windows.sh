#!/usr/bin/env bash
# Runs the Windows test programs and the end-to-end scenarios of both Windows builds under
# Wine, on one virtual X display for the whole run (the 32-bit build runs a part of the
# scenarios, see tests/e2e/CMakeLists.txt). A host that runs no 32-bit code tests the 64-bit
# build only (the 32-bit program's size is still checked); the builds whose tests ran are
# written to build/windows-tested for make's closing line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/ia32.sh"
if [ -z "${VELLORY_IN_XVFB:-}" ]; then
  export VELLORY_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
status=0
tested=()
quiet() { grep --line-buffered -vE "^\s*(Start|Test project)|^$"; }
for build in win32 win64; do
  dir="$root/build/$build"
  if [ "$build" = win32 ] && [ "$VELLORY_IA32" != 1 ]; then
    if ! vellory_kernel_runs_ia32; then why="the kernel runs no 32-bit code (IA-32 emulation off)"
    elif [ ! -x /usr/lib/wine/wine ]; then why="wine32 is not installed"
    else why="VELLORY_IA32=0 asks for the 64-bit way"; fi
    echo "== Windows tests (win32) skipped: $why; the 64-bit build runs every Windows test and scenario"
    (cd "$dir" && ctest --output-on-failure -R '^program_size$' | quiet) || status=1
    continue
  fi
  "$root/tools/wine-prefix.sh" "$dir/wineprefix"
  echo "== Windows tests ($build) on $DISPLAY"
  (cd "$dir" && WINEPREFIX="$dir/wineprefix" ctest --output-on-failure | quiet) || status=1
  WINEPREFIX="$dir/wineprefix" wineserver -k 2>/dev/null || true
  tested+=("$build")
done
echo "${tested[*]}" >"$root/build/windows-tested"
exit $status
