#!/usr/bin/env python3
"""Writes the installer's WiX source for wixl.

  make_wxs.py VERSION OUT.wxs BITS:ROWS.json... [--notes FILE] [--help-link URL]
              [--documents NAME...]
  make_wxs.py finish MSI VERSION
      What wixl cannot write, added to the package it made (with msibuild):
      the refusal of a downgrade, upgrades over a release that differs only
      in the fourth number, and per-user roots (see finish_queries).

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
from fixed names, the product code from the version, so every version has its
own product code and all share one upgrade code: a newer package removes the
installed one before it installs (a major upgrade), an older one is refused.

Add-and-remove-programs data: the product name with the version and the
bitnesses, the publisher, the version, the release notes (the package's
comments, and RELEASE-NOTES.md beside the documents) and a help link, by
default the installed README.
"""
import json
import os
import subprocess
import sys
import uuid
from xml.sax.saxutils import quoteattr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import registry_rows  # noqa: E402

NAMESPACE = uuid.UUID('6c2f6a38-5a43-4a8e-9d7e-3f4f1b2c9e51')
FOLDERS = {
    '64': ('ProgramFiles64Folder', 'C:\\Program Files\\TarnLib', 'x64'),
    '32': ('ProgramFilesFolder', 'C:\\Program Files (x86)\\TarnLib', 'x86'),
}


PUBLISHER = 'The TarnLib authors'
BITNESS_NAMES = {('64', '32'): '64-bit and 32-bit', ('64',): '64-bit', ('32',): '32-bit'}
# Where every version records itself, so that an older package can name the
# installed version when it refuses to replace it. HKMU: the machine's key for
# a per-machine installation, the user's for a per-user one.
RELEASE_KEY = 'Software\\TarnLib'


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


def version_numbers(version):
    """The four numbers of a version a.b.c.d. Windows Installer compares the
    first three of a package's version (major and minor at most 255)."""
    numbers = [int(n) for n in version.split('.')]
    if len(numbers) != 4 or numbers[0] > 255 or numbers[1] > 255 or any(n > 65535 for n in numbers):
        raise ValueError('a version of four numbers, the first two at most 255, the others at most 65535: %r' % version)
    return numbers


def release_order(version):
    """The version as text that sorts like the version: five digits a number,
    compared as text by the installer's conditions."""
    return '.'.join('%05d' % n for n in version_numbers(version))


