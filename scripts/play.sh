#!/usr/bin/env bash
# Plays the game: installs what is missing, builds the optimised tree, draws
# the skin, starts the table server of tools/tableserver (three robots fill
# the other chairs) and the stand-in lobby, which starts KbZn seated at the
# table.
# Everything runs on loopback in a temporary tree; closing the window (or
# Ctrl-C) stops all of it.
#
#   bash scripts/play.sh [options] [-- stand-in lobby options]
#
#   --headless        no window: under a virtual X server (Xvfb), play one
#                     deal with automatic moves, save pictures of the deal,
#                     a trick and the result (and the replay file, if the
#                     client writes one), print where they are and end
#   --out DIR         where the headless run puts its pictures and logs
#                     (default build/run/play/<UTC time>); the client's own
#                     logs, which it writes under $XDG_STATE_HOME/kbzn (a
#                     directory of the run's own when headless), are copied
#                     to DIR/state
#   --build-dir DIR   use the programs already built there (KbZn, table-server,
#                     stand-in-lobby and the skin): no install, no build
#   --client PROGRAM  start this client instead of the build's KbZn (the
#                     end-to-end checks' recording client; with
#                     KBZN_TABLE_TRACE naming a file it traces its table
#                     there, and the headless run waits for its result)
#   --turn-seconds N  a player's turn clock (headless default 1)
#   --seed N          the same cards on every run
#   --wait-start      deals start when the player presses start (by default
#                     they start at once, and again after each result)
#   --timeout S       the headless run gives up after S seconds (300)
#   --server-arg WORD one more word for the table server's command line
#                     (again for each word: --server-arg --banker
#                     --server-arg 3); later options win
#   --until-client-ends
#                     headless: the table server turns the client's link
#                     hostile (give it --hostile); instead of the trick and
#                     the result, a picture of what the client shows a few
#                     seconds after, then the run waits for the client to
#                     end by itself and says how and how long after the
#                     fault it ended
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD

headless=0
out=""
build=""
turn_seconds=""
client=""
seed=""
auto_start=1
timeout=300
until_client_ends=0
extra_server_args=()
lobby_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) headless=1 ;;
    --out) out=$2; shift ;;
    --build-dir) build=$2; shift ;;
    --client) client=$2; shift ;;
    --turn-seconds) turn_seconds=$2; shift ;;
    --seed) seed=$2; shift ;;
    --wait-start) auto_start=0 ;;
    --timeout) timeout=$2; shift ;;
    --server-arg) extra_server_args+=("$2"); shift ;;
    --until-client-ends) until_client_ends=1 ;;
    --) shift; lobby_args=("$@"); break ;;
    -h|--help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    *) echo "play.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

if [ "$headless" = 0 ] && [ -z "${DISPLAY:-}" ]; then
  echo "play.sh: no display to open the window on (DISPLAY is not set); use --headless to play a deal under Xvfb" >&2
  exit 1
fi

if [ -z "$build" ]; then
  bash scripts/deps.sh
  build=build/run
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKBZN_TESTS=OFF -DKBZN_BENCH=OFF "${launcher[@]}" >/dev/null
  cmake --build "$build" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target KbZn client_skin table-server stand-in-lobby
fi
build=$(cd "$build" && pwd)
# The build names where it put the client.
if [ -z "$client" ]; then
  client=$build/game/KbZn
  if [ -s "$build/client-path.txt" ]; then
    client=$(head -n 1 "$build/client-path.txt")
  fi
