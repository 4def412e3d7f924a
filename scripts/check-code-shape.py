#!/usr/bin/env python3
"""Fails when the code outgrows its shape: a source file over its line limit, or an include
cycle between the project's own files.

    scripts/check-code-shape.py [SOURCE_DIR]

Limits: 600 lines for any C++ or QML file under src/, tools/, bench/ and tests/; 400 under
src/map/, whose files are split by concern."""
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
            limit = 400 if rel.startswith("src/map/") else 600
            if lines > limit and rel in KNOWN_OVER:
                notes.append(f"{rel}: {lines} lines (limit {limit}; known, to be split)")
            elif lines > limit:
                problems.append(f"{rel}: {lines} lines (limit {limit})")
            elif rel in KNOWN_OVER:
                problems.append(f"{rel}: now {lines} lines, within its limit: drop it from KNOWN_OVER")
            if name.endswith((".h", ".hpp", ".cpp")):
                files[rel] = re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M)

# Includes are resolved by file name, as the build's include folders make every subsystem's
# headers reachable by bare name.
by_name = {}
for rel in files:
    by_name.setdefault(os.path.basename(rel), []).append(rel)
graph = {rel: [t for inc in incs for t in by_name.get(os.path.basename(inc), []) if t != rel]
         for rel, incs in files.items()}

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
