#!/usr/bin/env python3
"""Unit tests of the release tools: reading Wine's registry files, the rows a
registration wrote, and how the installer source turns them into rows."""
import json
import os
import struct
import sys
import tempfile
import unittest
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'packaging'))
import make_wxs  # noqa: E402
import registry_rows  # noqa: E402
import release_notes  # noqa: E402
import typelib_identity  # noqa: E402

BEFORE = r'''WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Classes\\CLSID] 1796816607
#time=1dd87d2811f10e8

[Software\\Classes\\Typelib\\{00000000-0000-0000-0000-000000000001}\\1.0] 1796816607
@="Other library"

[Software\\Wine\\Fonts] 1796816587
"Changed"="old"
'''

AFTER = r'''WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Classes\\CLSID] 1796816683
#time=1dd87d2aeebb8e6

[Software\\Classes\\CLSID\\{10F4E6F0-E3C8-4754-A8CB-E0C641BD9266}\\InprocServer32] 1796816683
#time=1dd87d2aeebcda4
@="C:\\Program Files\\TarnLib\\TarnLib.dll"
"ThreadingModel"="Apartment"

[Software\\Classes\\Typelib\\{00000000-0000-0000-0000-000000000001}\\1.0] 1796816700
@="Other library"

[Software\\Classes\\Wow6432Node\\Interface\\{16BE7DF9-7EDF-4B59-8B1C-E931E65753DB}] 1796816683
@="clsExItem"
"Quoted"="say \"x\" \x00e9"

[Software\\Classes\\Installer\\Products\\ABC] 1796816683
"ProductName"="TarnLib"

[Software\\Classes\\Empty\\Key] 1796816683

[Software\\Classes\\Numbers] 1796816683
"Flags"=dword:0000000a

[Software\\Wine\\Fonts] 1796816690
"Changed"="new"
'''


def rows(before, after, root=registry_rows.CLASSES):
    with tempfile.TemporaryDirectory() as folder:
        paths = []
        for name, text in (('before.reg', before), ('after.reg', after)):
            paths.append(os.path.join(folder, name))
            with open(paths[-1], 'w') as f:
                f.write(text)
        return registry_rows.rows_of(registry_rows.parse(paths[0]), registry_rows.parse(paths[1]), root)


