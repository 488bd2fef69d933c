"""What the end-to-end checks share: the picture converter of scripts/,
reading a log that may not exist yet, and a virtual X server of their own."""

import importlib.util
import os
import subprocess

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


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
