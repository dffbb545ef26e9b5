#!/usr/bin/env python3
"""Prints the file version of a Windows DLL or program, from its version
resource (VS_FIXEDFILEINFO): "0.4.0.3". The release's file names take their
version from the DLL itself, so that there is no second number to keep.

Usage: version_of.py FILE
"""
import struct
import sys

SIGNATURE = struct.pack('<I', 0xFEEF04BD)


def version_of(data):
    at = data.find(SIGNATURE)
    if at < 0:
        raise ValueError('no version resource')
    file_ms, file_ls = struct.unpack_from('<II', data, at + 8)
    return '%d.%d.%d.%d' % (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], 'rb') as f:
        print(version_of(f.read()))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
