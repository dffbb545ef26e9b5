#!/usr/bin/env python3
"""Checks that two type libraries (the files widl made for the 64-bit and the
32-bit DLL) describe the same library for the two targets: the same library
GUID, version and locale, the same GUIDs (library, classes, interfaces,
enumeration) and target systems win64 and win32. This is what lets the
installer take the 32-bit DLL's registration from the 64-bit one's.

  typelib_identity.py TLB64 TLB32

The files are in the MSFT format: a fixed header, the offsets of the type
infos, then a directory of segments, the sixth of which is the GUID table
(entries of 24 bytes: the GUID, then two 32-bit fields).
"""
import struct
import sys
import uuid

SYSKIND = {0: 'win16', 1: 'win32', 2: 'mac', 3: 'win64'}
HEADER = 0x54
HELP_DLL_FLAG = 0x100
GUID_SEGMENT = 5


def identity(data):
    if data[:4] != b'MSFT':
        raise ValueError('not a type library')
    lcid, _, varflags, version = struct.unpack_from('<IIII', data, 12)
    count = struct.unpack_from('<I', data, 32)[0]
    directory = HEADER + (4 if varflags & HELP_DLL_FLAG else 0) + 4 * count
    offset, length = struct.unpack_from('<ii', data, directory + 16 * GUID_SEGMENT)
    guids = {str(uuid.UUID(bytes_le=data[at:at + 16])).upper() for at in range(offset, offset + length, 24)}
    library = str(uuid.UUID(bytes_le=data[offset + struct.unpack_from('<i', data, 8)[0]:][:16])).upper()
    return {'library': library, 'lcid': lcid, 'version': version, 'guids': guids,
            'target': SYSKIND.get(varflags & 0xF, 'unknown')}


def differences(first, second):
    """What keeps the second library from being the first's other bitness."""
    found = []
    if first['target'] != 'win64' or second['target'] != 'win32':
        found.append('targets %s and %s, not win64 and win32' % (first['target'], second['target']))
    for field in ('library', 'lcid', 'version'):
        if first[field] != second[field]:
            found.append('%s: %s and %s' % (field, first[field], second[field]))
    for guid in sorted(first['guids'] ^ second['guids']):
        found.append('GUID %s in only one of them' % guid)
    return found


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    libraries = []
    for path in argv[1:]:
        with open(path, 'rb') as f:
            libraries.append(identity(f.read()))
    found = differences(*libraries)
    for line in found:
        print('typelib_identity: ' + line, file=sys.stderr)
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
