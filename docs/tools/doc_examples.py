#!/usr/bin/env python3
"""Extracts the runnable examples of the documentation and runs them.

Convention in the markdown: a fenced block whose info string is `vbscript` or
`jscript` is a complete script; the fenced `output` block that follows it
(blank lines between them allowed, nothing else) is exactly what the script
prints, line by line. Every such script must have its output block. Code in
other fences (`vb` for VBA and VB6, `cpp`, `bat`) is shown, not run.

    doc_examples.py list [--only PAGE]... [--except PAGE]...
    doc_examples.py run [--only PAGE]... [--except PAGE]...

`run` is meant for tests/wine/run_doc_examples.sh, which sets up Wine: it
expects TARN_WINE_LOADER (the loader of the bitness to run), TARN_SYSTEM (the
Windows folder of that bitness's cscript.exe) and TARN_BITS_RUN (64 or 32).
All examples of one language run in one cscript process, each inside a
procedure of its own (a VBScript Sub, a JScript function) so that their
variables stay apart, with a marker line before each. When that process stops
early (a script error), the examples it did not finish run again one per
process, so that the failure is pinned on its example.
"""

import argparse
import difflib
import os
import pathlib
import re
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
DOCS = ROOT / "docs"
FENCE = re.compile(r"^```(\S*)\s*$")
EXTENSION = {"vbscript": ".vbs", "jscript": ".js"}
END = "-- end of examples --"
MARKER = "-- example {} --"
PROCEDURE = re.compile(r"^\s*(?:(?:Public|Private)\s+)?(Function|Sub)\s", re.I)


class Example:
    def __init__(self, number, language, origin, script, expected):
        self.number = number
        self.language = language
        self.origin = origin
        self.script = script
        self.expected = expected


def blocks(lines):
    """(info string, first line number of the body, body lines, index after the block) of each fenced block."""
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
    lines = path.read_text(encoding="utf-8").split("\n")
    found = list(blocks(lines))
    for n, (info, line, body, after) in enumerate(found):
        if info not in EXTENSION:
            continue
        following = found[n + 1] if n + 1 < len(found) else None
        between = lines[after:following[1] - 2] if following else []
        if not following or following[0] != "output" or any(x.strip() for x in between):
            raise SystemExit(f"{path.name}:{line}: a {info} example without an output block right after it")
        yield info, line, body, following[2]


def pages(docs=DOCS):
    return sorted(list(docs.glob("*.md")) + list((docs / "reference").glob("*.md")))


def collect(args):
    found = []
    for page in pages(args.docs):
        if (args.only and page.name not in args.only) or page.name in args.skip:
            continue
        for language, line, body, expected in examples(page):
            origin = f"{page.relative_to(args.docs.parent)}:{line}"
            found.append(Example(len(found) + 1, language, origin, body, expected))
    return found


def host_line(language):
    if language == "vbscript":
        return ('WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & '
                'CreateObject("WScript.Shell").Environment("Process").Item("PROCESSOR_ARCHITECTURE")')
    return ('WScript.Echo("script host: PROCESSOR_ARCHITECTURE=" + '
            'new ActiveXObject("WScript.Shell").Environment("Process").Item("PROCESSOR_ARCHITECTURE"));')


def echo(language, text):
    return f'WScript.Echo "{text}"' if language == "vbscript" else f'WScript.Echo("{text}");'


def combined_script(language, chosen):
    """One script running each example in a procedure of its own, a marker line before each."""
    head, procedures, calls = [host_line(language)], [], []
    for ex in chosen:
        if language == "vbscript":
            body, lifted, inside = [], [], False
            for line in ex.script:
                if PROCEDURE.match(line):
                    inside = True
                (lifted if inside else body).append(line)
                if inside and re.match(r"^\s*End\s+(Function|Sub)\b", line, re.I):
                    inside = False
            procedures += [f"Sub Example{ex.number}()", *body, "End Sub", *lifted]
            calls += [echo(language, MARKER.format(ex.number)), f"Example{ex.number}"]
        else:
            calls += [echo(language, MARKER.format(ex.number)), "(function () {", *ex.script, "})();"]
    return "\r\n".join(head + procedures + calls + [echo(language, END)]) + "\r\n"


def single_script(ex):
    lines = [host_line(ex.language), echo(ex.language, MARKER.format(ex.number)), *ex.script, echo(ex.language, END)]
    return "\r\n".join(lines) + "\r\n"


