#!/usr/bin/env python3
"""scripts/check-layers.py on small source trees of two layers, low beneath
high (high/sub a layer of its own above both), and a tests folder on top.

Each case writes one include into one file and expects the check to fail
naming that file, or to pass. The dependency mode is run on a real Ninja
build of such a tree, so that it reads what the compiler found."""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"

CMAKE_LISTS = "set(KBZN_FOLDERS\n    low high high/sub)\n"


def make_tree(root, files):
    (root / "CMakeLists.txt").write_text(CMAKE_LISTS)
    base = {
        "low/Low.h": "#pragma once\ninline int Low() { return 1; }\n",
        "high/High.h": "#pragma once\ninline int High() { return 2; }\n",
        "high/sub/Sub.h": "#pragma once\ninline int Sub() { return 3; }\n",
        "tests/Helper.h": "#pragma once\ninline int Helper() { return 4; }\n",
    }
    base.update(files)
    for name, text in base.items():
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)


def run(root, *extra):
    return subprocess.run([sys.executable, str(SCRIPT), "--root", str(root), *extra],
                          capture_output=True, text=True)


class SourceScan(unittest.TestCase):
    # (case, file, its text, whether the check must fail)
    CASES = [
        ("angle brackets", "low/A.cpp", "#include <high/High.h>\n", True),
        ("quotes from the root", "low/A.cpp", '#include "high/High.h"\n', True),
        ("dot-dot beside the file", "low/A.cpp", '#include "../high/High.h"\n', True),
        ("dot-dot from a subfolder", "low/deep/A.cpp", '#include "../../high/High.h"\n', True),
        ("header in a subfolder", "low/deep/A.h", "#include <high/High.h>\n", True),
        ("other extension", "low/A.inl", '#  include "high/High.h"\n', True),
        ("layer nested in a layer", "high/A.cpp", "#include <high/sub/Sub.h>\n", True),
        ("the tests' folder", "low/A.cpp", '#include "tests/Helper.h"\n', True),
        ("a header not there yet", "low/A.cpp", "#include <high/Missing.h>\n", True),
        ("downward", "high/A.cpp", '#include <low/Low.h>\n#include "../low/Low.h"\n', False),
        ("own folder, quoted beside", "high/sub/A.cpp", '#include "Sub.h"\n#include "../High.h"\n', False),
        ("system headers", "low/A.cpp", "#include <vector>\n#include <sys/types.h>\n", False),
        ("tests include anything", "tests/T.cpp", "#include <high/sub/Sub.h>\n", False),
    ]

    def test_cases(self):
        for case, name, text, fails in self.CASES:
            with self.subTest(case), tempfile.TemporaryDirectory() as tmp:
                root = pathlib.Path(tmp)
                make_tree(root, {name: text})
                result = run(root)
                self.assertEqual(result.returncode, 1 if fails else 0, result.stderr)
                if fails:
                    self.assertIn(name + ":", result.stderr)


@unittest.skipUnless(shutil.which("ninja") and shutil.which("c++"), "needs ninja and a compiler")
class DependencyScan(unittest.TestCase):
    def build(self, root, sources):
        """Compiles sources with the compiler's dependency files, as the
        CMake build does; returns the build tree."""
        build = root / "build"
        build.mkdir()
        lines = ["rule cxx",
                 f"  command = c++ -MD -MF $out.d -I{root} -c $in -o $out",
                 "  depfile = $out.d", "  deps = gcc"]
        for source in sources:
            lines.append(f"build {source}.o: cxx {root / source}")
        (build / "build.ninja").write_text("\n".join(lines) + "\n")
        subprocess.run(["ninja", "-C", str(build)], check=True, capture_output=True)
        return build

    def test_reads_the_headers_each_object_was_built_with(self):
        with tempfile.TemporaryDirectory() as tmp:
            root = pathlib.Path(tmp)
            # The upward include is made by a macro, which no reading of the
            # text finds, and reached through a header of low's own.
            make_tree(root, {
                "low/Via.h": "#pragma once\n#define HIGH_HEADER <high/High.h>\n#include HIGH_HEADER\n",
                "low/A.cpp": '#include "low/Via.h"\nint A() { return High(); }\n',
                "high/B.cpp": "#include <low/Low.h>\nint B() { return Low(); }\n",
            })
            self.assertEqual(run(root).returncode, 0)
            build = self.build(root, ["low/A.cpp", "high/B.cpp"])
            result = run(root, "--deps", str(build))
            self.assertEqual(result.returncode, 1, result.stdout)
            self.assertIn("low/A.cpp", result.stderr)
            self.assertIn("high/High.h", result.stderr)
            self.assertNotIn("high/B.cpp", result.stderr)

    def test_downward_build_passes_and_an_empty_one_fails(self):
        with tempfile.TemporaryDirectory() as tmp:
            root = pathlib.Path(tmp)
            make_tree(root, {"high/B.cpp": "#include <low/Low.h>\nint B() { return Low(); }\n"})
            build = self.build(root, ["high/B.cpp"])
            result = run(root, "--deps", str(build))
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertIn("1 objects", result.stdout)
            os.remove(build / ".ninja_deps")
            self.assertEqual(run(root, "--deps", str(build)).returncode, 1)


if __name__ == "__main__":
    unittest.main()
