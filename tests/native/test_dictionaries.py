#!/usr/bin/env python3
"""Content guard for the shipped dictionaries in Languages/.

The plug-in looks every caption up in section [Dict] under its key form and
falls back to English without a word, so a misspelt key, a lost section or a
broken encoding only shows as an untranslated window. TranslateForm also
translates most captions twice: a translation that is itself another key
gets replaced a second time. This script catches those before shipping.

Run: python3 tests/native/test_dictionaries.py  (stdlib only; exit status 1 on failure)
"""

import os
import re
import sys

sys.dont_write_bytecode = True  # importing the shared report must not litter tests/
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from check_report import report, summary  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

# (path below the repo root, ANSI code page the captions are shown in,
#  whether the values must be mostly Cyrillic)
DICTIONARIES = [
    ("Languages/Russian.ini", "cp1251", True),
    ("Languages/German.ini", "cp1252", False),
]

# Key forms of every text the options window and the update check translate.
# The English typos are part of the keys on purpose.
KEYS = [
    "Brisklet : Options",
    "Save",
    "Cancel",
    "Options",
    "Other",
    "About",
    "Mode:",
    "Fields marked by red color will be changed by plugin.",
    "xStatus mode (change only text of xStatus)",
    "Full mode (change Status, xStatus and Icon)",
    "Icon mode (change Status and xStatus thats are depended of icon)",
    "Allow work at selected statuses:",
    "Deselect all",
    "Select All",
    "Update interval:",
    "Measure of update interval",
    "seconds (default)",
    "minuts",
    "hours",
    "seconds",
    "Do not use interval smaller than 60 seconds if you use ICQ or spend time in "
    "Jabber-conferences, you may be kicked by ICQ-sever or by Jabber-bots.",
    "Brisklet for HOX Vostek",
    "Copyright (c)",
    "Copyright (c) Orvane software, 2008-2026, Russia",
    "Version",
    "Freeware. Use at your own risk.",
    "Support:",
    "Update",
    "Open page in internet",
    "Getting information about new version. Please wait",
    "Cannot connect to site. Check your internet connection.",
    "Cannot open folder for temporary files.",
    "No updates available. You have latest version.",
    "Update available. Installed version:",
    "latest available version:",
]
PLEASE_WAIT = "Getting information about new version. Please wait"
UPDATE_FIRST, UPDATE_SECOND = "Update available. Installed version:", "latest available version:"
COPYRIGHT_REST = " Orvane software, 2008-2026, Russia"

# Rough room for each caption: control width in pixels and characters the
# control shows besides the translation. MS Sans Serif at 8 pt averages about
# 5 px a character; 5.5 leaves a margin. A translation may always be as long
# as the English text, which the layout was made for.
PX_PER_CHAR = 5.5
ROOM = {
    "Save": (90 - 12, 0),
    "Cancel": (88 - 12, 0),
    "Options": (110, 0),                 # tab, and "Brisklet : " + it in the title
    "Other": (110, 0),
    "About": (110, 0),
    "Mode:": (415 - 20, 0),
    "Fields marked by red color will be changed by plugin.": (409, 0),
    "xStatus mode (change only text of xStatus)": (352 - 18, 0),
    "Full mode (change Status, xStatus and Icon)": (371 - 18, 0),
    "Icon mode (change Status and xStatus thats are depended of icon)": (371 - 18, 0),
    "Allow work at selected statuses:": (414 - 20, 0),
    "Deselect all": (130 - 12, 0),
    "Select All": (124 - 12, 0),
    "Update interval:": (135, 0),        # the label; its group box is wider
    "Measure of update interval": (180 - 16, 0),
    "seconds (default)": (180 - 30, 0),
    "minuts": (82, 4),                   # interval label: "300 " + unit
    "hours": (82, 4),
    "seconds": (82, 4),
    "Do not use interval smaller than 60 seconds if you use ICQ or spend time in "
    "Jabber-conferences, you may be kicked by ICQ-sever or by Jabber-bots.": (3 * 400 * 0.8, 0),
    "Brisklet for HOX Vostek": (112, 0),
    "Copyright (c)": (244, len(COPYRIGHT_REST)),
    "Copyright (c) Orvane software, 2008-2026, Russia": (244, 0),
    "Version": (150, 0),
    "Freeware. Use at your own risk.": (154, 0),
    "Support:": (44, 0),
    "Update": (313 - 20, 0),
    "Open page in internet": (291 - 12, 0),
    # update report label: 289 x 42, three lines
    "Getting information about new version. Please wait": (3 * 289 * 0.8, 3),
    "Cannot connect to site. Check your internet connection.": (3 * 289 * 0.8, 0),
    "Cannot open folder for temporary files.": (3 * 289 * 0.8, 0),
    "No updates available. You have latest version.": (3 * 289 * 0.8, 0),
}
UPDATE_REPORT_PX = 3 * 289 * 0.8          # "<t1> 0.3.6 <t2> 0.3.7 ."
UPDATE_REPORT_EXTRA = len(" 0.3.6  0.3.7 .")
CYRILLIC = re.compile(r"[\u0400-\u04FF]")


