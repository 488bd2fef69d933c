"""What the end-to-end checks share: the picture converter of scripts/ and
reading a log that may not exist yet."""

import importlib.util
import os

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
