#!/usr/bin/env bash
# Runs one libFuzzer target for N seconds over a scratch copy of its seed
# corpus:  scripts/fuzz.sh <target> [seconds] [extra libFuzzer flags...]
# New crashes land in build/fuzz/artifacts; add the input to fuzz/corpus/<target>
# once fixed so the test command replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh <target> [seconds]}
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))

bash scripts/deps.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKBZN_FUZZ=ON
cmake --build build/fuzz --target "$target"

work=build/fuzz/corpus-$target
mkdir -p "$work" build/fuzz/artifacts
cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan-system.supp}
bin=$(find build/fuzz -type f -name "$target" -perm -u+x | head -n 1)
"$bin" "$work" -max_total_time="$seconds" -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1 "$@"
