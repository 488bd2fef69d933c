#!/usr/bin/env python3
"""The whole system end to end: runs the play script's headless path (the
table server with three robots, the stand-in lobby, the client under its
own Xvfb, one deal on a one-second turn clock) with programs already built,
and checks what came of it. The client is the recording client (KbZn with
a trace of what its table shows, see tools/recorder/RecordingClientMain.cpp); its
logs go to a temporary $XDG_STATE_HOME. Where the play script gives the
client a state directory of the run's own and copies it to <out>/state,
the client's run log must be there and none of its logs beside itself.

    check_play.py --build-dir DIR --out DIR [--timeout S] [--scenario NAME]

Scenarios:

- deal (the default): the client took the lobby's data and sat down; a deal
  started and ended; after every move (every trick's end among them) the
  client's table equals the table server's: cards left at each chair, the
  trick's last play, whose turn it is, the banker and, once revealed, the
  friend; at the settlement the score changes add up to zero, and the
  client took the changes the server settled and shows the scores it
  keeps; the pictures of the deal, a trick and the result exist, are not
  blank and differ from one another.
- partner: the client is the banker's hidden friend, seated next to the
  banker (the server picks the deal), and plays automatically (its turn
  clock runs out and it moves for itself, then stays on automatic play):
  it never plays over its partner's standing play, unless the play empties
  its hand; its table and settlement are checked as in the deal.
- hostile-KIND (bad-frame, oversize, drop, stall): mid-deal, at the
  client's turn, the server's link to it turns hostile. The client tells
  the player the link is lost (its log says what it showed), ends by
  itself within its time-outs (the notice's own count-down), sends the
  lobby its close notice, and leaves no sanitizer report. A stall holds
  the link silent past the client's request time-out before the close:
  the client's move is given up at that time-out, without a hang.

Every wait is for a line in a log, under a generous cap: the script's own
(--timeout), and this one's on top of it.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from e2e_support import SOURCE, ClientLogs, client_log_files, load_xwd2png, read, sanitizer_report

PICTURES = ("1-deal.png", "2-trick.png", "3-result.png")
USER = 10001
# The stand-in lobby seats the client here unless told otherwise.
CLIENT_CHAIR = 2
# The partner scenario: the banker at the client's right hand.
PARTNER_BANKER = 3
HOSTILE_KINDS = ("bad-frame", "oversize", "drop", "stall")
# What the client's log says about each fault, besides the lost link (1030:
# its request timed out).
HOSTILE_LOG = {
    "bad-frame": r"frame crc error",
    "oversize": r"packet length error",
    "drop": None,
    "stall": r"ProcoessRequest Faild,ReQuestid:(221080|223000),nResponse:1030",
}
LOST_LINK = r"the link to the game server is lost: \S"
# The client's own time-outs after a fault: its notice counts down 30
# seconds, a request waits 5 and a stall holds the link 8 before it closes;
# with half a minute's margin for a slow machine.
ENDS_WITHIN = 30 + 5 + 8 + 30
STATE = re.compile(r"^state (\d+)\.(\d+)(?: \(chair (\d) (plays|passes)([\d ]*)\))?: (.*)$", re.M)
SETTLED = re.compile(r"^settled (\d+): (.*)$", re.M)


def parse_states(text):
    """The state lines by (deal, move): the move (chair, played ids or None
    for a pass) where the line names it, and the compared part."""
    states = {}
    for m in STATE.finditer(text):
        move = None
        if m.group(3) is not None:
            move = (int(m.group(3)), m.group(5).split() if m.group(4) == "plays" else None)
        states[(int(m.group(1)), int(m.group(2)))] = (move, m.group(6).strip())
    return states


def fields(compared):
    """The compared part's fields: cards, last, turn, banker, friend."""
    out = {}
    for part in compared.split(";"):
        name, _, value = part.strip().partition(" ")
        out[name] = value
    return out