fi
for program in "$client" "$build/tools/tableserver/table-server" "$build/tools/lobby/stand-in-lobby"; do
  [ -x "$program" ] || { echo "play.sh: $program is not built" >&2; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kbzn-play-XXXXXX")
server_log=$tmp/server.log
lobby_log=$tmp/lobby.log
server_pid=""
lobby_pid=""
xvfb_pid=""
client_pid=""

# Stops what this script started, newest first: the lobby ends the client
# (its own process group) when it goes; the client's group is ended here
# too in case the lobby could not.
stop_all() {
  trap - EXIT INT TERM HUP
  if [ -n "$lobby_pid" ]; then
    [ -n "$client_pid" ] || client_pid=$(pgrep -P "$lobby_pid" 2>/dev/null | head -n 1 || true)
    kill -TERM "$lobby_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$lobby_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$lobby_pid" 2>/dev/null || true
    wait "$lobby_pid" 2>/dev/null || true
  fi
  if [ -n "$client_pid" ] && kill -0 "$client_pid" 2>/dev/null; then
    kill -TERM -- "-$client_pid" 2>/dev/null || true
    sleep 1
    kill -KILL -- "-$client_pid" 2>/dev/null || true
  fi
  for pid in $server_pid $xvfb_pid; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "$out" ] && [ -d "$out" ]; then
    cp "$server_log" "$lobby_log" "$out"/ 2>/dev/null || true
    if [ "$headless" = 1 ] && [ -d "$XDG_STATE_HOME/kbzn" ]; then
      rm -rf "$out/state"
      cp -r "$XDG_STATE_HOME/kbzn" "$out/state" 2>/dev/null || true
    fi
  fi
  rm -rf "$tmp"
}
trap 'stop_all' EXIT
trap 'echo "play.sh: stopping"; exit 130' INT
trap 'exit 143' TERM HUP

# Waits until the file has a line matching the pattern; false after `cap`
# seconds or when the process `pid` ended first.
wait_for_line() {
  local file=$1 pattern=$2 cap=$3 pid=${4:-}
  local end=$((SECONDS + cap))
  while [ $SECONDS -lt $end ]; do
    grep -q -E "$pattern" "$file" 2>/dev/null && return 0
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      grep -q -E "$pattern" "$file" 2>/dev/null && return 0
      return 1
    fi
    sleep 0.2
  done
  return 1
}

if [ "$headless" = 1 ]; then
  [ -n "$out" ] || out=$root_dir/build/run/play/$(date -u +%Y%m%d-%H%M%S)
  mkdir -p "$out"
  out=$(cd "$out" && pwd)
  # A display, a desktop channel and no sound device of our own: nothing
  # here meets another run of this or another program.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_for_line "$tmp/display" '^[0-9]+' 20 "$xvfb_pid" || { echo "play.sh: Xvfb did not start" >&2; exit 1; }
  DISPLAY=:$(head -n 1 "$tmp/display")
  export DISPLAY
  mkdir -m 700 "$tmp/runtime"
  export XDG_RUNTIME_DIR=$tmp/runtime
  # The client's run log and daily log, copied to the output at the end.
  export XDG_STATE_HOME=$tmp/state
  export SDL_AUDIODRIVER=dummy
fi

server_args=(--listen 127.0.0.1:0 --auto-start "$auto_start")
[ -z "$seed" ] || server_args+=(--seed "$seed")
if [ "$headless" = 1 ]; then
  # One deal at a brisk pace; the links stay open so the result stays on
  # the screen for its picture.
  server_args+=(--deals 1 --keep-open 1 --turn-seconds "${turn_seconds:-1}" --grace 0
    --robot-delay 150 --deal-show 2000)
elif [ -n "$turn_seconds" ]; then
  server_args+=(--turn-seconds "$turn_seconds")
fi
server_args+=("${extra_server_args[@]}")
"$build/tools/tableserver/table-server" "${server_args[@]}" >"$server_log" 2>&1 &
server_pid=$!
if ! wait_for_line "$server_log" '^listening on ' 20 "$server_pid"; then
  echo "play.sh: the table server did not start:" >&2
  cat "$server_log" >&2
  exit 1
fi
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$server_log" | head -n 1)

mkdir "$tmp/lobby"
# The table server keeps table 1 (shown as the second); the lobby sends the
# same number unless told otherwise.
"$build/tools/lobby/stand-in-lobby" --client "$client" --server "127.0.0.1:$port" --root "$tmp/lobby" \
  --timeout 86400 --table 1 "${lobby_args[@]}" >"$lobby_log" 2>&1 </dev/null &
lobby_pid=$!
if wait_for_line "$lobby_log" '^lobby window ' 20 "$lobby_pid"; then
  client_pid=$(pgrep -P "$lobby_pid" 2>/dev/null | head -n 1 || true)
fi

