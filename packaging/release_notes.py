#!/usr/bin/env python3
"""Prints the CHANGELOG's section for one version: its heading "## VERSION"
(anything after the version, such as "(type library 11.0)", is allowed) and
everything up to the next "## " heading. Fails, naming the file and the
version, when there is no such section: a release has its notes.

Usage: release_notes.py CHANGELOG.md VERSION
"""
import re
import sys


def section(text, version):
    heading = re.compile(r'^## %s(\s|$)' % re.escape(version))
    lines = text.splitlines()
    for start, line in enumerate(lines):
        if heading.match(line):
            end = start + 1
            while end < len(lines) and not lines[end].startswith('## '):
                end += 1
            return '\n'.join(lines[start:end]).strip() + '\n'
    return None


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding='utf-8') as f:
        notes = section(f.read(), argv[2])
    if notes is None:
        sys.stderr.write('%s has no section "## %s": write the release notes first\n' % (argv[1], argv[2]))
        return 1
    sys.stdout.write(notes)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
