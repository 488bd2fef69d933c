#!/usr/bin/env bash
# Runs the client as the lobby starts it: the stand-in lobby of tools/lobby lays
# out the lobby's files, starts KbZn with the lobby's argument, sends the
# table's data and answers the client, against the scripted game server of
# tools/scripted on this machine (installs what is missing and builds first).
# Arguments after the script go to the stand-in lobby (see its --help).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DKBZN_TESTS=OFF -DKBZN_BENCH=OFF
cmake --build build/run -j "$(nproc)" --target KbZn scripted-server stand-in-lobby

build/run/tools/scripted/scripted-server tools/scripted/demo/server.script &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
sleep 0.5

client=build/run/game/KbZn
[ -s build/run/client-path.txt ] && client=$(head -n 1 build/run/client-path.txt)
run=(build/run/tools/lobby/stand-in-lobby --client "$client" --server 127.0.0.1:21534
  --timeout 86400 "$@")
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  echo "no display: running under Xvfb"
  xvfb-run -a "${run[@]}"
else
  "${run[@]}"
fi
