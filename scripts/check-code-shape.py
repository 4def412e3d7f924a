#!/usr/bin/env python3
"""Fails when the code outgrows its shape: a source file over its line limit, an include cycle
between the project's own files, or an include that runs against the layers.

    scripts/check-code-shape.py [SOURCE_DIR]

Limits: 600 lines for any C++ or QML file under src/, tools/, bench/ and tests/; 400 under
src/kit/map/, whose files are split by concern.

Layers, lowest first: src/core, src/kit, the app (src/app, src/screens). A file includes headers
of its own layer and those below, never above; a kit QML file never imports the app's module.
Within the core, a folder includes only the folders listed before it in ZELTRIN_CORE_FOLDERS
(src/core/CMakeLists.txt), or itself."""
import os
import re
import sys

root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
dirs = ["src", "tools", "bench", "tests"]
exts = (".h", ".hpp", ".cpp", ".qml")
# Files known to be over their limit, each waiting for its split; reported, not failed on.
# An entry whose file has come within its limit fails, so the list only shrinks.
KNOWN_OVER: set[str] = set()
problems = []
notes = []
files = {}
for d in dirs:
    for base, _, names in os.walk(os.path.join(root, d)):
        for name in names:
            if not name.endswith(exts):
                continue
            path = os.path.join(base, name)
            rel = os.path.relpath(path, root)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            lines = text.count("\n")
            limit = 400 if rel.startswith("src/kit/map/") else 600
            if lines > limit and rel in KNOWN_OVER:
                notes.append(f"{rel}: {lines} lines (limit {limit}; known, to be split)")
            elif lines > limit:
                problems.append(f"{rel}: {lines} lines (limit {limit})")
            elif rel in KNOWN_OVER:
                problems.append(f"{rel}: now {lines} lines, within its limit: drop it from KNOWN_OVER")
            if name.endswith((".h", ".hpp", ".cpp")):
                files[rel] = re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M)
            elif rel.startswith("src/kit/") and re.search(r"^\s*import\s+Zeltrin\s*$", text, re.M):
                problems.append(f"{rel}: imports the app's module Zeltrin from the kit")

# Includes are resolved by file name, as the build's include folders make every subsystem's
# headers reachable by bare name.
by_name = {}
for rel in files:
    by_name.setdefault(os.path.basename(rel), []).append(rel)
graph = {rel: [t for inc in incs for t in by_name.get(os.path.basename(inc), []) if t != rel]
         for rel, incs in files.items()}


def layer(rel):
    """(layer rank, core folder rank) of a file under src/, or None above the app (tools, tests)."""
    parts = rel.split(os.sep)
    if parts[0] != "src" or len(parts) < 3:
        return None
    if parts[1] == "core":
        return (0, core_order.get(parts[2], len(core_order)))
    if parts[1] == "kit":
        return (1, 0)
    return (2, 0)

with open(os.path.join(root, "src", "core", "CMakeLists.txt"), encoding="utf-8") as f:
    m = re.search(r"set\(ZELTRIN_CORE_FOLDERS([^)]*)\)", f.read())
core_order = {name: i for i, name in enumerate(m.group(1).split())} if m else {}
if not m:
    problems.append("src/core/CMakeLists.txt: ZELTRIN_CORE_FOLDERS not found")
for rel, targets in graph.items():
    mine = layer(rel)
    if mine is None:
        continue
    for t in targets:
        theirs = layer(t)
        if theirs is None:
            problems.append(f"{rel}: includes {t}, which is not part of the product")
        elif theirs[0] > mine[0]:
            problems.append(f"{rel}: includes {t} from a layer above")
        elif mine[0] == theirs[0] == 0 and theirs[1] > mine[1]:
            problems.append(f"{rel}: includes {t}, a core folder listed after its own")

state = {}
cycles = []
def visit(node, stack):
    state[node] = 1
    stack.append(node)
    for nxt in graph.get(node, []):
        if state.get(nxt) == 1:
            cycles.append(stack[stack.index(nxt):] + [nxt])
        elif not state.get(nxt):
            visit(nxt, stack)
    stack.pop()
    state[node] = 2

sys.setrecursionlimit(100000)
for node in sorted(graph):
    if not state.get(node):
        visit(node, [])
for c in cycles:
    problems.append("include cycle: " + " -> ".join(c))

for p in notes + problems:
    print(p)
print(f"{len(files)} C++ files checked, {len(problems)} problems")
sys.exit(1 if problems else 0)
