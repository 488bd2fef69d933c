#!/usr/bin/env bash
# Builds an optimised tree and runs every benchmark program (or those named).
# bench_client starts the table server, the stand-in lobby and KbZn under
# an Xvfb of its own and takes some minutes; KBZN_BENCH_RUNS (3),
# KBZN_BENCH_START_RUNS (5) and KBZN_BENCH_MEMORY_RUNS (2) set how many
# runs it makes of each figure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKBZN_TESTS=OFF "${launcher[@]}"
cmake --build build/bench -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
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
