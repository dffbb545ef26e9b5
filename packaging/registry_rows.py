#!/usr/bin/env python3
"""What a program wrote under the classes key, read from Wine's registry files
(or from what reg.exe exported of the machine's registry, both before and after).

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
  registry_rows.py roots ROWS.json
      The keys that hold the rows, one a line (CLSID\\{...}, Interface\\{...},
      TypeLib\\{...}, a ProgID), relative to the classes key: what to export
      from a registry where they are new.
  registry_rows.py exported EXPORT.reg... > rows.json
      The rows in what reg.exe exported of such keys (nothing of them was
      there before), in both views.
  registry_rows.py merge ROWS.json... > rows.json
      The rows of the registrations one after another (see merged).
  registry_rows.py other-bitness ROWS_64.json FOLDER_64 FOLDER_32 > rows_32.json
      The rows the 32-bit DLL's registration writes, from those the 64-bit
      DLL's wrote at FOLDER_64, for the 32-bit DLL at FOLDER_32 (see
      other_bitness), so that the installer can be made where no 32-bit
      program runs.

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


EXPORT_HEADER = 'Windows Registry Editor Version 5.00'
MACHINE = 'HKEY_LOCAL_MACHINE\\'


def is_shared_image(name):
    """Whether name lies under the 32-bit view's link to a shared subkey of
    the classes key (Software\\Classes\\Wow6432Node\\TypeLib...)."""
    parts = name.lower().split('\\')
    return len(parts) >= 4 and parts[:3] == ['software', 'classes', 'wow6432node'] and parts[3] in LINKED


def read_text(path):
    """A registry file's text: Wine's registry files are UTF-8, what reg.exe
    exports is UTF-16 with a byte order mark."""
    with open(path, 'rb') as f:
        data = f.read()
    if data.startswith(b'\xff\xfe'):
        return data[2:].decode('utf-16-le', errors='surrogatepass')
    return data.decode('utf-8', errors='surrogateescape')


def parse(path):
    """{key: {value name: (type, value)}} of a Wine registry file, or of what
    `reg export HKLM\\...` wrote ("" names the default value). Keys are
    relative to the machine's root in both."""
    keys = {}
    current = None
    pending = ''
    lines = read_text(path).replace('\r\n', '\n').split('\n')
    exported = lines[0].strip() == EXPORT_HEADER
    for raw in lines:
        line = pending + raw.rstrip('\n')
        if line.endswith('\\') and not line.startswith('['):
            pending = line[:-1].strip() if pending else line[:-1]
            continue
        pending = ''
        if line.startswith('['):
            if exported:
                # [HKEY_LOCAL_MACHINE\Software\...]: names as they are.
                name = line[1:line.rindex(']')]
                if not name.upper().startswith(MACHINE):
                    current = None
                    continue
                name = name[len(MACHINE):]
            else:
                name, _ = split_quoted('"' + line[1:line.rindex(']')] + '"')
            # Under the 32-bit view's link to a shared key reg.exe exports
            # the shared key a second time: that copy is read and dropped.
            current = {} if exported and is_shared_image(name) else keys.setdefault(name, {})
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


def has_subkeys(keys, key):
    below = key.lower() + '\\'
    return any(k.lower().startswith(below) for k in keys)


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
        # A key without values is a row of its own only where nothing lies
        # below it (Wine's registry files keep only such keys).
        if old is None and not values and not has_subkeys(after, key):
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
    """The row with a folder's final backslash dropped (an installer writes
    folders with one, the type library registration without) and its key in
    lower case."""
    value = row['value']
    if isinstance(value, str) and ':\\' in value and value.endswith('\\'):
        row = dict(row, value=value.rstrip('\\'))
    # Key names are not case-sensitive (Wine's prefix says "Typelib").
    return dict(row, key=row['key'].lower())


