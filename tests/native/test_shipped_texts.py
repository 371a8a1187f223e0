#!/usr/bin/env python3
"""Runs brisklet-check, the checker that ships in the package, on every text
file we ship, and fails on any entry the plug-in could never apply.

The checker is the native build (build/native/bin/brisklet-check, or the
path in BRISKLET_CHECK). First it must find the faults planted in a folder
written here, so a checker that finds nothing cannot pass for a clean one.

Run: python3 tests/native/test_shipped_texts.py   (after the native build)
"""

import glob
import json
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # importing the shared report must not litter tests/
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from check_report import report, summary  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECKER = os.environ.get("BRISKLET_CHECK", os.path.join(ROOT, "build", "native", "bin", "brisklet-check"))


def run(*args):
    done = subprocess.run([CHECKER, "--json"] + list(args), capture_output=True, timeout=60)
    try:
        parsed = json.loads(done.stdout.decode("utf-8"))
    except ValueError:
        parsed = None
    return done.returncode, parsed, done.stderr.decode("utf-8", "replace")


def self_test():
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "list.txt"), "wb") as f:
            f.write(b"\xef\xbb\xbfgood/nlone\r\nbad /NL one\r\n")
        with open(os.path.join(folder, "statuses.txt"), "wb") as f:
            f.write(b"5|Beer|Friday\r\n05|Beer|Saturday\r\n5|Beer\r\n\r\n34|Q|?\r\n")
        status, parsed, err = run(folder)
    problems = []
    if parsed is None:
        problems.append("no JSON from %s: %s" % (CHECKER, err.strip()))
    else:
        found = sorted((os.path.basename(f["path"]), i["line"], i["code"])
                       for f in parsed["files"] for i in f["issues"])
        want = [("list.txt", 2, "marker-case"), ("statuses.txt", 2, "icon-leading-zeros"),
                ("statuses.txt", 3, "field-count"), ("statuses.txt", 4, "empty-entry"),
                ("statuses.txt", 5, "icon-out-of-range")]
        if found != want:
            problems.append("planted faults: found %s, want %s" % (found, want))
        if parsed.get("problems") != 5:
            problems.append("problem count %r, want 5" % parsed.get("problems"))
    if status != 1:
        problems.append("exit status %d, want 1" % status)
    report("self-test: the checker finds planted faults", problems)


def check_shipped():
    files = sorted(glob.glob(os.path.join(ROOT, "samples", "*.txt")) +
                   glob.glob(os.path.join(ROOT, "samples", "*", "*.txt")))
    report("shipped text files found", [] if len(files) >= 4 else ["only %d files" % len(files)])
    for path in files:
        rel = os.path.relpath(path, ROOT)
        status, parsed, err = run(path)
        problems = []
        if parsed is None or len(parsed.get("files", [])) != 1:
            report(rel, ["checker gave no report: " + err.strip()])
            continue
        f = parsed["files"][0]
        for issue in f["issues"]:
            if issue["severity"] == "problem":
                problems.append("line %d: %s: %s" % (issue["line"], issue["code"], issue["message"]))
        if f["entries"] == 0 or f["usable"] != f["entries"]:
            problems.append("%d entries, %d usable" % (f["entries"], f["usable"]))
        if status != 0 and not problems:
            problems.append("exit status %d" % status)
        report("%s: every entry can be applied (%d entries)" % (rel, f["entries"]), problems)


def check_picture_names():
    """The READMEs' lists of picture numbers are the checker's, for the ones
    a user can tick (the checker knows one more)."""
    done = subprocess.run([CHECKER, "--icons"], capture_output=True, timeout=60, text=True)
    names = [line.split(" ", 1) for line in done.stdout.splitlines()]
    problems = [] if done.returncode == 0 and len(names) > 30 else ["--icons gave %r" % done.stdout[:200]]
    for readme in ("README.md", os.path.join("packaging", "README.txt")):
        text = open(os.path.join(ROOT, readme), encoding="utf-8").read()
        start = text.find("Picture numbers:")
        end = text.find(".", start)
        if start < 0 or end < 0:
            problems.append("%s has no 'Picture numbers:' paragraph" % readme)
            continue
        listed = [item.strip().split(" ", 1) for item in " ".join(text[start + 16:end].split()).split(",")]
        if listed != names[:len(listed)] or len(listed) != len(names) - 1:
            problems.append("%s lists %s, the checker %s" % (readme, listed, names))
    report("the READMEs' picture numbers are the checker's", problems)


def main():
    if not os.path.exists(CHECKER):
        report("checker built", ["%s is missing: build the native preset first" % CHECKER])
    else:
        self_test()
        check_shipped()
        check_picture_names()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
