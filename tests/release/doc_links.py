#!/usr/bin/env python3
"""Every link in the documentation the release archive ships resolves inside it.

  doc_links.py SOURCE_ROOT     checks the shipped pages as they lie in the
                               source tree, counting only the shipped files as
                               present (what the archive will hold)
  doc_links.py --self-test     checks the checker on made-up pages

A link is a markdown inline link `[text](target)` outside code. A relative
target must name a file of the archive (a folder counts when a file lies in
it); a `#fragment` must name a heading of the target page, made into an
anchor as GitHub does (lower case, punctuation dropped, spaces to hyphens).
Links with a scheme (https:, mailto:) are not followed. archive_test.py runs
the same check on the unpacked archive.
"""
import pathlib
import posixpath
import re
import sys
import urllib.parse

# The pages the archive carries, as paths inside it; scripts/package.sh copies
# them and archive_test.py requires them.
SHIPPED_PAGES = (
    'README.md', 'CHANGELOG.md',
    'docs/reference.md', 'docs/getting-started.md', 'docs/vba-guide.md', 'docs/platform-notes.md',
    'docs/reference/StringFunction.md', 'docs/reference/ExCollection.md', 'docs/reference/Network.md',
    'docs/reference/TimeUtility.md', 'docs/reference/CRegSettings.md', 'docs/reference/GeneralUtility.md',
)

FENCE = re.compile(r'^\s*```')
INLINE_CODE = re.compile(r'`[^`\n]*`')
LINK = re.compile(r'\[([^\]\n]*)\]\(([^()\s]*(?:\([^()\s]*\))?[^()\s]*)(?:\s+"[^"]*")?\)')
HEADING = re.compile(r'^(#{1,6})\s+(.*?)\s*#*\s*$')


def anchor_of(heading):
    """The anchor GitHub gives a heading."""
    text = re.sub(r'`([^`]*)`', r'\1', heading)
    text = re.sub(r'\[([^\]]*)\]\([^)]*\)', r'\1', text)
    text = text.strip().lower()
    text = re.sub(r'[^\w\- ]', '', text)
    return text.replace(' ', '-')


def prose_lines(text):
    """(line number, line) outside fenced code blocks."""
    inside = False
    for number, line in enumerate(text.splitlines(), 1):
        if FENCE.match(line):
            inside = not inside
            continue
        if not inside:
            yield number, line


def anchors_of(text):
    anchors = set()
    seen = {}
    for _, line in prose_lines(text):
        m = HEADING.match(line)
        if m:
            base = anchor_of(m.group(2))
            count = seen.get(base, 0)
            anchors.add(base if count == 0 else '%s-%d' % (base, count))
            seen[base] = count + 1
    return anchors


def links_of(text):
    """(line number, target) of each inline link outside code."""
    for number, line in prose_lines(text):
        for m in LINK.finditer(INLINE_CODE.sub('', line)):
            yield number, m.group(2)


def broken_links(pages, present):
    """Failures for the links of `pages` (path -> text) against the set of
    paths `present`; every path is relative to the archive's top, with '/'."""
    folders = set()
    for path in present:
        parts = path.split('/')[:-1]
        for i in range(1, len(parts) + 1):
            folders.add('/'.join(parts[:i]))
    failures = []
    for page, text in sorted(pages.items()):
        for number, target in links_of(text):
            if re.match(r'^[a-zA-Z][a-zA-Z0-9+.-]*:', target):
                continue
            path_part, _, fragment = target.partition('#')
            path_part = urllib.parse.unquote(path_part)
            if path_part:
                resolved = posixpath.normpath(posixpath.join(posixpath.dirname(page), path_part))
                if resolved.startswith('../') or resolved == '..':
                    failures.append('%s:%d: %s leads out of the archive' % (page, number, target))
                    continue
                if resolved not in present and resolved.rstrip('/') not in folders:
                    failures.append('%s:%d: %s: no %s in the archive' % (page, number, target, resolved))
                    continue
            else:
                resolved = page
            if fragment:
                if resolved not in pages:
                    if resolved.endswith('.md'):
                        failures.append('%s:%d: %s: %s is not checked for anchors' % (page, number, target, resolved))
                    continue
                if fragment not in anchors_of(pages[resolved]):
                    failures.append('%s:%d: %s: no heading #%s in %s' % (page, number, target, fragment, resolved))
    return failures


def check_tree(root):
    root = pathlib.Path(root)
    pages = {}
    failures = []
    for page in SHIPPED_PAGES:
        try:
            pages[page] = (root / page).read_text(encoding='utf-8')
        except OSError as e:
            failures.append('%s: cannot be read (%s)' % (page, e.strerror))
    # The archive holds the shipped pages and the other files the links may
    # name (LICENSE, the folders of the programs).
    present = set(SHIPPED_PAGES) | {'LICENSE', 'x64/TarnLib.dll', 'x86/TarnLib.dll'}
    return failures + broken_links(pages, present)


def self_test():
    pages = {
        'README.md': '# Top\n## What the archive holds\n[a](docs/a.md) [b](docs/a.md#part-one)\n'
                     '[gone](docs/testing.md) [out](../x.md) [web](https://example.org/x)\n'
                     '`[not](a/link.md)`\n```\n[fenced](nowhere.md)\n```\n[here](#what-the-archive-holds)\n'
                     '[x64](x64/) [bad anchor](docs/a.md#part-two)\n',
        'docs/a.md': '# A\n## Part one\n[up](../README.md#top) [code](../README.md#part-one)\n'
                     '## Part `one`\n[dup](#part-one-1)\n',
    }
    present = set(pages) | {'x64/TarnLib.dll'}
    got = broken_links(pages, present)
    expected = [
        'README.md:4: docs/testing.md: no docs/testing.md in the archive',
        'README.md:4: ../x.md leads out of the archive',
        'README.md:10: docs/a.md#part-two: no heading #part-two in docs/a.md',
        'docs/a.md:3: ../README.md#part-one: no heading #part-one in README.md',
    ]
    failures = []
    if sorted(got) != sorted(expected):
        failures.append('self-test: got\n  %s\nexpected\n  %s' % ('\n  '.join(sorted(got)), '\n  '.join(sorted(expected))))
    if anchor_of('Codes without a description: DISP_E_*') != 'codes-without-a-description-disp_e_':
        failures.append('self-test: anchor of a heading with punctuation: ' + anchor_of('Codes without a description: DISP_E_*'))
    if anchor_of("Forms: where the form members find the client's forms") != 'forms-where-the-form-members-find-the-clients-forms':
        failures.append('self-test: anchor of a heading with an apostrophe')
    return failures


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    failures = self_test() if argv[1] == '--self-test' else check_tree(argv[1])
    for failure in failures:
        print('FAIL: ' + failure)
    if not failures:
        print('doc links: all resolve' if argv[1] != '--self-test' else 'doc links: self-test passed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
