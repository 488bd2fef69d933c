"""What the end-to-end checks share: the picture converter of scripts/,
reading a log that may not exist yet, finding the client's own logs, a
virtual X server of their own, and a check's arguments and its list of
problems."""

import argparse
import glob
import importlib.util
import os
import subprocess

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# What a sanitizer or a failed check of the runtime writes to stderr.
SANITIZER_MARKS = ("Sanitizer", "runtime error:", "LeakSanitizer")


def load_xwd2png():
    spec = importlib.util.spec_from_file_location("xwd2png", os.path.join(SOURCE, "scripts", "xwd2png.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def read(path):
    """The file's text, or "" when it cannot be read."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def sanitizer_report(text):
    """Whether the text holds a sanitizer's report."""
    return any(mark in text for mark in SANITIZER_MARKS)


def client_log_dirs(client, copied=None):
    """Where the client's run log (GameRun.log) and daily logs
    (Game<date>.log) may be, the first place first: $XDG_STATE_HOME/kbzn
    (by default ~/.local/state/kbzn); `copied`, a copy of a state directory
    the run made its own (the headless play script may copy its client's
    there); then beside the program, where clients wrote them before."""
    state = os.environ.get("XDG_STATE_HOME") or os.path.join(os.path.expanduser("~"), ".local", "state")
    dirs = [os.path.join(state, "kbzn")]
    if copied:
        dirs.append(copied)
    return dirs + [os.path.dirname(os.path.abspath(client))]


def client_log_files(client, copied=None):
    """The client's log files in the first of its places that holds any."""
    for folder in client_log_dirs(client, copied):
        found = sorted(glob.glob(os.path.join(folder, "Game*.log")))
        if found:
            return found
    return []


class ClientLogs:
    """The client's logs as one run leaves them. Logs beside the program
    are shared by every run of it, so mark() notes how long each file is
    before the run and text() reads only what came after."""

    def __init__(self, client, copied=None):
        self.client = client
        self.copied = copied
        self.sizes = {}

    def mark(self):
        self.sizes = {}
        for folder in client_log_dirs(self.client, self.copied):
            for path in glob.glob(os.path.join(folder, "Game*.log")):
                try:
                    self.sizes[path] = os.path.getsize(path)
                except OSError:
                    pass

    def text(self):
        """What the run added to the client's logs (GBK text, decoded)."""
        parts = []
        for path in client_log_files(self.client, self.copied):
            start = self.sizes.get(path, 0)
            if os.path.basename(path) == "GameRun.log":
                start = 0  # restarted by every run
            try:
                with open(path, "rb") as f:
                    f.seek(start)
                    parts.append(f.read().decode("gb18030", errors="replace"))
            except OSError:
                pass
        return "\n".join(parts)


class Display:
    """An Xvfb of our own with a runtime directory, stopped on exit."""

    def __init__(self, tmp, screen="1280x1024x24"):
        self.tmp = tmp
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number.isdigit():
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=20)


def check_args(timeout):
    """The arguments every check takes: the build, where its logs and
    pictures go, and how long it may wait (`timeout` seconds by default)."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--timeout", type=int, default=timeout)
    return parser.parse_args()


class CheckRun:
    """One check's run: the build's client, where the run writes, and the
    problems found, each printed as it is found."""

    def __init__(self, build, out, timeout):
        self.build = os.path.abspath(build)
        self.out = os.path.abspath(out)
        self.timeout = timeout
        self.problems = []
        self.client = os.path.join(self.build, "game", "KbZn")

    def fail(self, text):
        print("FAILED: " + text)
        self.problems.append(text)
