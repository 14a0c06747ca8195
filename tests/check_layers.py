#!/usr/bin/env python3
"""Fails on any include that runs back up the layers of src/core or src/gui.

Each table lists a tree's folders from the bottom up; folders on one line are side by side and
include neither each other nor anything above them. Files directly in a tree's root stand on
top of it. A tree never includes a tree that is not below it (the core never includes gui/).

Usage: check_layers.py SRC_DIR
"""
import pathlib
import re
import sys

# Bottom first.
CORE_LAYERS = [
    ["reference"],
    ["chart", "output"],
    ["settings"],
    ["persons"],
    ["search"],
    ["results"],
    ["app"],
]
GUI_LAYERS = [
    ["common"],
    ["windows", "settings", "persons", "search", "results"],
    ["app"],
]
# Trees bottom first: each may include the trees before it.
TREES = [("core", CORE_LAYERS), ("gui", GUI_LAYERS)]

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def level_of(layers, folder):
    for level, folders in enumerate(layers):
        if folder in folders:
            return level
    return None


def problems_of(src):
    problems = []
    tree_names = [name for name, _ in TREES]
    for tree_index, (tree, layers) in enumerate(TREES):
        root = src / tree
        for path in sorted(root.rglob("*")):
            if path.suffix not in (".h", ".cpp") or not path.is_file():
                continue
            parts = path.relative_to(root).parts
            own = parts[0] if len(parts) > 1 else None  # None: the tree's root, on top
            own_level = len(layers) if own is None else level_of(layers, own)
            if own_level is None:
                problems.append(f"{path}: the folder {own} is in no layer of {tree}")
                continue
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1).split("/")
                if target[0] in tree_names and tree_names.index(target[0]) > tree_index:
                    problems.append(f"{path}:{number}: {tree} includes {m.group(1)} of a tree above it")
                    continue
                if target[0] != tree or len(target) < 3:
                    continue
                level = level_of(layers, target[1])
                if level is None:
                    problems.append(f"{path}:{number}: {m.group(1)} is in no layer of {tree}")
                elif target[1] != own and level >= own_level:
                    problems.append(f"{path}:{number}: {own or tree} includes {m.group(1)}, which is not below it")
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    problems = problems_of(pathlib.Path(sys.argv[1]))
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
