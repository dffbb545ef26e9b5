#!/usr/bin/env python3
"""Writes the _IID_<CLASS> resources from the IDL, so that the identifiers are
stated once. Each resource is 20 bytes: the 32-bit value 16, then the 16-byte
identifier of the class's dispatch interface.

Usage: iid_resources.py <TarnLib.idl> <output.rc>
"""
import re
import sys
import uuid

INTERFACE = re.compile(r'uuid\(([0-9A-Fa-f-]{36})\)[^\]]*\]\s*interface\s+(\w+)\s*:\s*IDispatch')


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding='cp1252') as f:
        idl = f.read()
    lines = ['// Generated from the IDL by iid_resources.py.']
    found = INTERFACE.findall(idl)
    if len(found) != 7:
        sys.stderr.write('expected 7 dispatch interfaces, found %d\n' % len(found))
        return 1
    for text, interface in found:
        raw = uuid.UUID(text).bytes_le
        words = ['16L']
        words += ['0x%02X%02X%02X%02XL' % (raw[3], raw[2], raw[1], raw[0])]
        words += ['0x%02X%02X' % (raw[i + 1], raw[i]) for i in range(4, 16, 2)]
        name = '_IID_' + interface.lstrip('_').upper()
        lines.append('%s RCDATA { %s }' % (name, ', '.join(words)))
    with open(argv[2], 'w') as f:
        f.write('\n'.join(lines) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
