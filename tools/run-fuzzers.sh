#!/usr/bin/env bash
# Runs every fuzz target of a native build for a bounded time, starting from its seed corpus.
set -euo pipefail
build=$1; seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
found=0
for fuzzer in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus"
  cp -n "$root/tests/fuzz/corpus/${name#fuzz_}"/* "$corpus/" 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 "$corpus" >"$build/$name.log" 2>&1 \
    || { tail -n 40 "$build/$name.log"; echo "fuzz: $name FAILED"; exit 1; }
  found=$((found + 1))
done
echo "fuzz: $found targets ran clean"
