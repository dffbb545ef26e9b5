#!/usr/bin/env python3
"""The include rule of the source tree: nothing below includes upward, and no
header includes itself again through others.

The floors, lowest first. A file may include files of its own floor and of the
floors below it; on the top floor a class's folder includes only itself (and
the floors below), never another class's folder:

  0  frame/          portable frame: error type, checked arithmetic, seams
  1  frame/com/      COM machinery
  2  frame/win32/    Win32 adapters of the frame's seams
  3  forms/runtime/  the forms runtime, shared by StringFunction and GeneralUtility
  4  strings/ collection/ network/ time/ settings/ forms/   one class family each

frame/com/exports.cpp is the composition root that lists every class: it may
include anything. Tests (tests/, *_test.cpp), benchmarks (bench/) and tools
(packaging/) are outside the floors but take part in the cycle check.

include_rule.py [ROOT]       checks the tree at ROOT (default: this tree)
include_rule.py --self-test  checks that the rule catches planted faults
"""
import os
import re
import sys
import tempfile

FLOORS = [
    ("frame/com/", 1),
    ("frame/win32/", 2),
    ("frame/", 0),
    ("forms/runtime/", 3),
    ("strings/", 4),
    ("collection/", 4),
    ("network/", 4),
    ("time/", 4),
    ("settings/", 4),
    ("forms/", 4),
]
COMPOSITION_ROOT = "frame/com/exports.cpp"
SCANNED = ("frame", "strings", "collection", "network", "time", "settings", "forms", "packaging", "tests", "bench")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def floor_of(path):
    """(prefix, floor) of a source path, or None outside the floors."""
    for prefix, floor in FLOORS:
        if path.startswith(prefix):
            return prefix, floor
    return None


def exempt(path):
    return path == COMPOSITION_ROOT or path.endswith("_test.cpp") or floor_of(path) is None


def source_files(root):
    for top in SCANNED:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith((".h", ".cpp", ".c", ".rc")):
                    full = os.path.join(folder, name)
                    yield os.path.relpath(full, root).replace(os.sep, "/")


def includes(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        return INCLUDE.findall(f.read())


def check(root):
    """The list of faults found in the tree at root."""
    faults = []
    files = set(source_files(root))
    graph = {}
    for path in sorted(files):
        graph[path] = []
        for name in includes(root, path):
            if "/" not in name:
                continue  # a generated header of the build folder, or one beside the file
            if name not in files:
                faults.append(f"{path}: includes {name}, which is not in the tree")
                continue
            graph[path].append(name)
            if exempt(path):
                continue
            (own_prefix, own_floor), target = floor_of(path), floor_of(name)
            if target is None:
                faults.append(f"{path}: includes {name}, outside the floors")
            elif target[1] > own_floor:
                faults.append(f"{path} (floor {own_floor}): includes {name} from floor {target[1]} above")
            elif target[1] == own_floor == 4 and target[0] != own_prefix:
                faults.append(f"{path}: includes {name} from another class's folder")
    faults.extend(cycles(graph))
    return faults


def cycles(graph):
    """One fault per include cycle found by a depth-first walk."""
    faults, state, stack = [], {}, []

    def walk(node):
        state[node] = "open"
        stack.append(node)
        for nxt in graph.get(node, []):
            if state.get(nxt) == "open":
                loop = stack[stack.index(nxt):] + [nxt]
                faults.append("include cycle: " + " -> ".join(loop))
            elif nxt not in state:
                walk(nxt)
        stack.pop()
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            walk(node)
    return faults


def self_test():
    """Plants one fault of each kind in a scratch tree; each must be named."""
    cases = {
        "clean": ({}, None),
        "upward": ({"frame/a.h": '#include "frame/com/b.h"\n', "frame/com/b.h": ""}, "from floor 1 above"),
        "subsystem below frame": ({"frame/a.h": '#include "time/c.h"\n', "time/c.h": ""}, "from floor 4 above"),
        "sideways": ({"network/a.h": '#include "time/c.h"\n', "time/c.h": ""}, "another class's folder"),
        "runtime up to forms": ({"forms/runtime/a.h": '#include "forms/b.h"\n', "forms/b.h": ""}, "from floor 4 above"),
        "cycle": ({"frame/x.h": '#include "frame/y.h"\n', "frame/y.h": '#include "frame/x.h"\n'}, "include cycle"),
        "missing": ({"strings/a.cpp": '#include "strings/gone.h"\n'}, "not in the tree"),
        "outside": ({"frame/a.h": '#include "tests/native/t.h"\n', "tests/native/t.h": ""}, "outside the floors"),
    }
    allowed = {
        "frame/com/exports.cpp": '#include "strings/s.h"\n#include "frame/win32/w.h"\n',
        "strings/s.h": '#include "forms/runtime/r.h"\n#include "frame/com/v.h"\n',
        "forms/runtime/r.h": '#include "frame/win32/w.h"\n',
        "frame/win32/w.h": '#include "frame/com/v.h"\n#include "frame/e.h"\n',
        "frame/com/v.h": '#include "frame/e.h"\n#include "TarnLib_h.h"\n',
        "frame/e.h": "",
        "strings/s_test.cpp": '#include "tests/native/t.h"\n',
        "tests/native/t.h": "",
    }
    failures = 0
    for name, (planted, expected) in cases.items():
        with tempfile.TemporaryDirectory() as root:
            for path, text in {**allowed, **planted}.items():
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                    f.write(text)
            faults = check(root)
            if expected is None and faults:
                print(f"self-test {name}: expected no fault, got {faults}")
                failures += 1
            elif expected is not None and not any(expected in fault for fault in faults):
                print(f"self-test {name}: expected a fault naming '{expected}', got {faults}")
                failures += 1
    print(f"{len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    faults = check(root)
    for fault in faults:
        print(fault)
    print(f"include rule: {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
