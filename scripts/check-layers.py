#!/usr/bin/env python3
"""Fails when a library's source includes a header of a library above it.

The order of the layers is the one CMakeLists.txt gives in KBZN_FOLDERS
(bottom first): a file may include headers of its own folder and of the
folders listed before it. Folders not in that list (tests, bench, fuzz)
sit on top: no library may include them, and their own files are not
checked.

Two ways to look:
  check-layers.py                 reads every file of the layers' folders
                                  (subfolders too, every extension) and
                                  every include form: "..." and <...>,
                                  "../" resolved against the including file.
  check-layers.py --deps BUILD    reads what the compiler itself found: the
                                  headers each object of the Ninja build
                                  tree BUILD was compiled with
                                  (`ninja -C BUILD -t deps`), so that an
                                  include reached through a macro or
                                  another header counts too.
--root DIR checks another source tree than this one's (the script's test).
"""
import argparse
import os
import pathlib
import re
import subprocess
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_order(root):
    text = (root / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"set\(KBZN_FOLDERS\s+([^)]*)\)", text)
    if not match:
        sys.exit("check-layers: KBZN_FOLDERS not found in CMakeLists.txt")
    return match.group(1).split()


class Layers:
    def __init__(self, root):
        self.root = root
        self.order = layer_order(root)
        self.rank = {layer: i for i, layer in enumerate(self.order)}
        # The folders on top of every library: those beside the layers that
        # hold no layer (tests, bench, fuzz...).
        tops = {layer.split("/")[0] for layer in self.order}
        self.above = {entry.name for entry in root.iterdir()
                      if entry.is_dir() and entry.name not in tops
                      and not entry.name.startswith(".") and entry.name != "build"}

    def owner(self, path):
        """The layer a path relative to the root belongs to (longest prefix),
        "above" for a folder on top of every layer, else None."""
        best = None
        for layer in self.order:
            if path == layer or path.startswith(layer + "/"):
                if best is None or len(layer) > len(best):
                    best = layer
        if best is None and path.split("/")[0] in self.above:
            return "above"
        return best

    def level(self, owner):
        return len(self.order) if owner == "above" else self.rank[owner]

    def upward(self, source_layer, target):
        """The message part for an include of target (a path relative to the
        root) from source_layer, or None when it runs downward."""
        target_layer = self.owner(target)
        if target_layer is None or target_layer == source_layer:
            return None
        if self.level(target_layer) <= self.rank[source_layer]:
            return None
        where = ("a folder above every library" if target_layer == "above"
                 else f"{target_layer}, a layer above it")
        return f"{source_layer} includes {target} of {where}"


def relative_to(path, base):
    """path relative to base as a POSIX string, or None when outside it."""
    try:
        return pathlib.PurePath(path).relative_to(base).as_posix()
    except ValueError:
        return None


def resolve(layers, source, form, name):
    """Where an include leads, relative to the root, as the compiler looks:
    a quoted name first beside the including file, then (either form) from
    the include root, which is the source root. A name found nowhere is
    still placed by its text, so a header that is missing or generated
    counts too."""
    root = layers.root
    if form == '"':
        beside = pathlib.Path(os.path.normpath(source.parent / name))
        if beside.is_file() or name.startswith("."):
            found = relative_to(beside, root)
            if found is not None:
                return found
            return None
    return os.path.normpath(name).replace(os.sep, "/")


def scan_sources(layers):
    problems = []
    root = layers.root
    for layer in layers.order:
        folder = root / layer
        if not folder.is_dir():
            continue
        for source in sorted(folder.rglob("*")):
            if not source.is_file():
                continue
            relative = source.relative_to(root).as_posix()
            # A file of a deeper layer is checked as that layer's.
            if layers.owner(relative) != layer:
                continue
            text = source.read_text(encoding="utf-8", errors="replace")
            for number, line in enumerate(text.splitlines(), 1):
                found = INCLUDE.match(line)
                if not found:
                    continue
                target = resolve(layers, source, found.group(1), found.group(2))
                if target is None:
                    continue
                problem = layers.upward(layer, target)
                if problem:
                    problems.append(f"{relative}:{number}: {problem}")
    return problems


def read_deps(build):
    """{object: [dependency, ...]} from Ninja's log of the compiler's
    dependency files; the first dependency of an object is its source."""
    result = subprocess.run(["ninja", "-C", str(build), "-t", "deps"],
                            capture_output=True, text=True, check=True)
    objects = {}
    current = None
    for line in result.stdout.splitlines():
        if not line.strip():
            current = None
        elif not line[0].isspace():
            current = line.split(":", 1)[0]
            objects[current] = []
        elif current is not None:
            objects[current].append(line.strip())
    return objects


def scan_deps(layers, build):
    build = pathlib.Path(os.path.abspath(build))
    root = pathlib.Path(os.path.realpath(layers.root))

    def place(dependency):
        """A dependency relative to the root, a generated file by its place
        in the build tree; None for files outside both (system headers)."""
        path = pathlib.Path(os.path.normpath(build / dependency))
        generated = relative_to(path, build)
        if generated is not None:
            return generated
        return relative_to(os.path.realpath(path), root)

    problems = []
    checked = 0
    for obj, dependencies in read_deps(build).items():
        if not dependencies:
            continue
        source = place(dependencies[0])
        layer = layers.owner(source) if source else None
        if layer is None or layer == "above":
            continue
        checked += 1
        for dependency in dependencies[1:]:
            target = place(dependency)
            if target is None:
                continue
            problem = layers.upward(layer, target)
            if problem:
                problems.append(f"{source} (object {obj}): {problem}")
    if checked == 0:
        problems.append(f"no object of a layer in the dependencies of {build}: "
                        "is it a Ninja build tree that was built?")
    return problems, checked


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--deps", metavar="BUILD",
                        help="check the headers the compiler read for each object of this Ninja build tree")
    parser.add_argument("--root", help="the source tree (by default this script's)")
    args = parser.parse_args()
    root = pathlib.Path(args.root).resolve() if args.root else \
        pathlib.Path(__file__).resolve().parent.parent
    layers = Layers(root)
    if args.deps:
        problems, checked = scan_deps(layers, args.deps)
        done = f"check-layers: {checked} objects, the headers they were compiled with run downward"
    else:
        problems = scan_sources(layers)
        done = f"check-layers: {len(layers.order)} layers, includes run downward"
    for problem in sorted(set(problems)):
        print(problem, file=sys.stderr)
    if problems:
        print("check-layers: the layer order is KBZN_FOLDERS in CMakeLists.txt", file=sys.stderr)
        return 1
    print(done)
    return 0


if __name__ == "__main__":
    sys.exit(main())
