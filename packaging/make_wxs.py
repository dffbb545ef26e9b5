#!/usr/bin/env python3
"""Writes the installer's WiX source for wixl.

  make_wxs.py VERSION OUT.wxs BITS:ROWS.json... [--documents NAME...]

For each bitness (64 or 32) it installs x64/TarnLib.dll or x86/TarnLib.dll
into that bitness's program folder (TarnLib under "Program Files" or
"Program Files (x86)") and writes the registry rows taken from the DLL's own
registration (registry_rows.py): the registration was run on a DLL at exactly
the path the installer gives it, so that path and its folder are the only
values turned into installer references. The documents (type library, header,
README...) go into the first bitness's folder.

wixl 0.101 has no Class, TypeLib or SelfReg elements and mishandles
Root="HKMU": the rows are plain RegistryValue elements under Root="HKCR",
which Windows Installer writes to HKLM\\Software\\Classes for a per-machine
installation and to HKCU\\Software\\Classes for a per-user one. File sources
are relative: wixl runs in the folder that holds x64/, x86/ and the documents.

Identifiers are stable: the upgrade code and the component GUIDs are derived
from fixed names, the product code from the version.
"""
import json
import sys
import uuid
from xml.sax.saxutils import quoteattr

NAMESPACE = uuid.UUID('6c2f6a38-5a43-4a8e-9d7e-3f4f1b2c9e51')
FOLDERS = {
    '64': ('ProgramFiles64Folder', 'C:\\Program Files\\TarnLib', 'x64'),
    '32': ('ProgramFilesFolder', 'C:\\Program Files (x86)\\TarnLib', 'x86'),
}


def guid(name):
    return '{%s}' % str(uuid.uuid5(NAMESPACE, name)).upper()


def formatted(text):
    """Text taken literally by the installer's formatting ([ and ] escaped)."""
    return ''.join({'[': '[\\[]', ']': '[\\]]'}.get(c, c) for c in text)


def installer_value(bits, value):
    """A registry value with the DLL's path and folder turned into installer references."""
    folder = FOLDERS[bits][1]
    dll = folder + '\\TarnLib.dll'
    if value.lower() == dll.lower():
        return '[#TarnLib%s.dll]' % bits
    if value.lower() in (folder.lower(), folder.lower() + '\\'):
        # An installer folder property always ends with a backslash: the type
        # library's HELPDIR, written without one by the registration, gets one.
        return '[INSTALLDIR%s]' % bits
    if 'c:\\' in value.lower() or 'z:\\' in value.lower():
        raise ValueError('a path the installer cannot reproduce: %r' % value)
    return formatted(value)


def registry_elements(bits, rows, indent, keypath_first=False):
    out = []
    for row in rows:
        key = quoteattr(row['key'])
        if row['type'] == 'key':
            out.append('%s<RegistryKey Root="HKCR" Key=%s Action="create"/>' % (indent, key))
            continue
        name = '' if row['name'] == '' else ' Name=%s' % quoteattr(row['name'])
        keypath = ' KeyPath="yes"' if keypath_first and not out else ''
        if row['type'] == 'string':
            value, kind = installer_value(bits, row['value']), 'string'
        elif row['type'] == 'integer':
            value, kind = str(row['value']), 'integer'
        else:
            raise ValueError('registry value of a type the installer rows do not carry: %r' % row)
        out.append('%s<RegistryValue Root="HKCR" Key=%s%s Type="%s" Value=%s%s/>' %
                   (indent, key, name, kind, quoteattr(value), keypath))
    return out


def wxs(version, parts, documents):
    lines = [
        '<?xml version="1.0" encoding="utf-8"?>',
        '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
        '  <Product Id=%s Name="TarnLib %s" Language="1033" Version=%s' %
        (quoteattr(guid('product ' + version)), version, quoteattr(version)),
        '           Manufacturer="TarnLib" UpgradeCode=%s>' % quoteattr(guid('upgrade')),
        '    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"'
        ' Description="Tarn General Utility Library"/>',
        '    <Media Id="1" Cabinet="TarnLib.cab" EmbedCab="yes"/>',
        '    <Directory Id="TARGETDIR" Name="SourceDir">',
    ]
    components = []
    for index, (bits, rows) in enumerate(parts):
        folder_id, _, source = FOLDERS[bits]
        win64 = ' Win64="yes"' if bits == '64' else ''
        lines += [
            '      <Directory Id="%s">' % folder_id,
            '        <Directory Id="INSTALLDIR%s" Name="TarnLib">' % bits,
            '          <Component Id="Library%s" Guid=%s%s>' % (bits, quoteattr(guid('library ' + bits)), win64),
            '            <File Id="TarnLib%s.dll" Name="TarnLib.dll" Source="%s/TarnLib.dll" KeyPath="yes"/>' %
            (bits, source),
        ]
        lines += registry_elements(bits, [r for r in rows if r['view'] == bits], '            ')
        lines.append('          </Component>')
        components.append('Library' + bits)
        # What the registration wrote into the other bitness's view (Wine's
        # type library registration writes the interfaces into both) goes into
        # a component of that view.
        for view in sorted({r['view'] for r in rows} - {bits}):
            name = 'Registration%sIn%s' % (bits, view)
            lines.append('          <Component Id="%s" Guid=%s%s>' %
                         (name, quoteattr(guid(name)), ' Win64="yes"' if view == '64' else ''))
            lines += registry_elements(view, [r for r in rows if r['view'] == view], '            ', True)
            lines.append('          </Component>')
            components.append(name)
        if index == 0 and documents:
            lines.append('          <Component Id="Documents" Guid=%s%s>' % (quoteattr(guid('documents')), win64))
            for n, name in enumerate(documents):
                keypath = ' KeyPath="yes"' if n == 0 else ''
                lines.append('            <File Id="doc%d" Name=%s Source=%s%s/>' %
                             (n, quoteattr(name), quoteattr(name), keypath))
            lines.append('          </Component>')
            components.append('Documents')
        lines += ['        </Directory>', '      </Directory>']
    lines += ['    </Directory>', '    <Feature Id="Complete" Title="TarnLib" Level="1">']
    lines += ['      <ComponentRef Id="%s"/>' % c for c in components]
    lines += ['    </Feature>', '  </Product>', '</Wix>', '']
    return '\n'.join(lines)


def main(argv):
    args = argv[1:]
    documents = []
    if '--documents' in args:
        at = args.index('--documents')
        documents, args = args[at + 1:], args[:at]
    if len(args) < 3:
        sys.stderr.write(__doc__)
        return 2
    version, out = args[0], args[1]
    parts = []
    for argument in args[2:]:
        bits, _, path = argument.partition(':')
        with open(path) as f:
            parts.append((bits, json.load(f)))
    # The 64-bit part comes first: its folder holds the documents.
    parts.sort(key=lambda part: part[0] != '64')
    with open(out, 'w', newline='\n') as f:
        f.write(wxs(version, parts, documents))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