def check_states(server, trace):
    """The client's table against the server's after every move."""
    problems = []
    theirs = parse_states(server)
    ours = parse_states(trace)
    if not theirs:
        return ["the table server printed no state"]
    if not ours:
        return ["the client traced no state"]
    missing = sorted(set(theirs) - set(ours))
    if missing:
        problems.append("the client traced no state after %d of the server's %d moves (first %d.%d)"
                        % (len(missing), len(theirs), *missing[0]))
    extra = sorted(set(ours) - set(theirs))
    if extra:
        problems.append("the client traced moves the server did not make (first %d.%d)" % extra[0])
    last = max(theirs)
    differing = []
    for key in sorted(set(theirs) & set(ours)):
        want = fields(theirs[key][1])
        got = fields(ours[key][1])
        if key == last:
            # The deal's last play ends it: there is no next turn to agree on.
            want.pop("turn", None)
            got.pop("turn", None)
        if want != got:
            differing.append("%d.%d: server %s | client %s" % (key[0], key[1], theirs[key][1], ours[key][1]))
    if differing:
        problems.append("the client's table differs from the server's after %d moves:\n  %s"
                        % (len(differing), "\n  ".join(differing[:8])))
    tricks = sum(1 for _, compared in theirs.values() if fields(compared).get("last") == "-")
    print("check_play: %d moves (%d tricks) compared" % (len(theirs), tricks))
    return problems


def check_settlement(server, trace):
    problems = []
    theirs = dict(SETTLED.findall(server))
    ours = dict(SETTLED.findall(trace))
    if "1" not in theirs:
        return ["the table server settled no deal"]
    changes = re.search(r"score changes (-?\d+) (-?\d+) (-?\d+) (-?\d+)", theirs["1"])
    if not changes:
        problems.append("the server's settlement cannot be read: " + theirs["1"])
    elif sum(int(v) for v in changes.groups()) != 0:
        problems.append("the score changes do not add up to zero: " + theirs["1"])
    if "1" not in ours:
        problems.append("the client traced no settlement")
    elif ours["1"] != theirs["1"]:
        problems.append("the client's settlement differs from the server's:\n  server %s\n  client %s"
                        % (theirs["1"], ours["1"]))
    return problems


def check_pictures(out, xwd2png):
    problems = []
    pixels = {}
    for name in PICTURES:
        path = os.path.join(out, name)
        if not os.path.exists(path):
            problems.append("no picture %s" % name)
            continue
        try:
            colours = xwd2png.colour_count(path)
            pixels[name] = xwd2png.read_png_pixels(path)[3]
        except (OSError, ValueError, xwd2png.DumpError) as error:
            problems.append("%s cannot be read: %s" % (name, error))
            continue
        if colours < xwd2png.MIN_COLOURS:
            problems.append("%s is blank (%d colours)" % (name, colours))
    names = sorted(pixels)
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            if pixels[a] == pixels[b]:
                problems.append("the pictures %s and %s are the same" % (a, b))
    return problems


def check_seated(server, lobby):
    problems = []
    if not re.search(r"^posted 0x9105 \(game ready\)", lobby, re.M):
        problems.append("the client never announced itself to the lobby")
    if not re.search(r"^sent 1 \(init\) .*handled, result 1", lobby, re.M):
        problems.append("the client did not take the lobby's table data")
    if not re.search(r"^links: [1-9]", server, re.M):
        problems.append("the client never connected to the table server")
    if not re.search(r"^chair [0-3]: user %d sits down$" % USER, server, re.M):
        problems.append("the client did not sit down at the table")
    robots = set(re.findall(r"^chair ([0-3]): robot \d+$", server, re.M))
    if len(robots) < 3:
        problems.append("the other three chairs were not all robots (%s)" % sorted(robots))
    if not re.search(r"^deal 1 starts$", server, re.M):
        problems.append("no deal started")
    return problems


