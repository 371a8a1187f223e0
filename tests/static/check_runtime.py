#!/usr/bin/env python3
"""No piece of the C++ runtime in the DLL that docs/HARDENING.md rules out.

The DLL is loaded and freed by its host, maybe many times in one process.
Some pieces of the statically linked runtime keep what they create until
the process ends, or call back after the DLL has gone:
- __cxa_guard_acquire (and its release and abort), pulled in by a
  function-local static with a run-time initializer: the guard creates
  synchronisation objects that FreeLibrary never gives back;
- __cxa_thread_atexit, pulled in by a thread_local with a destructor: the
  destructor runs when the thread ends, also after FreeLibrary, in code that
  is gone.

The link map says what the linker took from the archives and why: its first
section names, for each archive member, the file and symbol that pulled it
in, and its memory map lists every symbol defined. A ruled-out symbol that
the map defines fails the check, with the file that asked for it.

usage: check_runtime.py MAP [MAP ...]
MAP is the link map the build wrote for the DLL (-Wl,-Map). Exit status 1
when a map holds a ruled-out piece. Before that it checks itself on the maps
of two small DLLs that it links with the product's compiler: one with a
guarded static and a thread_local with a destructor, which it must report,
and one without, which it must pass.
"""
import os
import re
import subprocess
import sys
import tempfile

CXX = "i686-w64-mingw32-g++-posix"

GUARD = "a function-local static with a run-time initializer"
RULED_OUT = {
    "__cxa_guard_acquire": GUARD,
    "__cxa_guard_release": GUARD,
    "__cxa_guard_abort": GUARD,
    "__cxa_thread_atexit": "a thread_local with a destructor",
}

DEFINED = re.compile(r"^\s+0x[0-9a-f]+\s+([A-Za-z_.$][^\s]*)$")
INPUT = re.compile(r"^ ?(?:\S+)?\s+0x[0-9a-f]+\s+0x[0-9a-f]+\s+(\S+)$")
MEMBER = re.compile(r"^(\S+\(\S+\))$")
REASON = re.compile(r"^\s+(\S.*?) \((.+)\)$")


def read_map(path):
    """({symbol: input file that defines it}, {archive member: (file that pulled it in, symbol it wanted)})."""
    lines = open(path, encoding="utf-8", errors="replace").read().splitlines()
    defined_in, pulled_by = {}, {}
    in_archives = in_memory_map = False
    member = current_input = None
    for line in lines:
        if line.startswith("Archive member included"):
            in_archives = True
            continue
        if line.startswith("Discarded input sections") or line.startswith("Memory Configuration"):
            in_archives = False
        if line.startswith("Linker script and memory map"):
            in_memory_map = True
            continue
        if in_archives:
            if MEMBER.match(line):
                member = line
            elif member and REASON.match(line):
                reason = REASON.match(line)
                pulled_by[member] = (reason.group(1), reason.group(2))
                member = None
        elif in_memory_map:
            placed = INPUT.match(line)
            if placed:
                current_input = placed.group(1)
                continue
            symbol = DEFINED.match(line)
            if symbol and current_input:
                defined_in[symbol.group(1)] = current_input
    return defined_in, pulled_by


def findings(path):
    """[(symbol, what it comes from, archive member, file that pulled the member in)] for one map."""
    defined_in, pulled_by = read_map(path)
    found = []
    for symbol, why in sorted(RULED_OUT.items()):
        if symbol in defined_in:
            member = defined_in[symbol]
            by, wanted = pulled_by.get(member, ("?", "?"))
            found.append((symbol, why, member, "%s (for %s)" % (by, wanted)))
    return found


PLANTED = r"""
#include <windows.h>
struct TCounter { TCounter(); ~TCounter(); int Value; };
TCounter::TCounter() : Value(GetTickCount() != 0) {}
TCounter::~TCounter() { Value = 0; }
extern "C" __declspec(dllexport) int Guarded() {
    static const int value = static_cast<int>(GetTickCount());  // run-time initializer: a guard
    return value;
}
extern "C" __declspec(dllexport) int PerThread() {
    thread_local TCounter counter;  // a destructor at the thread's end
    return counter.Value;
}
"""

CLEAN = r"""
#include <windows.h>
extern "C" __declspec(dllexport) int Plain() {
    static const int value = 7;  // constant: no guard
    return value + static_cast<int>(GetTickCount() & 1);
}
"""


def planted_map_findings(folder, name, source):
    path = os.path.join(folder, name + ".cpp")
    obj = os.path.join(folder, name + ".o")
    link_map = os.path.join(folder, name + ".map")
    open(path, "w").write(source)
    subprocess.run([CXX, "-O2", "-std=c++17", "-c", "-o", obj, path], check=True)
    subprocess.run([CXX, "-shared", "-static", "-static-libgcc", "-static-libstdc++", "-Wl,-Map=" + link_map,
                    "-o", os.path.join(folder, name + ".dll"), obj], check=True)
    return [(symbol, os.path.basename(by)) for symbol, _, _, by in findings(link_map)]


def finds_what_was_planted():
    with tempfile.TemporaryDirectory() as folder:
        planted = planted_map_findings(folder, "planted", PLANTED)
        clean = planted_map_findings(folder, "clean", CLEAN)
    # The guard's release and abort come in with its acquire, from one member.
    want = [("__cxa_guard_abort", "planted.o (for __cxa_guard_acquire)"),
            ("__cxa_guard_acquire", "planted.o (for __cxa_guard_acquire)"),
            ("__cxa_guard_release", "planted.o (for __cxa_guard_acquire)"),
            ("__cxa_thread_atexit", "planted.o (for __cxa_thread_atexit)")]
    if planted != want:
        print("the check found %s in the planted DLL's map, want %s" % (planted, want))
        return False
    if clean:
        print("the check found %s in the clean DLL's map, want nothing" % clean)
        return False
    return True


def main(paths):
    if not finds_what_was_planted():
        print("FAIL: the check misses what was planted in a small DLL, or finds what was not")
        return 1
    total = 0
    for path in paths:
        found = findings(path)
        for symbol, why, member, by in found:
            print("FAIL: %s: %s is linked in from %s, which %s pulled in: %s (docs/HARDENING.md)" %
                  (os.path.basename(path), symbol, member, by, why))
        print("%s: %d ruled-out runtime pieces" % (os.path.basename(path), len(found)))
        total += len(found)
    return 1 if total else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
