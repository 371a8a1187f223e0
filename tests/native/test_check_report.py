#!/usr/bin/env python3
"""The Python checks' shared report (tests/check_report.py): a failure must
show and must set the exit status, or every check would pass for green.

It runs small scripts that use it, from tests/ as the checks do and copied
alone next to a script, as scripts/test_i686.sh takes it into the guest.
Not through the report itself: that is what is under test.

Run: python3 tests/native/test_check_report.py
"""

import os
import shutil
import subprocess
import sys
import tempfile

TESTS = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
REPORT = os.path.join(TESTS, "check_report.py")

SCRIPT = """\
import sys
sys.dont_write_bytecode = True
sys.path.insert(0, %r)
from check_report import failures, report, summary
for name, count in %r:
    report(name, ["problem %%d" %% n for n in range(count)])
print("failures: %%d" %% failures())
sys.exit(summary())
"""


def run(checks, folder, path=TESTS):
    script = os.path.join(folder, "check.py")
    with open(script, "w", encoding="utf-8") as f:
        f.write(SCRIPT % (path, checks))
    done = subprocess.run([sys.executable, script], capture_output=True, text=True, timeout=60)
    return done.returncode, done.stdout.splitlines(), done.stderr


def expect(problems, what, got, want):
    if got != want:
        problems.append("%s: got %r, want %r" % (what, got, want))


def main():
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        status, lines, err = run([("a", 0), ("b", 0)], folder)
        expect(problems, "all held: exit", (status, err), (0, ""))
        expect(problems, "all held: lines", lines, ["ok   a", "ok   b", "failures: 0", "2 passed, 0 failed"])

        status, lines, err = run([("a", 0), ("b", 2)], folder)
        expect(problems, "one failed: exit", status, 1)
        expect(problems, "one failed: lines", lines,
               ["ok   a", "FAIL b", "    problem 0", "    problem 1", "failures: 1", "1 passed, 1 failed"])

        status, lines, err = run([("many", 25)], folder)
        expect(problems, "many problems: exit", status, 1)
        expect(problems, "many problems: the first twenty, then the count",
               lines[1:], ["    problem %d" % n for n in range(20)] + ["    ... and 5 more", "failures: 1",
                                                                        "0 passed, 1 failed"])

        # Alone with a script in a folder of its own, as in the guest.
        alone = os.path.join(folder, "bin")
        os.mkdir(alone)
        shutil.copy(REPORT, alone)
        status, lines, err = run([("x", 1)], alone, path=os.path.join(alone, "..", "tests"))
        expect(problems, "copied next to a script", (status, lines[-1], err), (1, "0 passed, 1 failed", ""))
        expect(problems, "nothing written beside it", sorted(os.listdir(alone)), ["check.py", "check_report.py"])

    for p in problems:
        print("FAIL " + p)
    print("check_report: %d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
