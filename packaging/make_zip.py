#!/usr/bin/env python3
"""Packs the release zip so that the same inputs give the same bytes: a fixed
order, a fixed time stamp and fixed permissions for every entry, and text
files for users with Windows line ends.

usage: make_zip.py OUT.zip BUILD_DIR
BUILD_DIR holds bin/Brisklet.dll and bin/brisklet-check.exe (the win32 build),
and generated/brisklet_version.h, whose version goes into README.txt.
"""

import os
import re
import sys
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
STAMP = (2026, 1, 1, 0, 0, 0)
MODE = 0o100644  # a regular file, read-write for its owner

# (name in the zip, source, crlf): the folder as it lies beside the
# messenger's plug-ins. Text files are copied byte for byte unless crlf.
def contents(build):
    return [
        ("Brisklet.dll", os.path.join(build, "bin", "Brisklet.dll"), False),
        ("list.txt", os.path.join(ROOT, "samples", "list.txt"), False),
        ("statuses.txt", os.path.join(ROOT, "samples", "statuses.txt"), False),
        ("Languages/German.ini", os.path.join(ROOT, "Languages", "German.ini"), False),
        ("Languages/Russian.ini", os.path.join(ROOT, "Languages", "Russian.ini"), False),
        ("README.txt", os.path.join(ROOT, "packaging", "README.txt"), True),
        ("brisklet-check.exe", os.path.join(build, "bin", "brisklet-check.exe"), False),
        ("samples/ru/list.txt", os.path.join(ROOT, "samples", "ru", "list.txt"), False),
        ("samples/ru/statuses.txt", os.path.join(ROOT, "samples", "ru", "statuses.txt"), False),
    ]


def version(build):
    header = open(os.path.join(build, "generated", "brisklet_version.h"), encoding="ascii").read()
    return re.search(r'#define BRISKLET_VERSION_TEXT "([^"]+)"', header).group(1).encode("ascii")


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    out, build = argv[1], argv[2]
    entries = []
    for name, source, crlf in contents(build):
        try:
            with open(source, "rb") as f:
                data = f.read()
        except OSError as e:
            sys.stderr.write("make_zip: %s\n" % e)
            return 1
        if crlf:
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n").replace(b"@VERSION@", version(build))
        entries.append((name, data))
    temp = out + ".part"
    with zipfile.ZipFile(temp, "w") as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=STAMP)
            info.create_system = 3
            info.external_attr = MODE << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(temp, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