def wxs(version, parts, documents, notes='', help_link=None):
    version_numbers(version)
    bitness = BITNESS_NAMES[tuple(bits for bits, _ in parts)]
    lines = [
        '<?xml version="1.0" encoding="utf-8"?>',
        '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
        '  <Product Id=%s Name=%s Language="1033" Version=%s' %
        (quoteattr(guid('product ' + version)), quoteattr('TarnLib %s (%s)' % (version, bitness)), quoteattr(version)),
        '           Manufacturer=%s UpgradeCode=%s>' % (quoteattr(PUBLISHER), quoteattr(guid('upgrade'))),
        '    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"'
        ' Description="Tarn General Utility Library" Comments=%s/>' % quoteattr(notes),
        '    <MajorUpgrade/>',
        # The installed release, from the machine's key or the user's.
        '    <Property Id="TARNLIB_INSTALLED_VERSION">',
        '      <RegistrySearch Id="InstalledVersionMachine" Root="HKLM" Key=%s Name="Version" Type="raw" Win64="yes"/>'
        % quoteattr(RELEASE_KEY),
        '      <RegistrySearch Id="InstalledVersionUser" Root="HKCU" Key=%s Name="Version" Type="raw"/>'
        % quoteattr(RELEASE_KEY),
        '    </Property>',
        '    <Property Id="TARNLIB_INSTALLED_ORDER">',
        '      <RegistrySearch Id="InstalledOrderMachine" Root="HKLM" Key=%s Name="Order" Type="raw" Win64="yes"/>'
        % quoteattr(RELEASE_KEY),
        '      <RegistrySearch Id="InstalledOrderUser" Root="HKCU" Key=%s Name="Order" Type="raw"/>'
        % quoteattr(RELEASE_KEY),
        '    </Property>',
        '    <Property Id="ARPNOMODIFY" Value="1"/>',
    ]
    if help_link:
        lines.append('    <Property Id="ARPHELPLINK" Value=%s/>' % quoteattr(help_link))
    else:
        # The installed README, once the installer knows its folder.
        first = parts[0][0]
        lines += [
            '    <CustomAction Id="HelpLinkToReadme" Property="ARPHELPLINK" Value="[INSTALLDIR%s]README.md"/>' % first,
            '    <InstallExecuteSequence>',
            '      <Custom Action="HelpLinkToReadme" After="CostFinalize"/>',
            '    </InstallExecuteSequence>',
        ]
    lines += [
        '    <Media Id="1" Cabinet="TarnLib.cab" EmbedCab="yes"/>',
        '    <Directory Id="TARGETDIR" Name="SourceDir">',
    ]
    # Rows that two registrations both write go in once (registry_rows.merged).
    merged = registry_rows.merged(*(rows for _, rows in parts))
    kept = {id(row) for row in merged}
    parts = [(bits, [row for row in rows if id(row) in kept]) for bits, rows in parts]
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
        if index == 0:
            for name, value in (('Version', version), ('Order', release_order(version))):
                lines.append('            <RegistryValue Root="HKMU" Key=%s Name="%s" Type="string" Value=%s/>' %
                             (quoteattr(RELEASE_KEY), name, quoteattr(value)))
        lines.append('          </Component>')
        components.append('Library' + bits)
        # What the registration wrote into the other bitness's view (Wine's
        # type library registration writes the interfaces into both) goes into
        # a component of that view.
        for view in sorted({r['view'] for r in rows} - {bits}):
            name = 'Registration%sIn%s' % (bits, view)
            lines.append('          <Component Id="%s" Guid=%s%s>' %
                         (name, quoteattr(guid(name)), ' Win64="yes"' if view == '64' else ''))
            lines += registry_elements(bits, [r for r in rows if r['view'] == view], '            ', True)
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


def finish_queries(version):
    """SQL for msibuild: what wixl 0.101 cannot write.
    - Root="HKMU" comes out as root 4, which Windows Installer does not know:
      it becomes -1, the machine's or the user's key by the installation's
      context.
    - A downgrade is refused before anything changes (an error custom action,
      which wixl lacks), naming the installed version and the package's:
      when Windows Installer finds a newer product (it compares the first
      three numbers), or when the installed release's order text sorts after
      this one's (the fourth number too).
    - The upgrade also removes a release with the same first three numbers
      (inclusive maximum; an older fourth number, since a newer one is refused)."""
    message = ('TarnLib [TARNLIB_INSTALLED_VERSION] is installed, which is newer than this package, TarnLib %s. '
               'Remove TarnLib [TARNLIB_INSTALLED_VERSION] first to install %s.' % (version, version))
    condition = 'WIX_DOWNGRADE_DETECTED OR TARNLIB_INSTALLED_ORDER > "%s"' % release_order(version)
    return [
        'UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4',
        "INSERT INTO `CustomAction` (`Action`, `Type`, `Target`) VALUES ('RefuseDowngrade', 19, '%s')" % message,
        "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RefuseDowngrade', '%s', 60)"
        % condition,
        # Attributes belong to the row's key: the row is replaced. 1 migrates
        # the feature states, 512 includes the maximum.
        "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'",
        "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) "
        "VALUES ('%s', '%s', 513, 'WIX_UPGRADE_DETECTED')" % (guid('upgrade'), version),
    ]


def finish(msi, version):
    for query in finish_queries(version):
        subprocess.run(['msibuild', msi, '-q', query], check=True)


def main(argv):
    args = argv[1:]
    if len(args) == 3 and args[0] == 'finish':
        finish(args[1], args[2])
        return 0
    documents = []
    if '--documents' in args:
        at = args.index('--documents')
        documents, args = args[at + 1:], args[:at]
    notes, help_link = '', None
    if '--notes' in args:
        at = args.index('--notes')
        with open(args[at + 1], encoding='utf-8') as f:
            notes = f.read().strip()
        del args[at:at + 2]
    if '--help-link' in args:
        at = args.index('--help-link')
        help_link = args[at + 1]
        del args[at:at + 2]
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
        f.write(wxs(version, parts, documents, notes, help_link))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