def key_form(text):
    """The lookup's key form: trim code <= 32, drop a trailing "...", trim again."""
    def trim(s):
        i, j = 0, len(s)
        while i < j and ord(s[i]) <= 32:
            i += 1
        while j > i and ord(s[j - 1]) <= 32:
            j -= 1
        return s[i:j]
    k = trim(text)
    if k.endswith("..."):
        k = trim(k[:-3])
    return k


def budget(key):
    px, extra = ROOM[key]
    return max(len(key), int(px / PX_PER_CHAR) - extra)


def parse(data):
    """Decode and parse a dictionary. Returns (entries, problems by check);
    entries is a list of (line number, key, value) from section [Dict]."""
    problems = {k: [] for k in ("encoding", "crlf", "section", "keys",
                                "values", "double", "room", "language")}
    if not data.startswith(b"\xff\xfe"):
        problems["encoding"].append("file does not start with the UTF-16 LE mark FF FE")
        return [], problems
    body = data[2:]
    if len(body) % 2:
        problems["encoding"].append("odd number of bytes after the mark")
        body = body[:-1]
    try:
        text = body.decode("utf-16-le")
    except UnicodeDecodeError as e:
        problems["encoding"].append("not valid UTF-16 LE: %s" % e)
        text = body.decode("utf-16-le", errors="replace")
    if not text.endswith("\r\n"):
        problems["crlf"].append("no final CR LF")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()

    entries = []
    sections = []
    section = None
    for n, line in enumerate(lines, 1):
        if "\r" in line or "\n" in line:
            problems["crlf"].append("line %d: bare CR or LF" % n)
        stripped = line.strip()
        if stripped == "" or stripped.startswith(";"):
            continue
        if stripped.startswith("["):
            section = stripped
            sections.append(stripped)
            continue
        if section is None:
            problems["section"].append("line %d: entry before any section" % n)
            continue
        if "=" not in line:
            problems["keys"].append("line %d: no '='" % n)
            continue
        key, value = line.split("=", 1)
        if section.lower() == "[dict]":
            entries.append((n, key, value))
    if sections != ["[Dict]"]:
        problems["section"].append("sections %r, want exactly ['[Dict]']" % sections)
    return entries, problems


def check_dictionary(data, code_page, cyrillic):
    entries, problems = parse(data)
    wanted = {k.lower(): k for k in KEYS}
    values = {}
    seen = {}
    for n, key, value in entries:
        where = "line %d (%s)" % (n, key[:30])
        if key != key.strip() or key_form(key) != key:
            problems["keys"].append("%s: key is not in key form" % where)
        folded = key.strip().lower()
        # the profile reader matches keys without regard to case, first one wins
        if folded in seen:
            problems["keys"].append("%s: repeats the key of line %d" % (where, seen[folded]))
            continue
        seen[folded] = n
        if folded not in wanted:
            problems["keys"].append("%s: not a text the plug-in translates" % where)
            continue
        if key.strip() != wanted[folded]:
            problems["keys"].append("%s: spelt %r, the source text is %r"
                                    % (where, key.strip(), wanted[folded]))
        values[wanted[folded]] = value
    for k in KEYS:
        if k.lower() not in seen:
            problems["keys"].append("missing key %r" % k)

    for key, value in values.items():
        where = "%s" % key[:40]
        if value.strip() == "":
            problems["values"].append("%s: blank value (the English text would show)" % where)
            continue
        if value != value.strip():
            problems["values"].append("%s: value starts or ends with a blank" % where)
        v = value.strip()
        if len(v) >= 2 and v[0] == v[-1] == '"':
            problems["values"].append("%s: value in double quotes (the reader strips them)" % where)
        if key == PLEASE_WAIT and v.endswith("..."):
            problems["values"].append("%s: ends in '...', which the code appends" % where)
        try:
            v.encode(code_page)
        except UnicodeEncodeError:
            problems["values"].append("%s: not representable in %s, the captions' code page"
                                      % (where, code_page))
        other = wanted.get(key_form(v).lower())
        if other is not None and other != key:
            problems["double"].append("%s: translation %r is itself the key %r"
                                      % (where, v, other))
        if key in ROOM and len(v) > budget(key):
            problems["room"].append("%s: %d characters, room for about %d"
                                    % (where, len(v), budget(key)))
    if UPDATE_FIRST in values and UPDATE_SECOND in values:
        joined = len(values[UPDATE_FIRST].strip()) + len(values[UPDATE_SECOND].strip())
        room = int(UPDATE_REPORT_PX / PX_PER_CHAR) - UPDATE_REPORT_EXTRA
        if joined > room:
            problems["room"].append("update report fragments: %d characters, room for about %d"
                                    % (joined, room))

    real = [v for v in values.values() if v.strip()]
    translated = [k for k, v in values.items() if v.strip() != k]
    if real and len(translated) < 0.8 * len(real):
        problems["language"].append("only %d of %d values differ from English"
                                    % (len(translated), len(real)))
    with_cyrillic = sum(1 for v in real if CYRILLIC.search(v))
    if cyrillic and with_cyrillic < 0.8 * len(real):
        problems["language"].append("only %d of %d values hold Cyrillic" % (with_cyrillic, len(real)))
    if not cyrillic and with_cyrillic:
        problems["language"].append("%d values hold Cyrillic" % with_cyrillic)
    return problems


