#!/usr/bin/env python3
"""The release zip: what it holds, and that the same sources give the same
bytes. scripts/package.sh runs twice: once on the usual build folder and once
on a fresh one, so a time stamp or a path that leaks into the DLL, the
checker or the zip shows up as a difference.

  BRISKLET_WIN32_BUILD   the usual build folder (default build/win32)
  BRISKLET_PACKAGE_QUICK=1  reuse that folder for the second run too: checks
                          the zip step only, in seconds instead of a minute

Run: python3 tests/static/check_package.py
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.dont_write_bytecode = True  # importing the shared report must not litter tests/
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from check_report import failures, report, summary  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

EXPECTED = [
    "Brisklet.dll",
    "list.txt",
    "statuses.txt",
    "Languages/German.ini",
    "Languages/Russian.ini",
    "README.txt",
    "brisklet-check.exe",
    "samples/ru/list.txt",
    "samples/ru/statuses.txt",
]
# Shipped exactly as they lie in the tree.
VERBATIM = {
    "list.txt": "samples/list.txt",
    "statuses.txt": "samples/statuses.txt",
    "Languages/German.ini": "Languages/German.ini",
    "Languages/Russian.ini": "Languages/Russian.ini",
    "samples/ru/list.txt": "samples/ru/list.txt",
    "samples/ru/statuses.txt": "samples/ru/statuses.txt",
}
I386 = 0x14C


def version_text():
    """The version from its one place, project(VERSION)."""
    text = open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8").read()
    return re.search(r"project\(Brisklet VERSION ([0-9.]+)", text).group(1)


def package(build, out):
    env = dict(os.environ, BRISKLET_NO_SETUP="1", BRISKLET_WIN32_BUILD=build, BRISKLET_PACKAGE=out)
    done = subprocess.run([os.path.join(ROOT, "scripts", "package.sh")], env=env, cwd=ROOT,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=1800)
    if done.returncode != 0:
        return done.stdout.decode("utf-8", "replace")[-2000:]
    return None


def pe_header(data):
    """(machine, time stamp, characteristics, subsystem) of a PE image, or None."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    machine, _, stamp, _, _, _, characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
    subsystem = struct.unpack_from("<H", data, pe + 24 + 68)[0]
    return machine, stamp, characteristics, subsystem


def check_contents(path):
    with zipfile.ZipFile(path) as z:
        infos = z.infolist()
        names = [i.filename for i in infos]
        report("zip holds exactly the package's files, in order",
               [] if names == EXPECTED else ["names %s" % names])
        report("zip entries carry fixed stamps and permissions",
               ["%s: %s, %o, system %d" % (i.filename, i.date_time, i.external_attr >> 16, i.create_system)
                for i in infos
                if i.date_time != (2026, 1, 1, 0, 0, 0) or i.external_attr >> 16 != 0o100644
                or i.create_system != 3])
        problems = []
        for name, source in VERBATIM.items():
            with open(os.path.join(ROOT, source), "rb") as f:
                if name in names and z.read(name) != f.read():
                    problems.append("%s differs from %s" % (name, source))
        report("text files and dictionaries shipped byte for byte", problems)

        readme = z.read("README.txt") if "README.txt" in names else b""
        problems = []
        if b"/nl" not in readme:
            problems.append('README.txt does not mention "/nl"')
        for word in (b"ICQ", b"Jabber", b"samples\\ru", b"brisklet-check"):
            if word not in readme:
                problems.append("README.txt does not mention %r" % word)
        if b"\n" in readme.replace(b"\r\n", b"") or not readme.endswith(b"\r\n"):
            problems.append("README.txt has line ends other than CR LF")
        if any(b > 0x7E or (b < 0x20 and b not in (0x0D, 0x0A)) for b in readme):
            problems.append("README.txt is not plain ASCII (shown in any code page)")
        if not readme.startswith(b"Brisklet %s for HOX Vostek\r\n" % version_text().encode("ascii")):
            problems.append("README.txt does not open with the version: %r" % readme[:40])
        report("README.txt for users", problems)

        problems = []
        for name, want_dll in (("Brisklet.dll", True), ("brisklet-check.exe", False)):
            header = pe_header(z.read(name)) if name in names else None
            if header is None:
                problems.append("%s is not a PE image" % name)
                continue
            machine, stamp, characteristics, subsystem = header
            if machine != I386:
                problems.append("%s: machine %#x, not 32-bit x86" % (name, machine))
            if bool(characteristics & 0x2000) != want_dll:
                problems.append("%s: DLL flag is %s" % (name, bool(characteristics & 0x2000)))
            if stamp != 0:
                problems.append("%s: link time stamp %#x (builds would differ)" % (name, stamp))
            if not want_dll and subsystem != 3:
                problems.append("%s: subsystem %d, not console" % (name, subsystem))
        report("32-bit DLL and console checker, without time stamps", problems)


def main():
    usual = os.environ.get("BRISKLET_WIN32_BUILD", os.path.join(ROOT, "build", "win32"))
    quick = os.environ.get("BRISKLET_PACKAGE_QUICK") == "1"
    temp = tempfile.mkdtemp(prefix="brisklet-package-")
    try:
        first = os.path.join(temp, "first.zip")
        second = os.path.join(temp, "second.zip")
        failure = package(usual, first)
        report("package.sh builds the zip", [failure] if failure else [])
        if failure:
            return finish()
        failure = package(usual if quick else os.path.join(temp, "fresh-build"), second)
        report("package.sh builds it again%s" % ("" if quick else " in a fresh build folder"),
               [failure] if failure else [])
        if not failure:
            with open(first, "rb") as a, open(second, "rb") as b:
                same = a.read() == b.read()
            report("both zips are the same, byte for byte", [] if same else ["%s and %s differ" % (first, second)])
        check_contents(first)
        print("zip size: %d bytes" % os.path.getsize(first))
    finally:
        if failures() == 0:
            shutil.rmtree(temp, ignore_errors=True)
        else:
            print("kept for a look: " + temp)
    return finish()


def finish():
    return summary()


if __name__ == "__main__":
    sys.exit(main())
