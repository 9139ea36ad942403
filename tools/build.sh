#!/usr/bin/env bash
# Configures and builds one CMake preset, printing one line; the compiler's output goes to a
# log beside the build, and only a failure shows it.
set -euo pipefail
preset=$1; jobs=${2:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
log="build/$preset.log"
mkdir -p build
echo "build: $preset"
if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$jobs"; } >"$log" 2>&1; then
  grep -E "error|Error|warning" "$log" | head -n 40 || tail -n 40 "$log"
  echo "build: $preset FAILED (whole output in $log)"
  exit 1
fi
