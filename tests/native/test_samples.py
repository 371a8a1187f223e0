#!/usr/bin/env python3
"""Content guard for the shipped sample texts in samples/.

The plug-in reads list.txt and statuses.txt verbatim: it trims nothing, keeps
empty lines as empty texts, skips malformed status entries silently and only
expands "/nl" when the lower-case form occurs. So every mistake in a sample
reaches the user's contacts unnoticed; this script is where it gets caught.

Run: python3 tests/native/test_samples.py  (stdlib only; exit status 1 on failure)
"""

import os
import re
import sys

sys.dont_write_bytecode = True  # importing the shared report must not litter tests/
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from check_report import report, summary  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

# (path below the repo root, kind, language)
SAMPLE_FILES = [
    ("samples/list.txt", "list", "en"),
    ("samples/statuses.txt", "statuses", "en"),
    ("samples/ru/list.txt", "list", "ru"),
    ("samples/ru/statuses.txt", "statuses", "ru"),
]

UTF8_BOM = b"\xef\xbb\xbf"
MIN_LIST_LINES = 150
MIN_PER_ICON = 3
FIRST_ICON, LAST_ICON = 1, 33        # 0 is "no picture", 34 "question": no entries
MAX_TITLE = 19                       # the title field of the host's panel is short
MAX_TEXT = 250                       # xStatus text, after "/nl" became CR LF
LONG_TEXT = 100                      # a few long one-liners are fine ...
MAX_LONG_SHARE = 0.10                # ... but not more than this share
CANONICAL_ICON = re.compile(r"[1-9][0-9]*\Z")
CYRILLIC = re.compile(r"[\u0400-\u04FF]")
ANY_CASE_MARKER = re.compile(r"/nl", re.IGNORECASE)


def decode(data):
    """Split raw file bytes into entries. Returns (entries, problems by check)."""
    problems = {"bom": [], "encoding": [], "crlf": []}
    if not data.startswith(UTF8_BOM):
        problems["bom"].append("file does not start with EF BB BF")
        body = data
    else:
        body = data[len(UTF8_BOM):]
    try:
        text = body.decode("utf-8")
    except UnicodeDecodeError as e:
        problems["encoding"].append("not valid UTF-8: %s" % e)
        text = body.decode("utf-8", errors="replace")
    if "\x00" in text:
        problems["encoding"].append("NUL character (the reader stops there)")
    if not text.endswith("\r\n"):
        problems["crlf"].append("no final CR LF")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    for n, line in enumerate(lines, 1):
        if "\r" in line or "\n" in line:
            problems["crlf"].append("line %d: bare CR or LF" % n)
    return lines, problems


def check_marker(where, text, problems):
    """"/nl" only expands when the lower-case form is present; any other
    spelling stays on screen literally, so a sample must use "/nl" only."""
    for m in ANY_CASE_MARKER.finditer(text):
        if m.group(0) != "/nl":
            problems.append("%s: marker %r is not lower case" % (where, m.group(0)))
    for part in text.split("/nl"):
        if part == "":
            problems.append("%s: empty line around a /nl marker" % where)
        elif part != part.strip():
            problems.append("%s: blank next to a /nl marker or at an end" % where)


def check_text(where, text, lang, problems):
    if text == "":
        problems["empty"].append("%s: empty" % where)
        return
    if text != text.strip(" \t"):
        problems["blanks"].append("%s: leading or trailing blank" % where)
    if any(ord(c) < 32 for c in text):
        problems["blanks"].append("%s: control character" % where)
    check_marker(where, text, problems["markers"])
    has_cyrillic = CYRILLIC.search(text) is not None
    if lang == "ru" and not has_cyrillic:
        problems["language"].append("%s: no Cyrillic in a Russian sample" % where)
    if lang == "en" and has_cyrillic:
        problems["language"].append("%s: Cyrillic in an English sample" % where)