class RegistryRowsTest(unittest.TestCase):
    def test_rows_written_under_the_classes_key(self):
        got = {(r['view'], r['key'], r['name']): r['value'] for r in rows(BEFORE, AFTER)}
        want = {
            ('64', 'CLSID\\{10F4E6F0-E3C8-4754-A8CB-E0C641BD9266}\\InprocServer32', ''):
                'C:\\Program Files\\TarnLib\\TarnLib.dll',
            ('64', 'CLSID\\{10F4E6F0-E3C8-4754-A8CB-E0C641BD9266}\\InprocServer32', 'ThreadingModel'): 'Apartment',
            ('32', 'Interface\\{16BE7DF9-7EDF-4B59-8B1C-E931E65753DB}', ''): 'clsExItem',
            ('32', 'Interface\\{16BE7DF9-7EDF-4B59-8B1C-E931E65753DB}', 'Quoted'): 'say "x" \u00e9',
            ('64', 'Empty\\Key', None): None,
            ('64', 'Numbers', 'Flags'): 10,
        }
        # A key only touched (new time, same values), the installer's own
        # bookkeeping and keys outside the classes key are not rows.
        self.assertEqual(got, want)

    def test_user_classes_root(self):
        user = '[Software\\\\Classes\\\\TarnLib.Network\\\\CLSID] 1\n@="{18DD50E3}"\n'
        got = rows('', user)
        self.assertEqual([(r['key'], r['value']) for r in got], [('TarnLib.Network\\CLSID', '{18DD50E3}')])

    def test_removed_names_what_mentions_the_library(self):
        with tempfile.TemporaryDirectory() as folder:
            before, after = os.path.join(folder, 'b.reg'), os.path.join(folder, 'a.reg')
            with open(before, 'w') as f:
                f.write(BEFORE)
            with open(after, 'w') as f:
                f.write(AFTER)
            names = registry_rows.own_names([{'key': 'Interface\\{16BE7DF9-7EDF-4B59-8B1C-E931E65753DB}'},
                                              {'key': 'CLSID\\{10F4E6F0-E3C8-4754-A8CB-E0C641BD9266}'}])
            left = registry_rows.removed(registry_rows.parse(before), registry_rows.parse(after), names)
            self.assertEqual(left, [
                'Software\\Classes\\CLSID\\{10F4E6F0-E3C8-4754-A8CB-E0C641BD9266}\\InprocServer32',
                'Software\\Classes\\Installer\\Products\\ABC',  # its value names TarnLib
                'Software\\Classes\\Wow6432Node\\Interface\\{16BE7DF9-7EDF-4B59-8B1C-E931E65753DB}',
            ])
            self.assertEqual(registry_rows.removed(registry_rows.parse(before), registry_rows.parse(before), names), [])

    def test_comparable_drops_a_folders_final_backslash_only(self):
        cases = [
            ('C:\\Program Files\\TarnLib\\', 'C:\\Program Files\\TarnLib'),
            ('C:\\Program Files\\TarnLib', 'C:\\Program Files\\TarnLib'),
            ('not a path\\', 'not a path\\'),
            (8, 8),
        ]
        for value, want in cases:
            self.assertEqual(registry_rows.comparable({'key': 'K', 'value': value})['value'], want, value)

    def test_exported_registry_reads_like_wines_own(self):
        # What reg.exe export writes (UTF-16): the shared TypeLib key appears a
        # second time under the 32-bit view's link, and every key is listed,
        # with or without values.
        exported = '\r\n'.join([
            'Windows Registry Editor Version 5.00', '',
            '[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{A}]', '',
            '[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{A}\\InprocServer32]',
            '@="C:\\\\Program Files\\\\TarnLib\\\\TarnLib.dll"', '"ThreadingModel"="Apartment"', '',
            '[HKEY_LOCAL_MACHINE\\Software\\Classes\\TypeLib\\{L}\\b.0\\FLAGS]', '@="8"', '',
            '[HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node\\TypeLib\\{L}\\b.0\\FLAGS]', '@="8"', '',
            '[HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node\\CLSID\\{B}\\Empty]', '',
            '[HKEY_CURRENT_USER\\Software\\Classes\\Elsewhere]', '@="not the machine\'s"', '',
        ])
        with tempfile.TemporaryDirectory() as folder:
            before, after = os.path.join(folder, 'before.reg'), os.path.join(folder, 'after.reg')
            with open(before, 'wb') as f:
                f.write(b'\xff\xfe' + 'Windows Registry Editor Version 5.00\r\n'.encode('utf-16-le'))
            with open(after, 'wb') as f:
                f.write(b'\xff\xfe' + exported.encode('utf-16-le'))
            got = registry_rows.rows_of(registry_rows.parse(before), registry_rows.parse(after), registry_rows.CLASSES)
        self.assertEqual(sorted((r['view'], r['key'], r['name'], r['value']) for r in got), [
            ('32', 'CLSID\\{B}\\Empty', None, None),
            ('64', 'CLSID\\{A}\\InprocServer32', '', 'C:\\Program Files\\TarnLib\\TarnLib.dll'),
            ('64', 'CLSID\\{A}\\InprocServer32', 'ThreadingModel', 'Apartment'),
            ('64', 'TypeLib\\{L}\\b.0\\FLAGS', '', '8'),
        ])


DLL64 = 'C:\\Program Files\\TarnLib'
DLL32 = 'C:\\Program Files (x86)\\TarnLib'


def row(view, key, value, name=''):
    return {'view': view, 'key': key, 'name': name, 'type': 'string', 'value': value}


