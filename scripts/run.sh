#!/usr/bin/env bash
# Runs the client as the lobby would start it, against the scripted game
# server of tools/ on this machine (installs what is missing and builds
# first). Extra arguments replace the lobby's argument.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DKBZN_TESTS=OFF -DKBZN_BENCH=OFF
cmake --build build/run -j "$(nproc)" --target KbZn scripted-server

build/run/tools/scripted-server tools/demo/server.script &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
sleep 0.5

# game id | server host | lobby word | lobby window | word | user id | table |
# chair | looker-on | re-enter | title | server port | room options A, B, C
argument=${1:-"1|127.0.0.1|0|0|0|10001|1|0|0|0|KbZn|21534|4|0|0"}
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  echo "no display: running under Xvfb"
  xvfb-run -a build/run/frame/core/KbZn "$argument"
  exit
fi
build/run/frame/core/KbZn "$argument"
