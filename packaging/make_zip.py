#!/usr/bin/env python3
"""Writes a zip archive that depends only on the files' names and contents.

  make_zip.py OUT.zip FOLDER

Every file under FOLDER is stored under its path relative to FOLDER, in sorted
order, with the same modification time (SOURCE_DATE_EPOCH, which the release
script sets to the last commit's time), the same permissions and no extra
fields, so that two builds of the same sources give byte-identical archives.
"""
import os
import sys
import time
import zipfile

ZIP_EARLIEST = 315532800  # 1980-01-01, the first time a zip entry can hold


def entries(folder):
    found = []
    for parent, dirs, files in os.walk(folder):
        dirs.sort()
        for name in files:
            path = os.path.join(parent, name)
            found.append((os.path.relpath(path, folder).replace(os.sep, '/'), path))
    return sorted(found)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    epoch = max(int(os.environ.get('SOURCE_DATE_EPOCH', ZIP_EARLIEST)), ZIP_EARLIEST)
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(argv[1], 'w', zipfile.ZIP_DEFLATED) as archive:
        for name, path in entries(argv[2]):
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the permissions below are read
            info.external_attr = 0o644 << 16
            with open(path, 'rb') as f:
                archive.writestr(info, f.read(), compresslevel=9)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
