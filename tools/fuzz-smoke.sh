#!/usr/bin/env bash
# Builds every fuzz harness with clang + libFuzzer + ASan/UBSan and runs each
# for a short time (ORBIT_FUZZ_SECONDS, default 30) from its seeds. The harness
# list and seed folders are in fuzz/smoke.list.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBIT_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${ORBIT_FUZZ_SECONDS:-30}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORBIT_LIBFUZZER=ON -DORBIT_SANITIZE=ON -DORBIT_BUILD_GUI=OFF -DORBIT_BUILD_TESTS=OFF -DORBIT_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)" --target all

status=0
while read -r harness seeds; do
  case "$harness" in ''|'#'*) continue ;; esac
  corpus=$(mktemp -d)
  if [ -d "$root/$seeds" ]; then
    find "$root/$seeds" -type f -size -1M -exec cp {} "$corpus"/ \;
  fi
  echo "== $harness for ${seconds}s"
  if ! "$build/fuzz/$harness" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" 2>&1 | tail -5; then
    status=1
  fi
  rm -rf "$corpus"
done < "$root/fuzz/smoke.list"
exit $status
