#!/usr/bin/env python3
"""Adds to a widl-built type library the two things widl cannot express.

- The predeclared-id flag on every application-object class, so that clients
  that reference the library can call those classes' members unqualified.
- A help string on every enumeration member that has none: its own name.

It also sets the build time that widl stamps into the library's custom data
(the text "Created by WIDL version ... at <time>" and, right after it, the
same time as a 32-bit count of seconds) to 1 January 1970, so that two builds
of the same sources give byte-identical libraries.

The library is patched in place in its binary (MSFT) form: the typeinfo flags
are set, the enumerations' member records are rewritten with a help-string
field and moved to the end of the file, and the string table, grown by the new
strings, is moved there too. Everything else stays byte for byte as widl wrote
it, so the IDL remains the one source of the library.

Usage: finish_typelib.py <input.tlb> <output.tlb>
"""
import struct
import sys

HEADER_SIZE = 0x54
TYPEINFO_SIZE = 100
SEGMENTS = 15
SEG_TYPEINFO, SEG_NAMES, SEG_STRINGS = 0, 7, 8
TKIND_ENUM, TKIND_COCLASS = 0, 5
TYPEFLAG_FAPPOBJECT, TYPEFLAG_FPREDECLID = 0x1, 0x8
VAR_RECORD_SIZE = 20           # Info, DataType, Flags, VarKind/size, OffsValue
VAR_RECORD_WITH_HELP = 28      # ... HelpContext, HelpString


def i32(data, offset):
    return struct.unpack_from('<i', data, offset)[0]


def encode_string(text):
    """A string-table entry: 16-bit length, the bytes, padded to 4 with 'W'."""
    raw = text.encode('cp1252')
    entry = struct.pack('<H', len(raw)) + raw
    size = (len(raw) + 5) & ~3 if len(raw) >= 3 else 8
    return entry + b'W' * (size - len(entry))


def read_name(data, names_offset, name_offset):
    """A name-table entry: hreftype, next hash, 8-bit length + hash, the bytes."""
    length = data[names_offset + name_offset + 8]
    start = names_offset + name_offset + 12
    return data[start:start + length].decode('cp1252')


WIDL_STAMP = b'Created by WIDL version '
CTIME_LENGTH = 24  # "Wed Dec  9 11:30:45 2026"
FIXED_TIME = b'Thu Jan  1 00:00:00 1970'
VT_UI4 = struct.pack('<H', 19)


def without_build_time(data):
    """The library with widl's creation time replaced by a fixed one of the same length."""
    at = data.find(WIDL_STAMP)
    if at < 0:
        return data
    at = data.find(b' at ', at)
    if at < 0:
        raise ValueError('widl stamp without a time')
    start = at + 4
    data = data[:start] + FIXED_TIME + data[start + CTIME_LENGTH:]
    # The seconds follow as the next custom-data value: VT_UI4, then 4 bytes.
    after = start + CTIME_LENGTH
    seconds = data.find(VT_UI4, after, after + 16)
    if seconds < 0:
        raise ValueError('widl stamp without its time in seconds')
    seconds += len(VT_UI4)
    return data[:seconds] + bytes(4) + data[seconds + 4:]


def finish(data):
    data = without_build_time(data)
    out = bytearray(data)
    magic, _, _, _, _, varflags, _, _, count = struct.unpack_from('<9i', data, 0)
    if magic != 0x5446534D:
        raise ValueError('not an MSFT type library')
    typeinfo_offsets = HEADER_SIZE + (4 if varflags & 0x100 else 0)
    segdir = typeinfo_offsets + 4 * count
    segments = [list(struct.unpack_from('<4i', data, segdir + 16 * i)) for i in range(SEGMENTS)]
    typeinfos = segments[SEG_TYPEINFO][0]
    names = segments[SEG_NAMES][0]
    old_end = len(data)

    strings = bytearray(data[segments[SEG_STRINGS][0]:segments[SEG_STRINGS][0] + segments[SEG_STRINGS][1]])
    appended = bytearray()

    def base_of(index):
        return typeinfos + TYPEINFO_SIZE * index

    for index in range(count):
        base = base_of(index)
        kind = i32(data, base) & 0xF
        flags_at = base + 0x30
        if kind == TKIND_COCLASS and i32(data, flags_at) & TYPEFLAG_FAPPOBJECT:
            struct.pack_into('<i', out, flags_at, i32(data, flags_at) | TYPEFLAG_FPREDECLID)
        if kind != TKIND_ENUM:
            continue

        block = i32(data, base + 4)
        elements = i32(data, base + 0x18)
        funcs, variables = elements & 0xFFFF, elements >> 16
        if funcs or not variables:
            continue
        records_size = i32(data, block)
        arrays_at = block + 4 + records_size
        memids = struct.unpack_from('<%di' % variables, data, arrays_at)
        name_offsets = struct.unpack_from('<%di' % variables, data, arrays_at + 4 * variables)

        records = bytearray()
        record_offsets = []
        at = block + 4
        for position in range(variables):
            info = i32(data, at)
            size = info & 0xFF
            record = bytearray(data[at:at + size])
            at += size
            if size == VAR_RECORD_SIZE:
                help_text = read_name(data, names, name_offsets[position])
                help_offset = len(strings)
                strings += encode_string(help_text)
                record += struct.pack('<ii', 0, help_offset)
                struct.pack_into('<i', record, 0, (info & ~0xFFFF) | VAR_RECORD_WITH_HELP)
            record_offsets.append(len(records))
            records += record

        new_block = struct.pack('<i', len(records)) + records
        new_block += struct.pack('<%di' % variables, *memids)
        new_block += struct.pack('<%di' % variables, *name_offsets)
        new_block += struct.pack('<%di' % variables, *record_offsets)
        struct.pack_into('<i', out, base + 4, old_end + len(appended))
        appended += new_block

    strings_at = old_end + len(appended)
    appended += strings
    segments[SEG_STRINGS][0] = strings_at
    segments[SEG_STRINGS][1] = len(strings)
    struct.pack_into('<4i', out, segdir + 16 * SEG_STRINGS, *segments[SEG_STRINGS])

    new_end = old_end + len(appended)
    # Types without members point just past the end of the file; keep them there.
    for index in range(count):
        if i32(data, base_of(index) + 4) == old_end:
            struct.pack_into('<i', out, base_of(index) + 4, new_end)
    return bytes(out + appended)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], 'rb') as f:
        data = f.read()
    with open(argv[2], 'wb') as f:
        f.write(finish(data))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
