#!/usr/bin/env python3
"""Unit tests of the release tools: reading Wine's registry files, the rows a
registration wrote, and how the installer source turns them into rows."""
import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'packaging'))
import make_wxs  # noqa: E402
import registry_rows  # noqa: E402

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
            self.assertEqual(registry_rows.comparable({'value': value})['value'], want, value)


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


if __name__ == '__main__':
    unittest.main(verbosity=1)
