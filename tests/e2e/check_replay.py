#!/usr/bin/env python3
"""A replay end to end: a deal played against the table server by the
recording client (KbZn with the room's recording option obeyed, the room
switching it on), the replay file it wrote, and that file played back by
KbZn itself under a virtual X server:

- the recording client wrote one ".qhrep" file and announced it;
- KbZn started with the file opens it (the table with the recorded hands,
  the replay panel) and, once play is pressed, plays the deal: the table
  changes as the records play;
- seeking to the end of the bar and playing on shows the deal's end;
- the open button lists the replay, and picking it opens it again;
- the file type KbZn registered opens the file with the lobby's replay
  player (through GIO, as a file manager would, when the desktop tools are
  there); a stand-in for that player in the lobby's directory starts KbZn
  with the file;
- no sanitizer report, and every picture shows something.

    check_replay.py --build-dir DIR --out DIR [--timeout S]

Pictures land in the output directory: 4-opened, 5-playing, 6-sought,
7-end, 8-open-list, 9-reopened and 10-opened-by-type; the recorded deal's
own (1-3, from the play script) in its "record" folder.
"""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from e2e_support import SOURCE, CheckRun, Display, check_args, load_xwd2png, read
TITLE = "觅友"
# The replay panel's controls in the window, as the table view places the
# panel (centred on the table) in the window the client opens on this
# check's 1280x1024 screen: the play button and the far end of the
# progress bar.
PLAY_BUTTON = (304, 520)
BAR_END = (608, 520)
# The open button, and the first line of the list of replay files it pops
# up above itself.
OPEN_BUTTON = (684, 520)
FIRST_LISTED = (601, 482)

# The presses, each with its wait, its picture and what it means when the
# picture is the one before:
# - play plays the deal on from the first record;
# - a press on the bar seeks there, paused; play then plays the last
#   records: the deal's end and its result;
# - the open button lists the replays of the folder the file came from;
#   picking the one listed opens it again from its start.
PRESSES = (
    (PLAY_BUTTON, 8, "5-playing", "pressing play changed nothing on the table"),
    (BAR_END, 2, "6-sought", None),
    (PLAY_BUTTON, 6, "7-end", "playing on from the end of the bar changed nothing"),
    (OPEN_BUTTON, 2, "8-open-list", "the open button showed no list"),
    (FIRST_LISTED, 3, "9-reopened", "picking the listed replay changed nothing"),
)