class OtherBitnessTest(unittest.TestCase):
    # (64-bit registration's row, the 32-bit one's)
    CASES = [
        (row('64', 'CLSID\\{C}\\InprocServer32', DLL64 + '\\TarnLib.dll'),
         row('32', 'CLSID\\{C}\\InprocServer32', DLL32 + '\\TarnLib.dll')),
        (row('64', 'CLSID\\{C}\\InprocServer32', 'Apartment', 'ThreadingModel'),
         row('32', 'CLSID\\{C}\\InprocServer32', 'Apartment', 'ThreadingModel')),
        # ProgIDs are shared by both views, as Wine's 32-bit regsvr32 shows.
        (row('64', 'TarnLib.Network\\CLSID', '{C}'), row('64', 'TarnLib.Network\\CLSID', '{C}')),
        # The interface keys' copy in the other view swaps with them.
        (row('64', 'Interface\\{I}\\TypeLib', '{L}'), row('32', 'Interface\\{I}\\TypeLib', '{L}')),
        (row('32', 'Interface\\{I}\\TypeLib', '{L}'), row('64', 'Interface\\{I}\\TypeLib', '{L}')),
        # The type library's key is shared: same view, the platform and path swapped.
        (row('64', 'Typelib\\{L}\\b.0\\409\\win64', DLL64 + '\\TarnLib.dll'),
         row('64', 'Typelib\\{L}\\b.0\\409\\win32', DLL32 + '\\TarnLib.dll')),
        (row('64', 'Typelib\\{L}\\b.0\\0\\win64', DLL64 + '\\TarnLib.dll'),
         row('64', 'Typelib\\{L}\\b.0\\0\\win32', DLL32 + '\\TarnLib.dll')),
        (row('64', 'Typelib\\{L}\\b.0\\HELPDIR', DLL64), row('64', 'Typelib\\{L}\\b.0\\HELPDIR', DLL32)),
        (row('64', 'Typelib\\{L}\\b.0\\FLAGS', '8'), row('64', 'Typelib\\{L}\\b.0\\FLAGS', '8')),
        # Only the platform subkey is a platform: a key named so elsewhere is not.
        (row('64', 'TarnLib.win64', 'x'), row('64', 'TarnLib.win64', 'x')),
        ({'view': '64', 'key': 'CLSID\\{C}', 'name': 'N', 'type': 'integer', 'value': 10},
         {'view': '32', 'key': 'CLSID\\{C}', 'name': 'N', 'type': 'integer', 'value': 10}),
    ]

    def test_rows(self):
        for row64, row32 in self.CASES:
            self.assertEqual(registry_rows.other_bitness([row64], DLL64, DLL32), [row32], row64)
            # The transform is its own inverse.
            self.assertEqual(registry_rows.other_bitness([row32], DLL32, DLL64), [row64], row32)

    def test_a_path_outside_the_dlls_folder_is_refused(self):
        for value in ('C:\\windows\\system32\\oleaut32.dll', DLL64 + 'Other\\TarnLib.dll', 'Z:\\build\\TarnLib.dll'):
            with self.assertRaises(ValueError, msg=value):
                registry_rows.other_bitness([row('64', 'K', value)], DLL64, DLL32)

    def test_roots_are_the_keys_to_export(self):
        rows = [row('64', 'CLSID\\{C}\\InprocServer32', 'x'), row('32', 'clsid\\{C}', 'y'),
                row('64', 'Typelib\\{L}\\b.0\\409\\win64', 'x'), row('64', 'TarnLib.Network\\CLSID', '{C}'),
                row('64', 'TarnLib.Network.11', 'TarnLib.Network'), row('32', 'Interface\\{I}', '_X')]
        self.assertEqual(registry_rows.roots(rows),
                         ['CLSID\\{C}', 'Typelib\\{L}', 'TarnLib.Network', 'TarnLib.Network.11', 'Interface\\{I}'])

    def test_merged_keeps_the_first_registrations_value(self):
        first = [row('64', 'Typelib\\{L}\\b.0\\HELPDIR', DLL64), row('64', 'Interface\\{I}', '_X')]
        second = [row('64', 'typelib\\{l}\\B.0\\helpdir', DLL32), row('64', 'Interface\\{I}', '_X'),
                  row('32', 'Interface\\{I}', '_X'), row('64', 'Interface\\{I}', 'v', 'Version')]
        self.assertEqual(registry_rows.merged(first, second), first + second[2:])
        self.assertEqual(registry_rows.merged(second, first), second)


class ReleaseNotesTest(unittest.TestCase):
    CHANGELOG = '# Changes\n\n## 1.2.0.10 (type library 11.0)\n\nTen.\n\n### Fixes\n- one\n\n## 1.2.0.1\n\nOne.\n'

    def test_sections(self):
        cases = [
            ('1.2.0.10', '## 1.2.0.10 (type library 11.0)\n\nTen.\n\n### Fixes\n- one\n'),
            ('1.2.0.1', '## 1.2.0.1\n\nOne.\n'),  # the last section runs to the end
            ('1.2.0', None),  # a prefix of a version is not that version
            ('1.2.0.100', None),
            ('1x2.0.1', None),  # points are points
        ]
        for version, want in cases:
            self.assertEqual(release_notes.section(self.CHANGELOG, version), want, version)


class ReleaseOrderTest(unittest.TestCase):
    def test_text_order_is_version_order(self):
        numbers = [0, 1, 2, 9, 10, 99, 100, 255]
        versions = [(a, b, c, d) for a in numbers[:3] for b in numbers[:3] for c in numbers for d in numbers]
        texts = {v: make_wxs.release_order('%d.%d.%d.%d' % v) for v in versions}
        self.assertEqual(sorted(versions), sorted(versions, key=texts.get))
        self.assertEqual(make_wxs.release_order('255.0.65535.1'), '00255.00000.65535.00001')

    def test_versions_the_installer_cannot_hold_are_refused(self):
        for version in ('256.0.0.0', '0.256.0.0', '0.0.65536.0', '0.0.0.65536', '1.2.3', '1.2.3.4.5', 'a.b.c.d'):
            with self.assertRaises(ValueError, msg=version):
                make_wxs.version_numbers(version)


