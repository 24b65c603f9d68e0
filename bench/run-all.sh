#!/usr/bin/env bash
# Runs every Google Benchmark program built into build/bench (or $ORBIT_BUILD_DIR/bench)
# and then the whole-program scene benchmark script when it exists.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBIT_BUILD_DIR:-$root/build}
found=0
for program in "$build"/bench/*; do
  if [ -f "$program" ] && [ -x "$program" ]; then
    found=1
    echo "== $(basename "$program")"
    "$program" "$@"
  fi
done
if [ "$found" = 0 ]; then
  echo "no benchmark programs in $build/bench: build first (tools/test.sh)" >&2
  exit 1
fi
