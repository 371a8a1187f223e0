#!/usr/bin/env python3
"""Static checks of the shipped 32-bit Brisklet.dll: machine type, the one
undecorated export, imports from system DLLs only, the version record and
the size budget. Runs objdump.

usage: check_dll.py DLL VERSION_HEADER
VERSION_HEADER is the build's generated brisklet_version.h, the one place
the version numbers come from."""
import re
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll",
    "oleaut32.dll", "ole32.dll", "wininet.dll", "advapi32.dll", "msvcrt.dll",
    "uxtheme.dll", "shlwapi.dll", "ws2_32.dll",
}
FIXED_STRINGS = {
    "ProductName": "Brisklet for HOX Vostek",
    "FileDescription": "Brisklet for HOX Vostek",
    "Comments": "Brisklet - change Status, xStatus for random humor text",
    "CompanyName": "Orvane software",
    "InternalName": "Brisklet.dll",
    "OriginalFilename": "Brisklet.dll",
}
MAX_SIZE = 600 * 1024


def version_strings(header):
    """The version record's texts as the generated header gives them."""
    text = open(header, encoding="ascii").read()
    macro = dict(re.findall(r'#define (BRISKLET_\w+) "([^"]*)"', text))
    strings = {"FileVersion": macro["BRISKLET_FILE_VERSION_TEXT"],
               "ProductVersion": macro["BRISKLET_PRODUCT_VERSION_TEXT"]}
    strings.update(FIXED_STRINGS)
    return strings


def main(path, header):
    failures = []
    checks = 0

    def check(ok, what):
        nonlocal checks
        checks += 1
        if not ok:
            failures.append(what)

    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], capture_output=True, text=True, check=True).stdout
    check("file format pei-i386" in dump, "machine type is not i386")
    check(re.search(r"Magic\s+010b", dump) is not None, "not a PE32 image")

    exports = re.findall(r"^\s+\[\s*\d+\]\s+(\S+)$", dump.split("[Ordinal/Name Pointer] Table")[-1], re.M)
    check(exports == ["CreateVostekPLUGIN"], f"exports are {exports}, want only CreateVostekPLUGIN")

    imports = {m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)}
    check(bool(imports), "no imports found")
    check(imports <= SYSTEM_DLLS, f"non-system imports: {sorted(imports - SYSTEM_DLLS)}")

    # The version record holds UTF-16 key/value pairs.
    data = open(path, "rb").read()
    text = data.decode("utf-16-le", errors="replace") + data[1:].decode("utf-16-le", errors="replace")
    for key, value in version_strings(header).items():
        check(re.search(re.escape(key) + r"\x00+" + re.escape(value) + r"\x00", text) is not None,
              f"version record lacks {key} = {value!r}")
    check(re.search(r"LegalCopyright\x00+Copyright \(c\) Orvane software", text) is not None,
          "version record lacks the copyright line")
    check(len(data) <= MAX_SIZE, f"DLL is {len(data)} bytes, budget {MAX_SIZE}")

    for f in failures:
        print("FAIL:", f)
    print(f"{checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__ + "\n")
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
