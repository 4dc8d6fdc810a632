#!/usr/bin/env python3
"""Checks that the product's includes run one way.

A unit is a header with its source file (x.h and x.cc). No unit may reach
itself through includes (a circle), and the rooms (folders, scan's inner
folders each a room of its own) must form no circle either, so that every
arrow between rooms points the same way. Between the top rooms only these
arrows are allowed: driver to scan, output and graph; scan and output to
graph; all of them to memory.

  layers.py ROOT    exits 1 and names every circle and wrong arrow
"""
import os
import re
import sys

ROOMS = ["driver", "scan", "output", "graph", "memory"]
ALLOWED = {
    "driver": {"scan", "output", "graph", "memory"},
    "scan": {"graph", "memory"},
    "output": {"graph", "memory"},
    "graph": {"memory"},
    "memory": set(),
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def units(root):
    """unit -> set of units it includes, over every product file."""
    deps = {}
    for top in ROOMS:
        for d, _, files in os.walk(os.path.join(root, top)):
            for f in files:
                if not f.endswith((".h", ".cc")):
                    continue
                path = os.path.relpath(os.path.join(d, f), root)
                unit = os.path.splitext(path)[0]
                with open(os.path.join(root, path), encoding="utf-8") as fh:
                    found = INCLUDE.findall(fh.read())
                targets = {os.path.splitext(i)[0] for i in found
                           if os.path.exists(os.path.join(root, i))}
                deps.setdefault(unit, set()).update(targets - {unit})
    return deps


def circles(graph):
    """The strongly connected parts of more than one node (Tarjan, iterative)."""
    index, low, on, stack, out, counter = {}, {}, set(), [], [], [0]
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on.add(start)
        while work:
            node, it = work[-1]
            step = next(it, None)
            if step is None:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[node])
                if low[node] == index[node]:
                    part = []
                    while True:
                        n = stack.pop()
                        on.discard(n)
                        part.append(n)
                        if n == node:
                            break
                    if len(part) > 1:
                        out.append(sorted(part))
            elif step not in index:
                index[step] = low[step] = counter[0]
                counter[0] += 1
                stack.append(step)
                on.add(step)
                work.append((step, iter(sorted(graph.get(step, ())))))
            elif step in on:
                low[node] = min(low[node], index[step])
    return out


def room(unit):
    parts = unit.split("/")
    return "/".join(parts[:2]) if parts[0] == "scan" and len(parts) > 2 else parts[0]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(__file__))
    deps = units(root)
    faults = []
    for part in circles(deps):
        faults.append("circle among files: " + " ".join(part))
    rooms = {}
    for unit, targets in deps.items():
        for t in targets:
            if room(unit) != room(t):
                rooms.setdefault(room(unit), set()).add(room(t))
    for part in circles(rooms):
        arrows = [f"{a} -> {b}" for a in part for b in sorted(rooms[a]) if b in part]
        faults.append("circle among rooms: " + ", ".join(arrows))
    for unit, targets in sorted(deps.items()):
        for t in sorted(targets):
            a, b = unit.split("/")[0], t.split("/")[0]
            if a != b and b not in ALLOWED[a]:
                faults.append(f"back arrow: {unit} includes {t}")
    for f in faults:
        print(f)
    edges = sum(len(t) for t in deps.values())
    print(f"{len(deps)} units, {edges} includes between them, {len(rooms)} rooms with arrows: "
          + ("no circle, no back arrow" if not faults else f"{len(faults)} faults"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