def check_partner(server):
    """The client, the banker's friend, never beat the banker's standing
    play with cards left in its hand."""
    problems = []
    states = parse_states(server)
    first = states.get((1, 1))
    if not first or fields(first[1]).get("banker") != str(PARTNER_BANKER):
        problems.append("the deal's banker is not chair %d: %s" % (PARTNER_BANKER, first and first[1]))
    settled = re.search(r"^settled 1: ", server, re.M)
    friend = [fields(c).get("friend") for _, c in states.values() if fields(c).get("friend") not in (None, "-")]
    if friend and friend[0] != str(CLIENT_CHAIR):
        problems.append("the revealed friend is chair %s, not the client's chair %d" % (friend[0], CLIENT_CHAIR))
    moves = re.findall(r"^client moves: (\d+) plays, (\d+) passes$", server, re.M)
    own = [s for s in states.values() if s[0] and s[0][0] == CLIENT_CHAIR]
    sent = sum(int(v) for v in moves[-1]) if moves else 0
    if not own:
        problems.append("the client's chair never moved")
    elif sent != len(own):
        problems.append("the client sent %d of its chair's %d moves itself (the server made the others)"
                        % (sent, len(own)))
    answers = 0
    beaten = []
    for (deal, n), (move, compared) in sorted(states.items()):
        if not move or move[0] != CLIENT_CHAIR:
            continue
        before = states.get((deal, n - 1))
        standing = fields(before[1]).get("last", "-") if before else "-"
        if standing.split(" ")[0] != str(PARTNER_BANKER):
            continue
        answers += 1
        cards_left = fields(compared).get("cards", "").split()
        if move[1] is not None and len(cards_left) == 4 and cards_left[CLIENT_CHAIR] != "0":
            beaten.append("%d.%d: over the banker's %s with %s" % (deal, n, standing, " ".join(move[1])))
    if answers == 0 and settled:
        problems.append("the client never moved over its partner's standing play: the deal checks nothing")
    if beaten:
        problems.append("the client beat its partner, the banker, %d times:\n  %s" % (len(beaten),
                                                                                   "\n  ".join(beaten)))
    print("check_play: the client answered its partner's standing play %d times" % answers)
    return problems


def check_hostile(kind, server, lobby, output, client_log, out, xwd2png):
    problems = []
    if not re.search(r"^hostile: %s to chair %d$" % (re.escape(kind), CLIENT_CHAIR), server, re.M):
        problems.append("the server's link to the client never turned hostile (%s)" % kind)
    ended = re.search(r"^play\.sh: the client ended by itself (\d+) s after the fault "
                      r"\(the stand-in lobby ended with (\d+)\)", output, re.M)
    if not ended:
        problems.append("the client did not end by itself")
    else:
        if int(ended.group(1)) > ENDS_WITHIN:
            problems.append("the client ended %s s after the fault, beyond its time-outs (%d s with a margin)"
                            % (ended.group(1), ENDS_WITHIN))
        if ended.group(2) != "0":
            problems.append("the client ended without its close notice to the lobby (the lobby ended with %s)"
                            % ended.group(2))
    if not re.search(LOST_LINK, client_log):
        problems.append("the client's log does not say the link was lost and what the player was told")
    if HOSTILE_LOG[kind] and not re.search(HOSTILE_LOG[kind], client_log):
        problems.append("the client's log does not name the fault (%s)" % HOSTILE_LOG[kind])
    shown = os.path.join(out, "4-hostile.png")
    dealt = os.path.join(out, "1-deal.png")
    try:
        if xwd2png.read_png_pixels(shown)[3] == xwd2png.read_png_pixels(dealt)[3]:
            problems.append("the screen after the fault is the deal's")
    except (OSError, ValueError, xwd2png.DumpError) as error:
        problems.append("the pictures of the fault cannot be read: %s" % error)
    return problems


def check_log_place(out, client, started):
    """Where the play script gave the client a state directory of the run's
    own (and copied it to <out>/state), the client's run log is there and
    the run left no log beside the program."""
    state = os.path.join(out, "state")
    if not os.path.isdir(state):
        return []
    problems = []
    if "GameCore Start" not in read(os.path.join(state, "GameRun.log")):
        problems.append("no run log of the client in its state directory")
    program_dir = os.path.dirname(os.path.abspath(client))
    for name in os.listdir(program_dir):
        path = os.path.join(program_dir, name)
        if re.match(r"^Game(Run|\d{8})\.log$", name) and os.path.getmtime(path) >= started:
            problems.append("the client wrote %s beside itself" % name)
    return problems


