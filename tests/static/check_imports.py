#!/usr/bin/env python3
"""The shipped 32-bit programs need no newer Windows than we say.

Reads each program's import table and PE header (objdump) against
cmake/windows_imports.txt, which gives the oldest supported Windows (the
floor) and each imported function's oldest Windows. Fails on an import that
the list lacks (record its version first), on one newer than the floor, on
an import by ordinal (no name to look up), and on a header whose OS or
subsystem version is not the floor.

usage: check_imports.py [--list FILE] PROGRAM...
"""
import os
import re
import subprocess
import sys

DEFAULT_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "windows_imports.txt")


def version(text):
    major, minor = text.split(".")
    return int(major), int(minor)


def read_list(path):
    """(floor, {(dll, function): version})."""
    floor = None
    known = {}
    for line in open(path, encoding="utf-8"):
        line = line.split("#")[0].strip()
        if not line:
            continue
        fields = line.split()
        if fields[0] == "floor":
            floor = version(fields[1])
        elif len(fields) == 3:
            known[(fields[0].lower(), fields[1])] = version(fields[2])
        else:
            raise ValueError("%s: cannot read %r" % (path, line))
    if floor is None:
        raise ValueError("%s sets no floor" % path)
    return floor, known


def read_program(path):
    """({(dll, function or '#ordinal')}, {header field: version})."""
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], capture_output=True, text=True, check=True).stdout
    imports = set()
    dll = None
    tables = dump.split("The Import Tables")[-1].split("The Export Tables")[0]
    for line in tables.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        entry = re.match(r"^\t[0-9a-f]+\t\s*(\d+)\s+(\S+)?\s*$", line)
        if entry and dll:
            imports.add((dll, entry.group(2) or "#" + entry.group(1)))
    header = {}
    for field in ("OSystemVersion", "SubsystemVersion"):
        major = re.search(r"Major%s\s+(\d+)" % field, dump)
        minor = re.search(r"Minor%s\s+(\d+)" % field, dump)
        header[field] = (int(major.group(1)), int(minor.group(1))) if major and minor else None
    return imports, header


def faults(name, imports, header, floor, known):
    found = []
    if not imports:
        found.append("%s: no imports read" % name)
    for dll, function in sorted(imports):
        if function.startswith("#"):
            found.append("%s: imports %s ordinal %s, which has no name to hold to a version" % (name, dll, function[1:]))
        elif (dll, function) not in known:
            found.append("%s: imports %s!%s, which cmake/windows_imports.txt lacks: record its oldest Windows there"
                         % (name, dll, function))
        elif known[(dll, function)] > floor:
            found.append("%s: imports %s!%s, which needs Windows %d.%d, newer than the floor %d.%d"
                         % ((name, dll, function) + known[(dll, function)] + floor))
    for field, value in header.items():
        if value != floor:
            found.append("%s: the header's %s is %s, not the floor %d.%d" % ((name, field, value) + floor))
    return found


def planted_faults_found():
    """A check that finds nothing must not pass for a clean program."""
    known = {("kernel32.dll", "GetTickCount64"): (6, 0), ("kernel32.dll", "Sleep"): (5, 0)}
    imports = {("kernel32.dll", "GetTickCount64"), ("kernel32.dll", "Sleep"), ("kernel32.dll", "NewThing"),
               ("comctl32.dll", "#410")}
    header = {"OSystemVersion": (4, 0), "SubsystemVersion": (5, 1)}
    found = faults("planted", imports, header, (5, 1), known)
    # GetTickCount64 is newer than 5.1, NewThing is unknown, #410 has no
    # name, and the OS version is not the floor.
    clean = faults("clean", {("kernel32.dll", "Sleep")}, {"OSystemVersion": (6, 0)}, (6, 0), known)
    return len(found) == 4 and not clean


def main(argv):
    list_path = DEFAULT_LIST
    if len(argv) > 2 and argv[1] == "--list":
        list_path = argv[2]
        argv = argv[:1] + argv[3:]
    if len(argv) < 2:
        print(__doc__)
        return 2
    if not planted_faults_found():
        print("FAIL: the check misses the faults planted in a made-up import table")
        return 1
    floor, known = read_list(list_path)
    total = 0
    for path in argv[1:]:
        imports, header = read_program(path)
        found = faults(os.path.basename(path), imports, header, floor, known)
        for line in found:
            print("FAIL: " + line)
        print("%s: %d imports, header and imports within Windows %d.%d: %s"
              % ((os.path.basename(path), len(imports)) + floor + ("no" if found else "yes",)))
        total += len(found)
    return 1 if total else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