class InstallerReleaseDataTest(unittest.TestCase):
    ROWS = [row('64', 'CLSID\\{A}\\InprocServer32', DLL64 + '\\TarnLib.dll')]

    def test_name_publisher_notes_and_version_record(self):
        both = make_wxs.wxs('1.2.3.4', [('64', self.ROWS), ('32', [])], ['README.md'], 'Notes & more')
        only = make_wxs.wxs('1.2.3.4', [('64', self.ROWS)], ['README.md'])
        self.assertIn('Name="TarnLib 1.2.3.4 (64-bit and 32-bit)"', both)
        self.assertIn('Name="TarnLib 1.2.3.4 (64-bit)"', only)
        self.assertIn('Manufacturer="The TarnLib authors"', both)
        self.assertIn('Comments="Notes &amp; more"', both)
        self.assertIn('<MajorUpgrade/>', both)
        self.assertIn('Key="Software\\TarnLib" Name="Version" Type="string" Value="1.2.3.4"', both)
        self.assertIn('Name="Order" Type="string" Value="00001.00002.00003.00004"', both)

    def test_help_link(self):
        default = make_wxs.wxs('1.2.3.4', [('64', self.ROWS)], ['README.md'])
        given = make_wxs.wxs('1.2.3.4', [('64', self.ROWS)], ['README.md'], help_link='https://example.org/help')
        self.assertIn('Property="ARPHELPLINK" Value="[INSTALLDIR64]README.md"', default)
        self.assertIn('<Property Id="ARPHELPLINK" Value="https://example.org/help"/>', given)
        self.assertNotIn('HelpLinkToReadme', given)

    def test_rows_both_registrations_write_go_in_once(self):
        shared = row('64', 'Typelib\\{L}\\b.0\\HELPDIR', DLL64)
        text = make_wxs.wxs('1.2.3.4', [('64', [shared]), ('32', registry_rows.other_bitness([shared], DLL64, DLL32))],
                            [])
        self.assertEqual(text.count('HELPDIR'), 1)
        self.assertIn('Value="[INSTALLDIR64]"', text)

    def test_refusal_names_both_versions_and_compares_all_four_numbers(self):
        queries = make_wxs.finish_queries('1.2.3.4')
        refusal = next(q for q in queries if 'RefuseDowngrade' in q and 'CustomAction' in q)
        self.assertIn('[TARNLIB_INSTALLED_VERSION]', refusal)
        self.assertIn('1.2.3.4', refusal)
        sequence = next(q for q in queries if 'InstallExecuteSequence' in q)
        self.assertIn('TARNLIB_INSTALLED_ORDER > "00001.00002.00003.00004"', sequence)
        self.assertIn('WIX_DOWNGRADE_DETECTED', sequence)


