#!/usr/bin/env python3
"""Runs brisklet-check's commands --from-fortune, --preview and --to-utf8 as
a user would, on files written here, and checks the bytes they write and
the lines they print.

    BRISKLET_CHECK      the checker: build/native/bin/brisklet-check, or a
                        brisklet-check.exe run under BRISKLET_WINE
    BRISKLET_WINE       the Wine to run an .exe with
    BRISKLET_REFERENCE_CHECK  another build of the checker (the native one);
                        its previews must be the same, line for line
    BRISKLET_REFERENCE  the same previews as a file, written by
                        --write-reference FILE (for the i686 guest, which
                        has no native build)

Ends with "N passed, M failed".
"""

import json
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # importing the shared report must not litter tests/
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from check_report import report, summary  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
CHECKER = os.path.abspath(os.environ.get("BRISKLET_CHECK", os.path.join(ROOT, "build", "native", "bin", "brisklet-check")))
WINE = os.environ.get("BRISKLET_WINE", "")

LIST = "\ufeffone/nltwo\r\n\r\nthree\r\n".encode("utf-8")
STATUSES = "\ufeff5|Beer|Friday/nlnight\r\n5|Bier|Samstag\r\n12|Занят|Скоро буду\r\n12|Busy\r\n".encode("utf-8")
# The previews every build must print alike: (name, arguments after the folder's place).
PREVIEWS = [
    ("xstatus", ["--preview", "12", "--seed", "7"]),
    ("full", ["--preview", "12", "--mode", "full", "--selection", "5,12", "--icon", "5", "--seed", "99"]),
    ("icon", ["--preview", "12", "--mode", "icon", "--selection", "12", "--icon", "12", "--seed", "4000000000"]),
]


def command(checker, args):
    if checker.lower().endswith(".exe") and WINE:
        return [WINE, checker] + args
    return [checker] + args


def run(args, cwd, checker=None):
    done = subprocess.run(command(os.path.abspath(checker or CHECKER), args), cwd=cwd, capture_output=True, timeout=600,
                          stdin=subprocess.DEVNULL)
    return done.returncode, done.stdout, done.stderr.decode("utf-8", "replace").replace("\r\n", "\n")


def text(out):
    return out.decode("utf-8").replace("\r\n", "\n")


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def read(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def previews(folder, checker=None):
    """Each preview's lines after the header, which names the folder's path."""
    write(folder, "list.txt", LIST)
    write(folder, "statuses.txt", STATUSES)
    shown = {}
    for name, args in PREVIEWS:
        status, out, err = run(args + ["."], folder, checker)
        lines = text(out).splitlines()
        shown[name] = lines[1:] if status == 0 and lines else ["exit %d: %s" % (status, err.strip())]
    return shown


def check_previews(folder):
    first = previews(folder)
    again = previews(folder)
    problems = []
    for name, lines in first.items():
        if len(lines) != 12:
            problems.append("%s: %d lines: %s" % (name, len(lines), lines[:3]))
        if again[name] != lines:
            problems.append("%s: a second run printed other lines" % name)
    reference = None
    if os.environ.get("BRISKLET_REFERENCE_CHECK"):
        reference = previews(folder, os.environ["BRISKLET_REFERENCE_CHECK"])
    elif os.environ.get("BRISKLET_REFERENCE"):
        with open(os.environ["BRISKLET_REFERENCE"], encoding="utf-8") as f:
            reference = json.load(f)
    for name, lines in first.items():
        if reference is not None and reference.get(name) != lines:
            problems.append("%s differs from the reference build:\n      %s\n    reference:\n      %s" %
                            (name, "\n      ".join(lines[:4]), "\n      ".join(reference.get(name, [])[:4])))
    joined = "\n".join(first["full"] + first["icon"])
    for want in ("Status \"Занят\", xStatus \"Скоро буду\"", "picture 5 (beer): Status \"Bier\""):
        if want not in joined:
            problems.append("no run shows %s" % want)
    # "12|Busy" has two fields: drawn, it changes nothing.
    if "the current status is sent unchanged" not in joined:
        problems.append("no run of Full or Icon mode says that it sends the current status")
    report("--preview: the same runs every time%s" % (" and as the reference build" if reference else ""), problems)

    status, out, err = run(["--preview", "3", "--selection", "5", "--icon", "3", "."], folder)
    lines = text(out).splitlines()[1:]
    report("--preview: an unticked picture sends nothing",
           [] if status == 0 and lines == ["%d: nothing is sent: picture 3 (tired) is not ticked" % n
                                           for n in (1, 2, 3)] else ["exit %d: %r %s" % (status, lines, err)])


def check_from_fortune(folder):
    # KOI8-R with CR LF, "%" first, two in a row, no final line end.
    fortunes = "%\r\nПривет,\r\nмир  \r\n%\r\n%\r\nx /nl y\r\n%\r\nконец".encode("koi8_r")
    write(folder, "jokes", fortunes)
    want = "\ufeffПривет,/nlмир\r\nконец\r\n".encode("utf-8")
    status, out, err = run(["--from-fortune", "jokes", "--codepage", "20866", "-o", "list-new.txt"], folder)
    problems = []
    if status != 0 or read(folder, "list-new.txt") != want:
        problems.append("exit %d, wrote %r: %s" % (status, read(folder, "list-new.txt"), err))
    lines = text(out).splitlines()
    if lines != ["jokes:5: left out: empty", "jokes:6: left out: holds \"/nl\", which would break the line there",
                 "2 entries written; 2 left out: 1 empty, 0 with a control character, 1 holding /nl"]:
        problems.append("printed %r" % lines)
    # To standard output the list comes byte for byte, CR LF not doubled.
    status, out, err = run(["--from-fortune", "jokes", "--codepage", "20866"], folder)
    if status != 0 or out != want:
        problems.append("to standard output: exit %d, %r" % (status, out))
    if not err.endswith("2 entries written; 2 left out: 1 empty, 0 with a control character, 1 holding /nl\n"):
        problems.append("to standard output, the summary went elsewhere: %r" % err)
    report("--from-fortune: a KOI8-R file with --codepage 20866", problems)


def check_to_utf8(folder):
    old = "Привет/nlмир\r\n5|Пиво|Пятница\r\n".encode("cp1251")
    write(folder, "old.txt", old)
    status, out, err = run(["--to-utf8", "old.txt", "--codepage", "1251"], folder)
    problems = []
    if status != 0 or read(folder, "old.txt") != b"\xef\xbb\xbf" + old.decode("cp1251").encode("utf-8"):
        problems.append("exit %d, wrote %r: %s" % (status, read(folder, "old.txt"), err))
    if not os.path.exists(os.path.join(folder, "old.txt.bak")) or read(folder, "old.txt.bak") != old:
        problems.append("old.txt.bak is not the original")
    status, out, err = run(["--to-utf8", "old.txt"], folder)
    if status != 0 or "already UTF-8 with BOM; left as it is" not in text(out):
        problems.append("second run: exit %d: %s" % (status, text(out)))
    report("--to-utf8: Windows-1251 with --codepage 1251, backup, refused the second time", problems)


def write_reference(path):
    with tempfile.TemporaryDirectory() as folder:
        with open(path, "w", encoding="utf-8") as f:
            json.dump(previews(folder), f, ensure_ascii=False, indent=1)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--write-reference":
        write_reference(sys.argv[2])
        return 0
    if not os.path.exists(CHECKER):
        report("checker built", ["%s is missing" % CHECKER])
    else:
        for check in (check_previews, check_from_fortune, check_to_utf8):
            with tempfile.TemporaryDirectory() as folder:
                check(folder)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