if [ "$headless" = 0 ]; then
  state_home=${XDG_STATE_HOME:-}
  [[ "$state_home" == /* ]] || state_home=$HOME/.local/state
  echo "play.sh: table server on 127.0.0.1:$port, logs in $tmp (the client's in $state_home/kbzn); close the window or press Ctrl-C to stop"
  status=0
  wait "$lobby_pid" || status=$?
  lobby_pid=""
  [ "$status" = 0 ] || { echo "play.sh: the stand-in lobby ended with $status:" >&2; tail -n 20 "$lobby_log" >&2; }
  exit "$status"
fi

# ---- Headless: one deal, watched through the table server's log ----------

# Saves what the screen shows as <out>/<name>.png.
shot() {
  local name=$1
  if xwd -root -silent -display "$DISPLAY" >"$tmp/$name.xwd" \
      && python3 scripts/xwd2png.py "$tmp/$name.xwd" "$out/$name.png"; then
    echo "play.sh: picture $out/$name.png"
  else
    echo "play.sh: no picture $name" >&2
  fi
  rm -f "$tmp/$name.xwd"
}

fail() {
  echo "play.sh: $1" >&2
  echo "--- table server" >&2; tail -n 15 "$server_log" >&2
  echo "--- lobby and client" >&2; tail -n 15 "$lobby_log" >&2
  exit 1
}

user=$(printf '%s\n' "${lobby_args[@]}" | grep -A1 -x -- '--user' | tail -n 1 || true)
[[ "$user" =~ ^[0-9]+$ ]] || user=10001
deadline=$((SECONDS + timeout))
left() { local n=$((deadline - SECONDS)); [ $n -gt 0 ] && echo $n || echo 1; }

wait_for_line "$server_log" "^chair [0-3]: user $user sits down" "$(left)" "$lobby_pid" \
  || fail "the client did not sit down at the table"
seat=$(grep -m1 -E "^chair [0-3]: user $user sits down" "$server_log")
chair=${seat:6:1}
echo "play.sh: the client is seated ($seat)"
wait_for_line "$server_log" '^deal 1 starts' "$(left)" "$lobby_pid" || fail "no deal started"
sleep 1.5 # the cards being dealt
shot 1-deal

if [ "$until_client_ends" = 1 ]; then
  wait_for_line "$server_log" '^hostile: ' "$(left)" "$server_pid" || fail "the server's link never turned hostile"
  echo "play.sh: $(grep -m1 '^hostile: ' "$server_log")"
  hostile_at=$SECONDS
  sleep 3 # the client takes it in and says so
  shot 4-hostile
  # The stand-in lobby ends with the client: 0 after its close notice.
  end=$((SECONDS + $(left)))
  while kill -0 "$lobby_pid" 2>/dev/null; do
    [ $SECONDS -lt $end ] || fail "the client did not end by itself within the run's time-out"
    sleep 0.2
  done
  status=0
  wait "$lobby_pid" || status=$?
  lobby_pid=""
  client_pid=""
  echo "play.sh: the client ended by itself $((SECONDS - hostile_at)) s after the fault (the stand-in lobby ended with $status)"
  echo "play.sh: pictures and logs in $out"
  exit 0
fi
# The client's second turn: the others' plays of the trick are on the table.
end=$((SECONDS + $(left)))
while [ "$(sed -n '/^deal 1 starts/,$p' "$server_log" | grep -c "^turn: chair $chair\$")" -lt 2 ]; do
  grep -q '^deal 1 over' "$server_log" && break
  if [ $SECONDS -ge $end ] || ! kill -0 "$lobby_pid" 2>/dev/null; then fail "the deal did not go on"; fi
  sleep 0.1
done
sleep 0.3
shot 2-trick
wait_for_line "$server_log" '^deal 1 over' "$(left)" "$lobby_pid" || fail "the deal did not end"
if [ -n "${KBZN_TABLE_TRACE:-}" ]; then
  # A client that traces its table (the recording client) says when it
  # has taken the result.
  wait_for_line "$KBZN_TABLE_TRACE" '^settled 1:' 30 "$lobby_pid" || echo "play.sh: the client traced no result" >&2
fi
sleep 2 # the result board
shot 3-result

find "$tmp/lobby" -name '*.qhrep' -exec cp {} "$out"/ \; 2>/dev/null || true
replays=$(find "$out" -maxdepth 1 -name '*.qhrep' | wc -l)
moves=$(grep '^client moves: ' "$server_log" | tail -n 1 || true)
echo "play.sh: one deal played; ${moves:-the client sent no moves (the turn clock played for it)}"
if [ "$replays" -gt 0 ]; then
  echo "play.sh: replay file(s) in $out"
else
  echo "play.sh: the client wrote no replay file"
fi
echo "play.sh: pictures and logs in $out"
