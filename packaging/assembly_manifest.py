#!/usr/bin/env python3
"""Writes the side-by-side assembly manifest of TarnLib.dll from the IDL, for
registration-free use: the DLL with every class (its ProgIDs and threading
model), the type library, and one proxy/stub entry per interface, marshalled
through the type library. Everything is read from the IDL, so no identifier is
stated twice.

Usage: assembly_manifest.py <TarnLib.idl> <version a.b.c.d> <x86|amd64> <output.manifest>
"""
import re
import sys
from xml.sax.saxutils import quoteattr

# Classes run in the client's single-threaded apartments, as registration says.
THREADING_MODEL = 'Apartment'
# The type-library marshaler (PSOAInterface) and IDispatch.
TYPELIB_MARSHALER = '{00020424-0000-0000-C000-000000000046}'
IID_IDISPATCH = '{00020400-0000-0000-C000-000000000046}'

ATTRIBUTES = r'\[([^\]]*)\]\s*'
LIBRARY = re.compile(ATTRIBUTES + r'library\s+(\w+)')
INTERFACE = re.compile(ATTRIBUTES + r'interface\s+(\w+)\s*:\s*(\w+)\s*\{(.*?)\n\s*\};', re.S)
COCLASS = re.compile(ATTRIBUTES + r'coclass\s+(\w+)')
UUID = re.compile(r'uuid\(([0-9A-Fa-f-]{36})\)')
VERSION = re.compile(r'version\((\d+)\.(\d+)\)')
HELPSTRING = re.compile(r'helpstring\("([^"]*)"\)')
# One v-table slot per method or property accessor of the interface body.
METHOD = re.compile(r'\bHRESULT\s+\w+\s*\(')


def guid(attributes):
    found = UUID.search(attributes)
    if not found:
        raise ValueError('no uuid in [%s]' % attributes.strip())
    return '{%s}' % found.group(1).upper()


def strip_comments(text):
    return re.sub(r'//[^\n]*', '', text)


def manifest(idl, version, architecture):
    idl = strip_comments(idl)
    library = LIBRARY.search(idl)
    if not library:
        raise ValueError('no library in the IDL')
    lib_attributes, lib_name = library.groups()
    tlbid = guid(lib_attributes)
    major, minor = VERSION.search(lib_attributes).groups()
    help_text = HELPSTRING.search(lib_attributes)
    interfaces = [(name, guid(attrs), base, len(METHOD.findall(body)))
                  for attrs, name, base, body in INTERFACE.findall(idl)]
    classes = [(name, guid(attrs)) for attrs, name in COCLASS.findall(idl)]
    if not interfaces or not classes:
        raise ValueError('no interfaces or no classes in the IDL')

    lines = [
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
        '<!-- Generated from the IDL by assembly_manifest.py. -->',
        '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
        '  <assemblyIdentity type="win32" name=%s version=%s processorArchitecture=%s/>'
        % (quoteattr(lib_name), quoteattr(version), quoteattr(architecture)),
    ]
    if help_text:
        lines.append('  <description>%s</description>' % help_text.group(1))
    lines.append('  <file name=%s>' % quoteattr(lib_name + '.dll'))
    for name, clsid in classes:
        progid = '%s.%s' % (lib_name, name)
        lines.append('    <comClass clsid="%s" threadingModel="%s" tlbid="%s" progid=%s description=%s>'
                     % (clsid, THREADING_MODEL, tlbid, quoteattr('%s.%s' % (progid, major)), quoteattr(name)))
        lines.append('      <progid>%s</progid>' % progid)
        lines.append('    </comClass>')
    lines.append('    <typelib tlbid="%s" version="%s.%s" helpdir="" flags=""/>' % (tlbid, major, minor))
    lines.append('  </file>')
    for name, iid, base, methods in interfaces:
        if base != 'IDispatch':
            raise ValueError('interface %s derives from %s, not IDispatch' % (name, base))
        lines.append('  <comInterfaceExternalProxyStub name=%s iid="%s" tlbid="%s" proxyStubClsid32="%s" '
                     'baseInterface="%s" numMethods="%d"/>'
                     % (quoteattr(name), iid, tlbid, TYPELIB_MARSHALER, IID_IDISPATCH, 7 + methods))
    lines.append('</assembly>')
    return '\n'.join(lines) + '\n'


def main(argv):
    if len(argv) != 5 or argv[3] not in ('x86', 'amd64') or not re.fullmatch(r'\d+(\.\d+){3}', argv[2]):
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding='cp1252') as f:
        text = manifest(f.read(), argv[2], argv[3])
    with open(argv[4], 'w', encoding='utf-8', newline='\r\n') as f:
        f.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