class Check(CheckRun):
    def __init__(self, build, out, timeout):
        super().__init__(build, out, timeout)
        self.xwd2png = load_xwd2png()
        path_file = os.path.join(self.build, "client-path.txt")
        if os.path.exists(path_file):
            self.client = read(path_file).splitlines()[0]
        self.recorder = os.path.join(os.path.dirname(self.client), "recording-client")

    # ---- the recorded deal ------------------------------------------------

    def record(self):
        """Plays one deal with the recording client; the replay's path."""
        record_out = os.path.join(self.out, "record")
        shutil.rmtree(record_out, ignore_errors=True)
        command = ["bash", os.path.join(SOURCE, "scripts", "play.sh"), "--headless", "--build-dir", self.build,
                   "--client", self.recorder, "--out", record_out, "--seed", "7", "--timeout", str(self.timeout),
                   "--", "--options", "0,0,0x20000"]
        state_home = tempfile.mkdtemp(prefix="kbzn-state-")
        env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:abort_on_error=1", XDG_STATE_HOME=state_home)
        try:
            result = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                    errors="replace", timeout=self.timeout + 60)
            output, code = result.stdout, result.returncode
        except subprocess.TimeoutExpired as expired:
            output, code = expired.stdout or "", "time-out"
        finally:
            shutil.rmtree(state_home, ignore_errors=True)
        print(output)
        if code != 0:
            self.fail("the recorded deal: play.sh ended with %s" % code)
        replays = sorted(glob.glob(os.path.join(record_out, "*.qhrep")))
        if len(replays) != 1:
            self.fail("the recording client wrote %d replay files, not one" % len(replays))
            return None
        lobby = read(os.path.join(record_out, "lobby.log"))
        if "Sanitizer" in lobby:
            self.fail("a sanitizer report from the recording client (lobby.log)")
        return replays[0]

    # ---- playback ---------------------------------------------------------

    def environment(self, display, tmp):
        env = dict(os.environ)
        env.update({
            "DISPLAY": display.name,
            "XDG_RUNTIME_DIR": os.path.join(tmp, "runtime"),
            "XDG_DATA_HOME": os.path.join(tmp, "data"),
            "XDG_CONFIG_HOME": os.path.join(tmp, "config"),
            "XDG_STATE_HOME": os.path.join(tmp, "state"),
            "KBZN_SYSTEM_DIR": os.path.join(tmp, "system"),
            "SDL_AUDIODRIVER": "dummy",
            "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=1",
        })
        for key in ("XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "KBZN_SYSTEM_DIR"):
            os.makedirs(env[key], mode=0o700, exist_ok=True)
        # The lobby's directory, named by the system file, with the lobby's
        # replay player in it: the program the client registers as the
        # opener of replay files. The lobby's own player is outside this
        # system; this stand-in hands the file to the client.
        hall = os.path.join(tmp, "hall")
        os.makedirs(hall, exist_ok=True)
        with open(os.path.join(env["KBZN_SYSTEM_DIR"], "runo.ini"), "w") as f:
            f.write("[SYSTEM]\r\nExePath=%s\r\n" % os.path.join(hall, "DozeDova"))
        player = os.path.join(hall, "Zovudave.exe")
        with open(player, "w") as f:
            f.write('#!/bin/sh\nexec "%s" "$@"\n' % self.client)
        os.chmod(player, 0o755)
        return env

    def shot(self, env, name):
        dump = os.path.join(self.out, name + ".xwd")
        png = os.path.join(self.out, name + ".png")
        with open(dump, "wb") as f:
            subprocess.run(["xwd", "-root", "-silent"], env=env, stdout=f, check=False)
        try:
            self.xwd2png.main(["xwd2png.py", dump, png])
        except SystemExit:
            pass
        os.remove(dump)
        if not os.path.exists(png):
            self.fail("no picture %s" % name)
            return None
        if self.xwd2png.colour_count(png) < self.xwd2png.MIN_COLOURS:
            self.fail("picture %s is blank" % name)
        print("check_replay: picture %s" % png)
        with open(png, "rb") as f:
            return f.read()

    @staticmethod
    def window(env, cap=30):
        """The client's window (its id), waiting for it to show: the visible
        window that bears the replay's title."""
        end = time.time() + cap
        while time.time() < end:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            for window in found.stdout.split():
                name = subprocess.run(["xdotool", "getwindowname", window], env=env, stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL, text=True, errors="replace").stdout.strip()
                if name == TITLE:
                    return window
            time.sleep(0.3)
        return None

    @staticmethod
    def click(env, window, point):
        subprocess.run(["xdotool", "mousemove", "--window", window, str(point[0]), str(point[1]), "click", "1"],
                       env=env, check=False)

    def stop(self, process, log, what):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                self.fail("%s did not end when asked" % what)
        elif process.returncode != 0:
            self.fail("%s ended by itself with %d" % (what, process.returncode))
        text = read(log)
        if "Sanitizer" in text or "runtime error" in text:
            self.fail("a sanitizer report from %s:\n%s" % (what, text[-3000:]))

    def play_back(self, replay, env):
        log = os.path.join(self.out, "playback.log")
        with open(log, "w") as f:
            client = subprocess.Popen([self.client, replay], env=env, stdout=f, stderr=subprocess.STDOUT,
                                      start_new_session=True)
        try:
            window = self.window(env)
            if not window:
                self.fail("KbZn showed no window for the replay")
                return
            time.sleep(3)
            before = self.shot(env, "4-opened")
            for point, wait, name, unchanged in PRESSES:
                self.click(env, window, point)
                time.sleep(wait)
                after = self.shot(env, name)
                if unchanged and before and after and before == after:
                    self.fail(unchanged)
                before = after
        finally:
            self.stop(client, log, "KbZn playing the replay")

    def open_by_type(self, replay, env):
        """The desktop's way: GIO finds the type KbZn registered at its
        start (in the same data directory) and starts KbZn with the file."""
        if not shutil.which("gio") or not shutil.which("update-mime-database"):
            print("check_replay: no gio or update-mime-database here; the file type's opening is not checked")
            return
        mime = subprocess.run(["gio", "info", "--attributes=standard::content-type", replay], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
        if not re.search(r"content-type: \S*qhrep|content-type: application/x-", mime):
            self.fail("the desktop does not know the replay file's type:\n" + mime)
        log = os.path.join(self.out, "opened-by-type.log")
        with open(log, "w") as f:
            opener = subprocess.Popen(["gio", "open", replay], env=env, stdout=f, stderr=subprocess.STDOUT)
        opener.wait(timeout=60)
        window = self.window(env)
        if not window:
            self.fail("opening the replay file by its type started no KbZn window")
        else:
            time.sleep(3)
            self.shot(env, "10-opened-by-type")
        pid = subprocess.run(["xdotool", "getwindowpid", window], env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True).stdout.strip() if window else ""
        if pid.isdigit():
            os.kill(int(pid), 15)

    def run(self):
        os.makedirs(self.out, exist_ok=True)
        for name in glob.glob(os.path.join(self.out, "*.png")):
            os.remove(name)
        for program in (self.client, self.recorder):
            if not os.access(program, os.X_OK):
                self.fail("%s is not built" % program)
                return 1
        replay = self.record()
        if replay:
            tmp = tempfile.mkdtemp(prefix="kbzn-replay-")
            display = Display(tmp)
            try:
                # One desktop for both: the type KbZn registers while
                # playing is the one the second opening finds.
                env = self.environment(display, tmp)
                self.play_back(replay, env)
                self.open_by_type(replay, env)
            finally:
                display.close()
                shutil.rmtree(tmp, ignore_errors=True)
        if self.problems:
            return 1
        print("e2e: a deal recorded, its replay played back by KbZn; pictures in %s" % self.out)
        return 0


def main():
    args = check_args(150)
    return Check(args.build_dir, args.out, args.timeout).run()


if __name__ == "__main__":
    sys.exit(main())