SYSKINDS = {'win64': 'win32', 'win32': 'win64'}
OTHER_VIEW = {'64': '32', '32': '64'}
# The subkeys of the classes key that each registry view has for itself
# (Windows 7 and later, and Wine): a 32-bit process's CLSID and Interface keys
# go to Wow6432Node. Everything else (ProgIDs, TypeLib, AppID) both views
# share: a write of either bitness lands in the one key, given in view 64.
REDIRECTED = ('clsid', 'directshow', 'interface', 'media type', 'mediafoundation')
# The shared keys that Wine's prefix links from Wow6432Node: reg.exe exports
# them a second time under the link.
LINKED = ('appid', 'protocols', 'typelib')


def other_bitness(rows, folder, other_folder):
    """The rows of the other bitness's registration, from one bitness's.

    Both DLLs run the same registration code over type libraries built from
    the same IDL, which differ only in their target system (win32 or win64).
    The registration therefore writes the same keys and values, with three
    differences, all taken here:
      - the registry view of the CLSID and Interface keys: a 32-bit
        process's go to the 32-bit view, a 64-bit process's to the 64-bit
        view (the other keys both views share); the type library
        registration's second copy of each interface key, which goes to the
        other view, swaps with it;
      - the type library's platform subkey (...\<locale>\win64 or win32);
      - the DLL's path and its folder, the values that name where the DLL is.
    Any other value that names a path is refused: it would not be the other
    DLL's.
    """
    base, other_base = folder.rstrip('\\'), other_folder.rstrip('\\')

    def path(value):
        if value.lower() == base.lower() or value.lower().startswith(base.lower() + '\\'):
            return other_base + value[len(base):]
        if re.search(r'[a-zA-Z]:\\', value):
            raise ValueError('a path outside the DLL\'s folder: %r' % value)
        return value

    out = []
    for row in rows:
        parts = row['key'].split('\\')
        if parts[0].lower() == 'typelib' and len(parts) == 5 and parts[4].lower() in SYSKINDS:
            parts[4] = SYSKINDS[parts[4].lower()]
        value = row['value']
        if isinstance(value, str):
            value = path(value)
        view = OTHER_VIEW[row['view']] if parts[0].lower() in REDIRECTED else row['view']
        out.append(dict(row, view=view, key='\\'.join(parts), value=value))
    return out


CONTAINERS = ('appid', 'clsid', 'interface', 'typelib')


def roots(rows):
    """The keys under the classes key that hold the rows: a GUID's key under
    CLSID, Interface, TypeLib or AppID, or the first key (a ProgID)."""
    found = []
    for row in rows:
        parts = row['key'].split('\\')
        root = '\\'.join(parts[:2] if parts[0].lower() in CONTAINERS else parts[:1])
        if root.lower() not in (r.lower() for r in found):
            found.append(root)
    return found


def merged(*parts):
    """The rows of several registrations made one after another, as one set.
    A value both write (the same view, key and name) is written once; where
    they disagree the first part's value stands. The two bitnesses disagree
    only on the type library's HELPDIR, a shared key that names each DLL's
    folder (the library has no help file)."""
    seen = set()
    out = []
    for rows in parts:
        for row in rows:
            where = (row['view'], row['key'].lower(), row['name'])
            if where not in seen:
                seen.add(where)
                out.append(row)
    return out


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
    if len(argv) == 3 and argv[1] == 'roots':
        with open(argv[2]) as f:
            for root in roots(json.load(f)):
                print(root)
        return 0
    if len(argv) >= 3 and argv[1] == 'exported':
        keys = {}
        for path in argv[2:]:
            keys.update(parse(path))
        json.dump(rows_of({}, keys, CLASSES), sys.stdout, indent=1, sort_keys=True)
        sys.stdout.write('\n')
        return 0
    if len(argv) >= 3 and argv[1] == 'merge':
        parts = []
        for path in argv[2:]:
            with open(path) as f:
                parts.append(json.load(f))
        json.dump(merged(*parts), sys.stdout, indent=1, sort_keys=True)
        sys.stdout.write('\n')
        return 0
    if len(argv) == 5 and argv[1] == 'other-bitness':
        with open(argv[2]) as f:
            rows = other_bitness(json.load(f), argv[3], argv[4])
        json.dump(rows, sys.stdout, indent=1, sort_keys=True)
        sys.stdout.write('\n')
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