def windows_path(path):
    return "Z:" + str(path.resolve()).replace("/", "\\")


def run_cscript(path):
    loader, system = os.environ["TARN_WINE_LOADER"], os.environ["TARN_SYSTEM"]
    done = subprocess.run(["timeout", "--kill-after=10", "600", loader, system + "cscript.exe", "//nologo",
                           windows_path(path)], stdin=subprocess.DEVNULL, capture_output=True)
    return (done.stdout + done.stderr).decode("utf-8", "replace").replace("\r", "").split("\n")


def host_ok(output):
    want = "x86" if os.environ.get("TARN_BITS_RUN") == "32" else "AMD64"
    line = next((x for x in output if x.startswith("script host: ")), "")
    return re.match(rf"^script host: PROCESSOR_ARCHITECTURE={want}$", line) is not None, line


def sections(output):
    """Lines printed by each example (by number), and whether the script reached its end."""
    printed, current, finished = {}, None, False
    for line in output:
        m = re.fullmatch(r"-- example (\d+) --", line)
        if m:
            current = int(m.group(1))
            printed[current] = []
        elif line == END:
            finished, current = True, None
        elif current is not None:
            printed[current].append(line)
    return printed, finished


def compare(ex, lines, report):
    while lines and lines[-1] == "":
        lines = lines[:-1]
    if lines == ex.expected:
        report.append((True, f"ok - {ex.origin}"))
        return
    diff = difflib.unified_diff(ex.expected, lines, "documented", "printed", lineterm="", n=1)
    report.append((False, f"not ok - {ex.origin}: output differs from the documentation:\n" +
                   "\n".join("    " + d for d in list(diff)[2:])))


def run_alone(ex, work, report):
    """Runs one example in a process of its own, to pin a failure on it."""
    single = work / f"example{ex.number}{EXTENSION[ex.language]}"
    single.write_text(single_script(ex), encoding="utf-8")
    output = run_cscript(single)
    ok, line = host_ok(output)
    alone, reached = sections(output)
    if not ok:
        report.append((False, f"not ok - {ex.origin}: expected a {os.environ.get('TARN_BITS_RUN', '64')}-bit script "
                              f"host, got: {line or 'no script host line (a syntax error?)'}"))
    elif reached:
        compare(ex, alone.get(ex.number, []), report)
    else:
        text = "\n".join("    " + x for x in alone.get(ex.number, []))
        report.append((False, f"not ok - {ex.origin}: the script stopped before its end; it printed:\n{text}"))


def run(chosen, work):
    report = []
    for language in EXTENSION:
        todo = [ex for ex in chosen if ex.language == language]
        while todo:
            script = work / ("examples" + EXTENSION[language])
            script.write_text(combined_script(language, todo), encoding="utf-8")
            output = run_cscript(script)
            if not host_ok(output)[0]:
                # A script that does not start (a syntax error, a host of the
                # wrong bitness): each example alone says which.
                for ex in todo:
                    run_alone(ex, work, report)
                break
            printed, finished = sections(output)
            # When the process stopped early, the example it stopped in runs
            # alone and those it never reached run together again.
            stopped = None if finished else (max(printed) if printed else todo[0].number)
            rest = []
            for ex in todo:
                if ex.number == stopped:
                    run_alone(ex, work, report)
                elif ex.number in printed:
                    compare(ex, printed[ex.number], report)
                else:
                    rest.append(ex)
            todo = rest
    return report


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("mode", choices=["list", "run"])
    parser.add_argument("--only", action="append", default=[])
    parser.add_argument("--except", dest="skip", action="append", default=[])
    parser.add_argument("--docs", type=pathlib.Path, default=DOCS)
    args = parser.parse_args()
    chosen = collect(args)
    if not chosen:
        print("no examples found", file=sys.stderr)
        return 1
    if args.mode == "list":
        for ex in chosen:
            print(f"{ex.number} {ex.language} {ex.origin}")
        return 0
    with tempfile.TemporaryDirectory() as work:
        report = run(chosen, pathlib.Path(work))
    for _, text in report:
        print(text)
    passed = sum(1 for good, _ in report if good)
    print(f"{passed} passed, {len(report) - passed} failed")
    return 0 if passed == len(report) and passed == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main())
