#!/usr/bin/env python3
"""Reports include circles between units and between top-level folders.

A unit is a header and its source file taken together (glyphs/bitmap.h + glyphs/bitmap.cpp),
so a header that only declares what its source needs still counts when the source reaches
back. Folders are the first path component (glyphs, platform, editor, ...); tests, bench and
fuzz sit outside the program and are left out.

usage: scripts/include_cycles.py [ROOT] [FOLDER...]
With FOLDER arguments, only circles that involve a unit of those folders are reported.
Exits 1 when it reports any circle.
"""
import os
import re
import sys
from collections import defaultdict

SKIP = {"tests", "bench", "fuzz", "build", ".git", "docs"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def units(root):
    graph = defaultdict(set)
    for top in sorted(os.listdir(root)):
        if top in SKIP or top.startswith(".") or top.startswith("build"):
            continue
        base = os.path.join(root, top)
        if not os.path.isdir(base):
            continue
        for folder, _, files in os.walk(base):
            for name in files:
                stem, ext = os.path.splitext(name)
                if ext not in (".h", ".cpp"):
                    continue
                path = os.path.join(folder, name)
                unit = os.path.relpath(os.path.join(folder, stem), root)
                graph[unit]
                with open(path, encoding="utf-8", errors="replace") as f:
                    for target in INCLUDE.findall(f.read()):
                        other = os.path.splitext(target)[0]
                        if os.path.exists(os.path.join(root, target)) and other != unit:
                            graph[unit].add(other)
    return graph


def circles(graph):
    """Strongly connected components of more than one node (Tarjan, iterative)."""
    index, low, on, stack, found = {}, {}, set(), [], []
    counter = [0]
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on.add(start)
        while work:
            node, edges = work[-1]
            advanced = False
            for nxt in edges:
                if nxt not in graph:
                    continue
                if nxt not in index:
                    index[nxt] = low[nxt] = counter[0]
                    counter[0] += 1
                    stack.append(nxt)
                    on.add(nxt)
                    work.append((nxt, iter(sorted(graph[nxt]))))
                    advanced = True
                    break
                if nxt in on:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    only = set(sys.argv[2:])
    graph = units(root)
    folders = defaultdict(set)
    for unit, targets in graph.items():
        for target in targets:
            a, b = unit.split(os.sep)[0], target.split(os.sep)[0]
            if a != b:
                folders[a].add(b)
        folders[unit.split(os.sep)[0]]
    bad = 0
    for component in circles(graph):
        if only and not any(u.split(os.sep)[0] in only for u in component):
            continue
        bad += 1
        print("unit circle:", " <-> ".join(component))
    for component in circles(folders):
        if only and not any(f in only for f in component):
            continue
        bad += 1
        print("folder circle:", " <-> ".join(component))
    print(f"{len(graph)} units in {len(folders)} folders, {bad} circles")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
