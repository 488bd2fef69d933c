#!/usr/bin/env bash
# Builds an optimised tree and runs every benchmark program (or those named).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKBZN_TESTS=OFF
cmake --build build/bench -j "$(nproc)"
if [ $# -gt 0 ]; then
  programs=("$@")
else
  mapfile -t programs < <(find build/bench/bench -type f -perm -u+x -name 'bench_*' | sort)
fi
for p in "${programs[@]}"; do
  [ -x "$p" ] || p=$(find build/bench/bench -type f -name "$p" | head -n 1)
  echo "== $p"
  "$p" --benchmark_min_time=0.5
done
