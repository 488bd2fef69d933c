#!/usr/bin/env python3
"""The whole system end to end: runs the play script's headless path (the
table server with three robots, the stand-in lobby, KbZn under its own
Xvfb, one deal on a one-second turn clock) with programs already built, and
checks what came of it:

- the client took the lobby's data and sat down at the table (the lobby's
  and the table server's logs);
- a deal started, and ended with its result;
- the pictures of the deal, a trick and the result exist and are not blank;
- the client wrote its run log in its state directory ($XDG_STATE_HOME/kbzn,
  which the script copies to <out>/state), and no log beside itself.

    check_play.py --build-dir DIR --out DIR [--timeout S]

Every wait is for a line in a log, under a generous cap: the script's own
(--timeout), and this one's on top of it.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

from e2e_support import SOURCE, load_xwd2png, read
PICTURES = ("1-deal.png", "2-trick.png", "3-result.png")




def check(out, xwd2png, program_dir, started):
    """The list of what went wrong (empty when all is well)."""
    problems = []
    server = read(os.path.join(out, "server.log"))
    lobby = read(os.path.join(out, "lobby.log"))
    if not re.search(r"^posted 0x9105 \(game ready\)", lobby, re.M):
        problems.append("the client never announced itself to the lobby")
    if not re.search(r"^sent 1 \(init\) .*handled, result 1", lobby, re.M):
        problems.append("the client did not take the lobby's table data")
    if not re.search(r"^links: [1-9]", server, re.M):
        problems.append("the client never connected to the table server")
    if not re.search(r"^chair [0-3]: user 10001 sits down$", server, re.M):
        problems.append("the client did not sit down at the table")
    robots = set(re.findall(r"^chair ([0-3]): robot \d+$", server, re.M))
    if len(robots) < 3:
        problems.append("the other three chairs were not all robots (%s)" % sorted(robots))
    if not re.search(r"^deal 1 starts$", server, re.M):
        problems.append("no deal started")
    if not re.search(r"^deal 1 over$", server, re.M):
        problems.append("the deal did not end")
    if "GameCore Start" not in read(os.path.join(out, "state", "GameRun.log")):
        problems.append("no run log of the client in its state directory")
    for name in os.listdir(program_dir) if os.path.isdir(program_dir) else []:
        path = os.path.join(program_dir, name)
        if re.match(r"^Game(Run|\d{8})\.log$", name) and os.path.getmtime(path) >= started:
            problems.append("the client wrote %s beside itself" % name)
    for name in PICTURES:
        path = os.path.join(out, name)
        if not os.path.exists(path):
            problems.append("no picture %s" % name)
            continue
        try:
            colours = xwd2png.colour_count(path)
        except (OSError, ValueError, xwd2png.DumpError) as error:
            problems.append("%s cannot be read: %s" % (name, error))
            continue
        if colours < xwd2png.MIN_COLOURS:
            problems.append("%s is blank (%d colours)" % (name, colours))
    return problems


def client_dir(build_dir):
    """The directory the build put the client in."""
    try:
        with open(os.path.join(build_dir, "client-path.txt")) as f:
            return os.path.dirname(f.readline().strip())
    except OSError:
        return os.path.join(build_dir, "game")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--timeout", type=int, default=150)
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    for name in PICTURES + ("server.log", "lobby.log"):
        if os.path.exists(os.path.join(out, name)):
            os.remove(os.path.join(out, name))
    shutil.rmtree(os.path.join(out, "state"), ignore_errors=True)
    started = time.time() - 1
    command = ["bash", os.path.join(SOURCE, "scripts", "play.sh"), "--headless", "--build-dir", args.build_dir,
               "--out", out, "--seed", "7", "--timeout", str(args.timeout)]
    # The sanitizer build's programs are stopped by signals at the end:
    # their leak report at exit says nothing then.
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:abort_on_error=1")
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
    problems = check(out, load_xwd2png(), client_dir(args.build_dir), started)
    if code != 0:
        problems.insert(0, "play.sh ended with %s" % code)
    for problem in problems:
        print("FAILED: " + problem)
    if problems:
        for name in ("server.log", "lobby.log"):
            print("--- %s\n%s" % (name, read(os.path.join(out, name))[-3000:]))
        return 1
    print("e2e: seated, one deal played, pictures in %s" % out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
