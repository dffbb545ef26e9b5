#!/usr/bin/env python3
"""Extracts the runnable examples of the documentation.

Convention in the markdown: a fenced block whose info string is `vbscript` or
`jscript` is a complete script; the fenced `output` block that follows it
(blank lines between them allowed, nothing else) is exactly what the script
prints, line by line. Every such script must have its output block. Code in
other fences (`vb` for VBA and VB6, `cpp`, `bat`) is shown, not run.

    doc_examples.py OUTDIR [--only PAGE]... [--except PAGE]...

writes, for each example, OUTDIR/NNN-page-LINE.vbs (or .js) and the same name
with .expected, and prints one line per example: the script's file name and
where it comes from (page:line).
"""

import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
DOCS = ROOT / "docs"
FENCE = re.compile(r"^```(\S*)\s*$")
RUNNABLE = {"vbscript": ".vbs", "jscript": ".js"}


def blocks(text):
    """(info string, first line number of the body, body lines, line after the block) of each fenced block."""
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m:
            i += 1
            continue
        start = i
        i += 1
        while i < len(lines) and lines[i] != "```":
            i += 1
        if i == len(lines):
            raise SystemExit(f"unclosed fence at line {start + 1}")
        yield m.group(1), start + 2, lines[start + 1:i], i + 1
        i += 1


def examples(path):
    """(language, line, script lines, expected lines) of each runnable example of a page."""
    found = list(blocks(path.read_text(encoding="utf-8")))
    lines = path.read_text(encoding="utf-8").split("\n")
    for n, (info, line, body, after) in enumerate(found):
        if info not in RUNNABLE:
            continue
        following = found[n + 1] if n + 1 < len(found) else None
        between = lines[after:following[1] - 2] if following else ["x"]
        if not following or following[0] != "output" or any(x.strip() for x in between):
            raise SystemExit(f"{path.relative_to(ROOT)}:{line}: a {info} example without an output block right after it")
        yield info, line, body, following[2]


def pages():
    return sorted(list(DOCS.glob("*.md")) + list((DOCS / "reference").glob("*.md")))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir")
    parser.add_argument("--only", action="append", default=[])
    parser.add_argument("--except", dest="skip", action="append", default=[])
    args = parser.parse_args()
    out = pathlib.Path(args.outdir)
    out.mkdir(parents=True, exist_ok=True)
    count = 0
    for page in pages():
        if (args.only and page.name not in args.only) or page.name in args.skip:
            continue
        for info, line, body, expected in examples(page):
            count += 1
            name = f"{count:03d}-{page.stem}-{line}"
            (out / (name + RUNNABLE[info])).write_text("\r\n".join(body) + "\r\n", encoding="utf-8")
            (out / (name + ".expected")).write_text("\n".join(expected) + "\n", encoding="utf-8")
            print(f"{name}{RUNNABLE[info]} {page.relative_to(ROOT)}:{line}")
    if count == 0:
        print("no examples found", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
