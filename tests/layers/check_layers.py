#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
"""Checks the source tree's layers: what each folder may include, that no two files include each
other's declarations in a loop, and that no file or folder grows past its share.

Usage: check_layers.py SRC_FOLDER. Prints each breach and exits 1 when there is one."""

import re
import sys
from pathlib import Path

# The folders each folder's files may include from, besides its own. "imaging-face" is the
# headers at the top of imaging/, the only ones a window includes.
WINDOWS = ["app", "viewing", "saving", "thumbnails", "help", "editing", "commands"]
ALLOWED = {
    "core": [],
    "platform": ["core"],
    "nviewlib": ["core", "platform"],
    "sandbox": [],
    "plugins": ["core", "sandbox"],
    "imaging": ["core", "platform", "sandbox", "plugins"],
    "settings": ["core", "platform"],
    "app": ["core", "platform", "settings", "imaging-face"],
    "viewing": ["core", "platform", "settings", "imaging-face", "app"],
    "saving": ["core", "platform", "settings", "imaging-face", "app", "nviewlib"],
    "thumbnails": ["core", "platform", "settings", "imaging-face", "app"],
    "help": ["core", "platform", "settings", "app"],
    "editing": ["core", "platform", "settings", "imaging-face", "app"],
    "commands": ["core", "platform", "settings", "imaging-face"] + WINDOWS,
}
# No picture is decoded in platform/: it includes no decoding library.
DECODING_LIBRARIES = re.compile(
    r"#include *[<\"](jpeglib\.h|turbojpeg\.h|libheif/|jxl/|lcms2\.h|libraw/|tiffio\.h|exiv2/"
    r"|png\.h|seccomp\.h|libwmf/|emf2svg)")
INCLUDE = re.compile(r'^#include "([^"]+)"', re.M)
MOST_LINES = 450
MOST_SHARE = 0.35


def folder_of(include):
    parts = include.split("/")
    if parts[0] == "imaging" and len(parts) == 2:
        return "imaging-face"
    return parts[0]


def check_includes(src, files):
    breaches = []
    for path in files:
        rel = path.relative_to(src)
        top = rel.parts[0] if len(rel.parts) > 1 else None
        text = path.read_text()
        if top == "platform" and DECODING_LIBRARIES.search(text):
            breaches.append(f"{rel}: platform/ includes a decoding library")
        if top is None:
            continue  # main.cpp builds everything
        for include in INCLUDE.findall(text):
            if not (src / include).exists():
                continue  # generated at build time
            target = folder_of(include)
            if target == "imaging-face" and top == "imaging":
                target = "imaging"
            if target == top or target in ALLOWED.get(top, []):
                continue
            breaches.append(f"{rel}: includes {include}, above or beside its layer")
    return breaches


def check_loops(src, files):
    """Units are a header and its source together; a loop is units that reach each other."""
    unit = lambda rel: str(Path(rel).with_suffix(""))
    edges = {}
    for path in files:
        here = unit(path.relative_to(src))
        for include in INCLUDE.findall(path.read_text()):
            there = unit(include)
            if there != here and (src / include).exists():
                edges.setdefault(here, set()).add(there)
    breaches, state = [], {}

    def visit(node, stack):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                breaches.append("include loop: " + " -> ".join(stack[stack.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt, stack)
        stack.pop()
        state[node] = "done"

    for node in sorted(edges):
        if node not in state:
            visit(node, [])
    return breaches


def check_sizes(src, files):
    breaches, per_folder, total = [], {}, 0
    for path in files:
        lines = len(path.read_text().splitlines())
        rel = path.relative_to(src)
        if lines > MOST_LINES:
            breaches.append(f"{rel}: {lines} lines, more than {MOST_LINES}")
        total += lines
        if len(rel.parts) > 1:
            per_folder[rel.parts[0]] = per_folder.get(rel.parts[0], 0) + lines
    for folder, lines in sorted(per_folder.items()):
        if lines > MOST_SHARE * total:
            breaches.append(f"{folder}/: {100 * lines / total:.1f} % of the lines under src/")
    return breaches


def main():
    src = Path(sys.argv[1]).resolve()
    files = sorted(p for p in src.rglob("*") if p.suffix in (".cpp", ".h"))
    unknown = {p.relative_to(src).parts[0] for p in files if len(p.relative_to(src).parts) > 1}
    breaches = [f"{f}/: a folder the layers do not name" for f in sorted(unknown - set(ALLOWED))]
    breaches += check_includes(src, files) + check_loops(src, files) + check_sizes(src, files)
    for breach in breaches:
        print(breach)
    print(f"{len(files)} files checked, {len(breaches)} breaches")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