def check_entries(lines, kind, lang):
    """Checks on decoded entries. Returns problems by check name."""
    problems = {k: [] for k in ("empty", "blanks", "markers", "language",
                                "unique", "fields", "count", "length")}
    seen = {}
    for n, line in enumerate(lines, 1):
        if line in seen:
            problems["unique"].append("line %d repeats line %d" % (n, seen[line]))
        else:
            seen[line] = n

    texts = []
    per_icon = {}
    for n, line in enumerate(lines, 1):
        where = "line %d" % n
        if line == "":
            problems["empty"].append("%s: empty entry" % where)
            continue
        if kind == "list":
            if "|" in line:
                problems["fields"].append("%s: '|' in a list text" % where)
            check_text(where, line, lang, problems)
            texts.append(line)
            continue
        fields = line.split("|")
        if len(fields) != 3:
            problems["fields"].append("%s: %d fields instead of 3" % (where, len(fields)))
            continue
        icon, title, text = fields
        if not CANONICAL_ICON.match(icon):
            problems["fields"].append("%s: icon %r is not a plain decimal number" % (where, icon))
            continue
        if not FIRST_ICON <= int(icon) <= LAST_ICON:
            problems["fields"].append("%s: icon %s outside %d..%d" % (where, icon, FIRST_ICON, LAST_ICON))
            continue
        per_icon[int(icon)] = per_icon.get(int(icon), 0) + 1
        check_text(where + " title", title, lang, problems)
        check_text(where + " text", text, lang, problems)
        if "/nl" in title.lower():
            problems["markers"].append("%s: /nl in the title is shown literally" % where)
        if len(title) > MAX_TITLE:
            problems["length"].append("%s: title of %d characters" % (where, len(title)))
        texts.append(text)

    if kind == "list":
        if len(lines) < MIN_LIST_LINES:
            problems["count"].append("%d lines, need %d" % (len(lines), MIN_LIST_LINES))
    else:
        for icon in range(FIRST_ICON, LAST_ICON + 1):
            if per_icon.get(icon, 0) < MIN_PER_ICON:
                problems["count"].append("icon %d has %d entries, need %d"
                                         % (icon, per_icon.get(icon, 0), MIN_PER_ICON))

    long_ones = 0
    for text in texts:
        shown = text.replace("/nl", "\r\n")
        if len(shown) > MAX_TEXT:
            problems["length"].append("text of %d characters: %.30s..." % (len(shown), text))
        if len(shown) > LONG_TEXT:
            long_ones += 1
    if texts and long_ones > MAX_LONG_SHARE * len(texts):
        problems["length"].append("%d of %d texts are over %d characters"
                                  % (long_ones, len(texts), LONG_TEXT))
    return problems


def check_file_bytes(data, kind, lang):
    lines, problems = decode(data)
    problems.update(check_entries(lines, kind, lang))
    return lines, problems


# --- fixtures ---------------------------------------------------------------

def crlf_bom(lines):
    return UTF8_BOM + "".join(l + "\r\n" for l in lines).encode("utf-8")


