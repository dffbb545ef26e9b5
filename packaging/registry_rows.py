#!/usr/bin/env python3
"""What a program wrote under the classes key, read from Wine's registry files.

Wine keeps the machine's registry in the text file system.reg of its prefix
(and the user's in user.reg). Comparing the file from before a program ran
with the one from after gives exactly the keys and values that the program
wrote: no second list of what a registration should write is kept anywhere.

  registry_rows.py diff BEFORE.reg AFTER.reg [--classes-root ROOT] > rows.json
      Values that are new or changed under ROOT (default Software\\Classes),
      minus the installer's own bookkeeping (ROOT\\Installer).
  registry_rows.py removed BEFORE.reg AFTER.reg ROWS.json
      Exits 1 and names them when AFTER has keys, new or changed since BEFORE,
      that mention TarnLib or a GUID that ROWS are keyed by (the library's
      class, interface and library ids).
  registry_rows.py same ROWS_A.json ROWS_B.json
      Exits 1 and names the differences when the two sets of rows differ
      (a folder's final backslash aside).

A row is {"view": "32" or "64", "key": ..., "name": ..., "type": ..., "value": ...}
with the key relative to the classes key: keys that Wine keeps in the 32-bit
view (under Wow6432Node) are given without that part and with view "32".
"""
import json
import re
import sys

CLASSES = 'Software\\Classes'
WOW = 'Wow6432Node\\'


def unescape(text):
    """The value of a quoted .reg string (without its quotes)."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c != '\\':
            out.append(c)
            i += 1
            continue
        nxt = text[i + 1]
        if nxt == 'x':
            match = re.match(r'[0-9a-fA-F]{1,4}', text[i + 2:])
            out.append(chr(int(match.group(0), 16)))
            i += 2 + len(match.group(0))
            continue
        out.append({'n': '\n', 'r': '\r', 't': '\t', '0': '\0'}.get(nxt, nxt))
        i += 2
    return ''.join(out)


def split_quoted(line):
    """The quoted string at the start of line and the rest after it."""
    assert line[0] == '"'
    i = 1
    while line[i] != '"':
        i += 2 if line[i] == '\\' else 1
    return unescape(line[1:i]), line[i + 1:]


def parse(path):
    """{key: {value name: (type, value)}} of a Wine registry file ("" names the default value)."""
    keys = {}
    current = None
    pending = ''
    with open(path, encoding='utf-8', errors='surrogateescape') as f:
        for raw in f:
            line = pending + raw.rstrip('\n')
            if line.endswith('\\') and not line.startswith('['):
                pending = line[:-1].strip() if pending else line[:-1]
                continue
            pending = ''
            if line.startswith('['):
                name, _ = split_quoted('"' + line[1:line.rindex(']')] + '"')
                current = keys.setdefault(name, {})
            elif current is None or not line or line.startswith('#') or line.startswith(';'):
                continue
            elif line.startswith('@='):
                current[''] = value_of(line[2:])
            elif line.startswith('"'):
                name, rest = split_quoted(line)
                current[name] = value_of(rest[1:])
    return keys


def value_of(text):
    if text.startswith('"'):
        return ('string', split_quoted(text)[0])
    if text.startswith('dword:'):
        return ('integer', int(text[6:], 16))
    kind, _, data = text.partition(':')
    return (kind, data.replace(' ', ''))


def rows_of(before, after, root):
    prefix = root + '\\'
    rows = []
    for key in sorted(after):
        if not key.lower().startswith(prefix.lower()):
            continue
        relative = key[len(prefix):]
        if relative.lower().startswith('installer\\') or relative.lower() == 'installer':
            continue
        view = '64'
        if relative.lower().startswith(WOW.lower()):
            view, relative = '32', relative[len(WOW):]
        old = before.get(key)
        values = after[key]
        if old is None and not values:
            rows.append({'view': view, 'key': relative, 'name': None, 'type': 'key', 'value': None})
        for name in sorted(values):
            if old is not None and old.get(name) == values[name]:
                continue
            kind, value = values[name]
            rows.append({'view': view, 'key': relative, 'name': name, 'type': kind, 'value': value})
    return rows


GUID = re.compile(r'\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\}')


def own_names(rows):
    """What names the library: its name and the GUIDs its rows are keyed by
    (class, interface and library ids; GUIDs that appear only as values, such
    as the standard proxy's, belong to the system)."""
    names = {'tarnlib'}
    for row in rows:
        names.update(g.lower() for g in GUID.findall(row['key']))
    return names


def removed(before, after, names):
    """The keys of after, new or changed since before, that mention any of names."""
    left = []
    for key, values in after.items():
        if before.get(key) == values:
            continue
        text = (key + '\n' + '\n'.join('%s=%s' % (n, v) for n, v in values.items())).lower()
        if any(name in text for name in names):
            left.append(key)
    return sorted(left)


def comparable(row):
    """The row with a folder's final backslash dropped: an installer writes
    folders with one, the type library registration without."""
    value = row['value']
    if isinstance(value, str) and ':\\' in value and value.endswith('\\'):
        row = dict(row, value=value.rstrip('\\'))
    return row


def main(argv):
    if len(argv) >= 4 and argv[1] == 'diff':
        root = CLASSES
        if len(argv) == 6 and argv[4] == '--classes-root':
            root = argv[5]
        json.dump(rows_of(parse(argv[2]), parse(argv[3]), root), sys.stdout, indent=1, sort_keys=True)
        sys.stdout.write('\n')
        return 0
    if len(argv) == 5 and argv[1] == 'removed':
        with open(argv[4]) as f:
            names = own_names(json.load(f))
        left = removed(parse(argv[2]), parse(argv[3]), names)
        for key in left:
            print('left behind: ' + key)
        return 1 if left else 0
    if len(argv) == 4 and argv[1] == 'same':
        with open(argv[2]) as a, open(argv[3]) as b:
            first = {json.dumps(comparable(r), sort_keys=True) for r in json.load(a)}
            second = {json.dumps(comparable(r), sort_keys=True) for r in json.load(b)}
        for row in sorted(first - second):
            print('only in %s: %s' % (argv[2], row))
        for row in sorted(second - first):
            print('only in %s: %s' % (argv[3], row))
        return 0 if first == second else 1
    sys.stderr.write(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