def run_play(args, out, scenario, client, state_home):
    trace = os.path.join(out, "client-trace.txt")
    command = ["bash", os.path.join(SOURCE, "scripts", "play.sh"), "--headless", "--build-dir", args.build_dir,
               "--client", client, "--out", out, "--seed", "7", "--timeout", str(args.timeout)]
    if scenario == "partner":
        # Long grace: the client always moves before the server would.
        command += ["--server-arg", "--banker", "--server-arg", str(PARTNER_BANKER),
                    "--server-arg", "--friend", "--server-arg", str(CLIENT_CHAIR),
                    "--server-arg", "--grace", "--server-arg", "4000"]
    elif scenario.startswith("hostile-"):
        command += ["--until-client-ends", "--server-arg", "--hostile", "--server-arg", scenario[len("hostile-"):],
                    "--server-arg", "--grace", "--server-arg", "3000"]
    command += ["--", "--user", str(USER), "--chair", str(CLIENT_CHAIR)]
    # The sanitizer build's programs are stopped by signals at the end:
    # their leak report at exit says nothing then.
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:abort_on_error=1", KBZN_TABLE_TRACE=trace,
               XDG_STATE_HOME=state_home)
    with subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          errors="replace") as play:
        try:
            output, _ = play.communicate(timeout=args.timeout + 60)
            code = play.returncode
        except subprocess.TimeoutExpired:
            # SIGTERM lets the script stop what it started.
            play.terminate()
            output, _ = play.communicate(timeout=60)
            code = "time-out"
    print(output)
    return output, code, read(trace)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--timeout", type=int, default=150)
    parser.add_argument("--scenario", default="deal",
                        choices=["deal", "partner"] + ["hostile-" + k for k in HOSTILE_KINDS])
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    client_path = os.path.join(args.build_dir, "client-path.txt")
    kbzn = read(client_path).strip() or os.path.join(args.build_dir, "game", "KbZn")
    client = os.path.join(os.path.dirname(kbzn), "recording-client")
    if not os.access(client, os.X_OK):
        print("FAILED: %s is not built" % client)
        return 1

    started = time.time() - 1
    state_home = tempfile.mkdtemp(prefix="kbzn-state-")
    os.environ["XDG_STATE_HOME"] = state_home
    # The play script may give the client a state directory of its run's
    # own and copy it to <out>/state at the end.
    copied = os.path.join(out, "state")
    logs = ClientLogs(client, copied)
    logs.mark()
    try:
        output, code, trace = run_play(args, out, args.scenario, client, state_home)
        client_log = logs.text()
        saved = os.path.join(out, "client-logs")
        os.makedirs(saved, exist_ok=True)
        for path in client_log_files(client, copied):
            shutil.copy(path, saved)
    finally:
        shutil.rmtree(state_home, ignore_errors=True)

    server = read(os.path.join(out, "server.log"))
    lobby = read(os.path.join(out, "lobby.log"))
    xwd2png = load_xwd2png()
    problems = [] if code == 0 else ["play.sh ended with %s" % code]
    problems += check_seated(server, lobby)
    problems += check_log_place(out, client, started)
    if sanitizer_report(lobby):
        problems.append("a sanitizer report from the client (lobby.log)")
    if args.scenario == "deal":
        if not re.search(r"^deal 1 over$", server, re.M):
            problems.append("the deal did not end")
        problems += check_states(server, trace)
        problems += check_settlement(server, trace)
        problems += check_pictures(out, xwd2png)
    elif args.scenario == "partner":
        if not re.search(r"^deal 1 over$", server, re.M):
            problems.append("the deal did not end")
        problems += check_partner(server)
        # Here the client sends its own moves: its table is held against
        # the server's as well.
        problems += check_states(server, trace)
        problems += check_settlement(server, trace)
    else:
        problems += check_hostile(args.scenario[len("hostile-"):], server, lobby, output, client_log, out, xwd2png)

    for problem in problems:
        print("FAILED: " + problem)
    if problems:
        for name in ("server.log", "lobby.log"):
            print("--- %s\n%s" % (name, read(os.path.join(out, name))[-3000:]))
        print("--- the client's logs\n%s" % client_log[-3000:])
        return 1
    print("e2e (%s): checked; pictures and logs in %s" % (args.scenario, out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