# Small fixtures prove that each check can fail and that a clean file passes
# them, so a green run on the real samples means something.
def self_tests():
    good_list = ["one", "two/nlthree"]
    good_status = ["1|T|x", "2|T|y/nlz"]

    def flagged(data, kind, lang, check):
        _, problems = check_file_bytes(data, kind, lang)
        return problems[check]

    def clean(data, kind, lang):
        _, problems = check_file_bytes(data, kind, lang)
        return [c + ": " + p for c, ps in problems.items() if c != "count" for p in ps]

    cases = [
        ("clean list passes", clean(crlf_bom(good_list), "list", "en") == []),
        ("clean statuses pass", clean(crlf_bom(good_status), "statuses", "en") == []),
        ("missing BOM", flagged(b"one\r\n", "list", "en", "bom")),
        ("UTF-16 BOM is not the UTF-8 BOM",
         flagged(b"\xff\xfe" + "one\r\n".encode("utf-16-le"), "list", "en", "bom")),
        ("bad UTF-8", flagged(UTF8_BOM + b"\xc3(\r\n", "list", "en", "encoding")),
        ("LF line ends", flagged(UTF8_BOM + b"one\ntwo\n", "list", "en", "crlf")),
        ("no final line end", flagged(UTF8_BOM + b"one\r\ntwo", "list", "en", "crlf")),
        ("LF CR is not CR LF", flagged(UTF8_BOM + b"one\n\rtwo\r\n", "list", "en", "crlf")),
        ("empty line inside", flagged(crlf_bom(["one", "", "two"]), "list", "en", "empty")),
        ("empty line at end", flagged(crlf_bom(["one", ""]), "list", "en", "empty")),
        ("trailing blank", flagged(crlf_bom(["one "]), "list", "en", "blanks")),
        ("only /NL stays literal", flagged(crlf_bom(["a/NLb"]), "list", "en", "markers")),
        ("mixed /Nl", flagged(crlf_bom(["a/nlb/Nlc"]), "list", "en", "markers")),
        ("blank before /nl", flagged(crlf_bom(["a /nlb"]), "list", "en", "markers")),
        ("/nl at the end", flagged(crlf_bom(["ab/nl"]), "list", "en", "markers")),
        ("duplicate line", flagged(crlf_bom(["a", "b", "a"]), "list", "en", "unique")),
        ("pipe in list", flagged(crlf_bom(["a|b"]), "list", "en", "fields")),
        ("too few list lines", flagged(crlf_bom(good_list), "list", "en", "count")),
        ("four fields", flagged(crlf_bom(["1|T|x|y"]), "statuses", "en", "fields")),
        ("trailing pipe", flagged(crlf_bom(["1|T|x|"]), "statuses", "en", "fields")),
        ("two fields", flagged(crlf_bom(["1|T"]), "statuses", "en", "fields")),
        ("leading zero icon", flagged(crlf_bom(["05|T|x"]), "statuses", "en", "fields")),
        ("signed icon", flagged(crlf_bom(["+5|T|x"]), "statuses", "en", "fields")),
        ("spaced icon", flagged(crlf_bom([" 5|T|x"]), "statuses", "en", "fields")),
        ("icon 0", flagged(crlf_bom(["0|T|x"]), "statuses", "en", "fields")),
        ("icon 34", flagged(crlf_bom(["34|T|x"]), "statuses", "en", "fields")),
        ("empty title", flagged(crlf_bom(["5||x"]), "statuses", "en", "empty")),
        ("/nl in title", flagged(crlf_bom(["5|a/nlb|x"]), "statuses", "en", "markers")),
        ("long title", flagged(crlf_bom(["5|" + "t" * 20 + "|x"]), "statuses", "en", "length")),
        ("too few per icon", flagged(crlf_bom(good_status), "statuses", "en", "count")),
        ("Russian without Cyrillic", flagged(crlf_bom(["hello"]), "list", "ru", "language")),
        ("Russian title without Cyrillic",
         flagged(crlf_bom(["5|Title|Текст"]), "statuses", "ru", "language")),
        ("Cyrillic in English", flagged(crlf_bom(["привет"]), "list", "en", "language")),
        ("overlong text", flagged(crlf_bom(["x" * 251]), "list", "en", "length")),
        ("too many long texts",
         flagged(crlf_bom(["%d%s" % (i, "y" * 120) for i in range(3)]), "list", "en", "length")),
    ]
    failed = [name for name, ok in cases if not ok]
    report("self-test: checks catch %d faults in fixtures" % len(cases),
           ["check did not fire (or clean fixture flagged): " + n for n in failed])


def main():
    self_tests()
    for rel, kind, lang in SAMPLE_FILES:
        path = os.path.join(ROOT, rel)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as e:
            report("%s: readable" % rel, [str(e)])
            continue
        lines, problems = check_file_bytes(data, kind, lang)
        for check in ("bom", "encoding", "crlf", "empty", "blanks", "markers",
                      "fields", "unique", "count", "length", "language"):
            report("%s: %s" % (rel, check), problems[check])
        if kind == "list":
            two_line = sum(1 for l in lines if "/nl" in l)
            report("%s: two-line texts" % rel,
                   [] if two_line >= 5 else ["%d texts use /nl, want at least 5" % two_line])
        print("     (%s: %d entries)" % (rel, len(lines)))
    return summary()


if __name__ == "__main__":
    sys.exit(main())
