#!/usr/bin/env python3
"""The release archive holds what a user needs, each file of the right kind.

  archive_test.py ARCHIVE.zip BUILD_ROOT

Checks the entries (x64/ and x86/ with the DLL and the registration tool of
that bitness, the type library, header, GUID file, README, LICENSE, CHANGELOG,
the release notes and the documentation under docs/), that each program in
x64/ and x86/ is of that folder's machine and is the build's file byte for
byte, that the type library at the top is the 32-bit one the README
describes, that every link in the shipped pages resolves inside the archive
(doc_links.py), and that every entry carries the same time, the one
SOURCE_DATE_EPOCH gives (when set).
"""
import os
import struct
import sys
import time
import zipfile

import doc_links

REQUIRED = {
    'x64/TarnLib.dll', 'x64/tarnlib-register.exe', 'x86/TarnLib.dll', 'x86/tarnlib-register.exe',
    'x64/TarnLib.manifest', 'x86/TarnLib.manifest',
    'TarnLib.tlb', 'TarnLib_h.h', 'TarnLib_i.c', 'README.md', 'LICENSE', 'CHANGELOG.md', 'RELEASE-NOTES.md',
} | set(doc_links.SHIPPED_PAGES)
OPTIONAL = set()
MACHINE = {'x64': 0x8664, 'x86': 0x14C}
BUILD = {'x64': 'build/mingw64', 'x86': 'build/mingw32'}


def machine_of(data):
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('not a PE file')
    return struct.unpack_from('<H', data, pe + 4)[0]


# SYSKIND of a type library file (MSFT format): the low bits of the flags
# word after the magic, version, GUID offset and two locales.
SYSKIND = {0: 'win16', 1: 'win32', 2: 'mac', 3: 'win64'}


def syskind_of(data):
    if data[:4] != b'MSFT':
        raise ValueError('not a type library')
    return SYSKIND.get(struct.unpack_from('<I', data, 20)[0] & 0xF, 'unknown')


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    failures = []
    with zipfile.ZipFile(argv[1]) as archive:
        infos = archive.infolist()
        names = {info.filename for info in infos}
        for name in sorted(REQUIRED - names):
            failures.append('missing: ' + name)
        for name in sorted(names - REQUIRED - OPTIONAL):
            failures.append('not expected: ' + name)
        for name in sorted(names):
            folder, _, base = name.partition('/')
            if folder in MACHINE and base.endswith(('.dll', '.exe')):
                data = archive.read(name)
                if machine_of(data) != MACHINE[folder]:
                    failures.append('%s: machine 0x%x, not that of %s' % (name, machine_of(data), folder))
                with open(os.path.join(argv[2], BUILD[folder], base), 'rb') as f:
                    if f.read() != data:
                        failures.append('%s: not the build\'s %s/%s' % (name, BUILD[folder], base))
        if 'TarnLib.tlb' in names:
            kind = syskind_of(archive.read('TarnLib.tlb'))
            if kind != 'win32':
                failures.append('TarnLib.tlb: target %s, not the win32 one the README describes' % kind)
        pages = {name: archive.read(name).decode('utf-8') for name in names if name.endswith('.md')}
        failures.extend(doc_links.broken_links(pages, names))
        times = {info.date_time for info in infos}
        if len(times) != 1:
            failures.append('entries carry %d different times' % len(times))
        if 'SOURCE_DATE_EPOCH' in os.environ:
            want = time.gmtime(max(int(os.environ['SOURCE_DATE_EPOCH']), 315532800))[:6]
            # A zip entry keeps even seconds only.
            want = want[:5] + (want[5] & ~1,)
            if times != {want}:
                failures.append('entry time %s, expected %s' % (sorted(times), want))
    for failure in failures:
        print('FAIL: ' + failure)
    if not failures:
        print('archive: %d entries as expected' % len(names))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