# --- fixtures ---------------------------------------------------------------

def ini(pairs, header="[Dict]", bom=b"\xff\xfe", eol="\r\n"):
    lines = [header] + ["%s=%s" % kv for kv in pairs]
    return bom + "".join(l + eol for l in lines).encode("utf-16-le")


# Small fixtures prove that each check can fail and that a clean dictionary
# passes them, so a green run on the shipped files means something.
def self_tests():
    good = [(k, "Ü" + k) for k in KEYS]
    good[KEYS.index(PLEASE_WAIT)] = (PLEASE_WAIT, "Bitte warten")

    def swap(key, value):
        return [(k, value if k == key else v) for k, v in good]

    def flagged(data, check, code_page="cp1252", cyrillic=False):
        return check_dictionary(data, code_page, cyrillic)[check]

    def clean(data):
        problems = check_dictionary(data, "cp1252", False)
        return [c + ": " + p for c, ps in problems.items() if c != "room" for p in ps]

    cases = [
        ("clean dictionary passes", clean(ini(good)) == []),
        ("comment and blank lines are fine", clean(ini(good, header="; note\r\n\r\n[Dict]")) == []),
        ("no BOM", flagged(ini(good, bom=b""), "encoding")),
        ("UTF-8 BOM", flagged(b"\xef\xbb\xbf[Dict]\r\nSave=x\r\n", "encoding")),
        ("LF line ends", flagged(ini(good, eol="\n"), "crlf")),
        ("wrong section", flagged(ini(good, header="[Dictionary]"), "section")),
        ("second section", flagged(ini(good) + "[Other]\r\n".encode("utf-16-le"), "section")),
        ("missing key", flagged(ini(good[1:]), "keys")),
        ("extra key", flagged(ini(good + [("Close", "Schließen")]), "keys")),
        ("key with its dots", flagged(ini(swap(PLEASE_WAIT, "x") +
                                          [(PLEASE_WAIT + "...", "y")]), "keys")),
        ("typo fixed in key",
         flagged(ini([("minutes" if k == "minuts" else k, v) for k, v in good]), "keys")),
        ("key in other case repeated", flagged(ini(good + [("SAVE", "x")]), "keys")),
        ("blank value", flagged(ini(swap("Save", "  ")), "values")),
        ("value with trailing blank", flagged(ini(swap("Save", "Sichern ")), "values")),
        ("quoted value", flagged(ini(swap("Save", '"Sichern"')), "values")),
        ("Please wait with dots", flagged(ini(swap(PLEASE_WAIT, "Bitte warten...")), "values")),
        ("value outside the code page", flagged(ini(swap("Save", "Сохранить")), "values")),
        ("value is another key", flagged(ini(swap("Update", "Version")), "double")),
        ("value is another key in other case", flagged(ini(swap("Other", "about")), "double")),
        ("value is another key with dots", flagged(ini(swap("Save", "Cancel...")), "double")),
        ("value equal to own key is fine",
         flagged(ini(swap("Version", "Version")), "double") == []),
        ("caption too long", flagged(ini(swap("Save", "Speichern und schließen")), "room")),
        ("unit too long for the interval label",
         flagged(ini(swap("minuts", "Minutenweise")), "room")),
        ("update report too long",
         flagged(ini(swap(UPDATE_FIRST, "U" * 100)), "room")),
        ("untranslated", flagged(ini([(k, k) for k in KEYS]), "language")),
        ("Russian without Cyrillic", flagged(ini(good), "language", "cp1251", True)),
    ]
    failed = [name for name, ok in cases if not ok]
    report("self-test: checks catch %d faults in fixtures" % len(cases),
           ["check did not fire (or clean fixture flagged): " + n for n in failed])


def main():
    self_tests()
    for rel, code_page, cyrillic in DICTIONARIES:
        path = os.path.join(ROOT, rel)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as e:
            report("%s: readable" % rel, [str(e)])
            continue
        problems = check_dictionary(data, code_page, cyrillic)
        for check in ("encoding", "crlf", "section", "keys", "values", "double",
                      "room", "language"):
            report("%s: %s" % (rel, check), problems[check])
    return summary()


if __name__ == "__main__":
    sys.exit(main())
