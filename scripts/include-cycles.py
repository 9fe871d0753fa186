#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Folder-level include graph of src/: which folder includes which, and the cycles.

usage: include-cycles.py [--edges]

Each '#include "a/b/file.h"' of a file in src/X/ is an edge X -> a/b when the two
folders differ. Prints the folder cycles (strongly connected groups of more than one
folder) with the includes that close them; --edges also prints every edge with the
number of includes behind it. Exits 1 when there is a cycle.
"""
import os
import re
import sys
from collections import defaultdict

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def graph():
    edges = defaultdict(list)  # (from, to) -> ["file -> header", ...]
    for base, _, names in os.walk(ROOT):
        for name in names:
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(base, name)
            here = os.path.relpath(base, ROOT)
            for inc in INCLUDE.findall(open(path, encoding="utf-8", errors="replace").read()):
                there = os.path.dirname(inc)
                if there and there != here and os.path.exists(os.path.join(ROOT, inc)):
                    edges[(here, there)].append(f"{os.path.relpath(path, ROOT)} -> {inc}")
    return edges


def strongly_connected(nodes, succ):
    index, low, on, stack, groups = {}, {}, set(), [], []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in succ[v]:
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            groups.append(sorted(group))

    for v in sorted(nodes):
        if v not in index:
            visit(v)
    return [g for g in groups if len(g) > 1]


def main(argv):
    edges = graph()
    succ = defaultdict(set)
    nodes = set()
    for a, b in edges:
        succ[a].add(b)
        nodes |= {a, b}
    if "--edges" in argv:
        for (a, b), why in sorted(edges.items()):
            print(f"{a} -> {b}  ({len(why)})")
    groups = strongly_connected(nodes, succ)
    print(f"{len(nodes)} folders, {len(edges)} folder edges, {len(groups)} cycle(s)")
    for g in groups:
        print("cycle: " + ", ".join(g))
        for a in g:
            for b in sorted(succ[a]):
                if b in g:
                    for why in edges[(a, b)]:
                        print(f"  {why}")
    return 1 if groups else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