class InstallerSourceTest(unittest.TestCase):
    def test_values(self):
        cases = [
            ('64', 'C:\\Program Files\\TarnLib\\TarnLib.dll', '[#TarnLib64.dll]'),
            ('64', 'c:\\program files\\tarnlib\\TARNLIB.DLL', '[#TarnLib64.dll]'),
            ('32', 'C:\\Program Files (x86)\\TarnLib\\TarnLib.dll', '[#TarnLib32.dll]'),
            ('64', 'C:\\Program Files\\TarnLib', '[INSTALLDIR64]'),
            ('32', 'C:\\Program Files (x86)\\TarnLib\\', '[INSTALLDIR32]'),
            ('64', '{380BE816-51D0-403D-9DB2-0BE76F0DEF47}', '{380BE816-51D0-403D-9DB2-0BE76F0DEF47}'),
            ('64', 'a[b]c', 'a[\\[]b[\\]]c'),
        ]
        for bits, value, want in cases:
            self.assertEqual(make_wxs.installer_value(bits, value), want, value)

    def test_paths_it_cannot_reproduce_are_refused(self):
        for bits, value in (('64', 'C:\\Program Files (x86)\\TarnLib\\TarnLib.dll'),
                            ('32', 'C:\\Program Files\\TarnLib\\TarnLib.dll'),
                            ('64', 'Z:\\build\\TarnLib.dll')):
            with self.assertRaises(ValueError, msg=value):
                make_wxs.installer_value(bits, value)

    def test_each_view_in_a_component_of_its_own(self):
        rows64 = [
            {'view': '64', 'key': 'CLSID\\{A}\\InprocServer32', 'name': '', 'type': 'string',
             'value': 'C:\\Program Files\\TarnLib\\TarnLib.dll'},
            {'view': '32', 'key': 'Interface\\{I}', 'name': '', 'type': 'string', 'value': '_X'},
        ]
        text = make_wxs.wxs('1.2.3.4', [('64', rows64), ('32', [])], ['README.md'])
        library = text[text.index('<Component Id="Library64"'):text.index('</Component>')]
        self.assertIn('Win64="yes"', library)
        self.assertIn('Value="[#TarnLib64.dll]"', library)
        self.assertNotIn('Interface', library)
        other = text[text.index('<Component Id="Registration64In32"'):]
        other = other[:other.index('</Component>')]
        self.assertNotIn('Win64', other)
        self.assertIn('Key="Interface\\{I}"', other)
        self.assertIn('KeyPath="yes"', other)
        # Stable identifiers: the same version gives the same product code,
        # another version another one; the upgrade code never changes.
        again = make_wxs.wxs('1.2.3.4', [('64', rows64), ('32', [])], ['README.md'])
        other_version = make_wxs.wxs('1.2.3.5', [('64', rows64), ('32', [])], ['README.md'])
        self.assertEqual(text, again)
        product = lambda t: t[t.index('Product Id='):].split('"')[1]
        upgrade = lambda t: t[t.index('UpgradeCode='):].split('"')[1]
        self.assertNotEqual(product(text), product(other_version))
        self.assertEqual(upgrade(text), upgrade(other_version))



def type_library(target, guids, lcid=0x409, version=0xB, help_dll=False):
    """A minimal MSFT file: header, no type infos, the segment directory and
    a GUID table whose first entry is the library's."""
    varflags = target | (typelib_identity.HELP_DLL_FLAG if help_dll else 0)
    header = bytearray(typelib_identity.HEADER)
    header[:4] = b'MSFT'
    struct.pack_into('<iIIII', header, 8, 0, lcid, lcid, varflags, version)
    directory_at = len(header) + (4 if help_dll else 0)
    table_at = directory_at + 15 * 16
    directory = bytearray(15 * 16)
    struct.pack_into('<ii', directory, 16 * typelib_identity.GUID_SEGMENT, table_at, 24 * len(guids))
    table = b''.join(uuid.UUID(g).bytes_le + bytes(8) for g in guids)
    return bytes(header) + bytes(4 if help_dll else 0) + bytes(directory) + table


class TypeLibraryIdentityTest(unittest.TestCase):
    LIB = '380BE816-51D0-403D-9DB2-0BE76F0DEF47'
    CLASS = '9AC6258E-4A74-4907-8655-004DC84EF9DD'
    OTHER = '00020400-0000-0000-C000-000000000046'

    def test_reads_the_library_and_its_guids(self):
        for help_dll in (False, True):
            got = typelib_identity.identity(type_library(3, [self.LIB, self.CLASS], help_dll=help_dll))
            self.assertEqual((got['library'], got['target'], got['lcid'], got['version'], got['guids']),
                             (self.LIB, 'win64', 0x409, 0xB, {self.LIB, self.CLASS}), help_dll)

    def test_differences(self):
        w64 = typelib_identity.identity(type_library(3, [self.LIB, self.CLASS]))
        cases = [
            (type_library(1, [self.LIB, self.CLASS]), []),
            (type_library(1, [self.LIB, self.CLASS, self.OTHER]), ['GUID %s in only one of them' % self.OTHER]),
            (type_library(1, [self.LIB]), ['GUID %s in only one of them' % self.CLASS]),
            (type_library(3, [self.LIB, self.CLASS]), ['targets win64 and win64, not win64 and win32']),
            (type_library(1, [self.LIB, self.CLASS], lcid=0), ['lcid: 1033 and 0']),
            (type_library(1, [self.LIB, self.CLASS], version=0xC), ['version: 11 and 12']),
            (type_library(1, [self.CLASS, self.LIB]),
             ['library: %s and %s' % (self.LIB, self.CLASS)]),
        ]
        for data, want in cases:
            self.assertEqual(typelib_identity.differences(w64, typelib_identity.identity(data)), want, want)


if __name__ == '__main__':
    unittest.main(verbosity=1)
