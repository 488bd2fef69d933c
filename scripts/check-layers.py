#!/usr/bin/env python3
"""Fails when a library's source includes a header of a library above it.

The order of the layers is the one CMakeLists.txt gives in KBZN_FOLDERS
(bottom first): a file may include headers of its own folder and of the
folders listed before it. Folders not in that list (tests, bench, fuzz)
sit on top and are not checked.
"""
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent


def layer_order():
    text = (root / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"set\(KBZN_FOLDERS\s+([^)]*)\)", text)
    if not match:
        sys.exit("check-layers: KBZN_FOLDERS not found in CMakeLists.txt")
    return match.group(1).split()


def owner(path, layers):
    """The layer a source path or include path belongs to (longest prefix)."""
    best = None
    for layer in layers:
        if path == layer or path.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def main():
    layers = layer_order()
    rank = {layer: i for i, layer in enumerate(layers)}
    include = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
    problems = []
    for layer in layers:
        folder = root / layer
        if not folder.is_dir():
            continue
        for source in sorted(folder.iterdir()):
            if source.suffix not in (".h", ".cpp", ".in") or not source.is_file():
                continue
            relative = source.relative_to(root).as_posix()
            for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                found = include.match(line)
                if not found:
                    continue
                target = owner(found.group(1), layers)
                if target is not None and rank[target] > rank[layer]:
                    problems.append(f"{relative}:{number}: {layer} includes "
                                    f"{found.group(1)} of {target}, a layer above it")
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print("check-layers: the layer order is KBZN_FOLDERS in CMakeLists.txt", file=sys.stderr)
        return 1
    print(f"check-layers: {len(layers)} layers, includes run downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
