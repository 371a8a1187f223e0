#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/.

Seeds are small and readable; libFuzzer grows its own corpus from them in
the build folder. Run again after changing a seed; the output is committed.
"""
import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"


def utf16(text, big=False):
    return text.encode("utf-16-be" if big else "utf-16-le", "surrogatepass")


def unit(code):
    """One code unit in the targets' text form: 0x80, then the unit's two bytes."""
    return b"\x80" + struct.pack(">H", code)


def text(s):
    """Any text in the targets' text form: ASCII as itself, other code units escaped."""
    raw = s.encode("utf-16-be", "surrogatepass")
    return b"".join(bytes([u]) if u < 0x80 else unit(u) for (u,) in struct.iter_unpack(">H", raw))


def draws(*values):
    return b"".join(struct.pack(">I", v) for v in values)


# List files: the first byte picks a mark (0 none, 1 FF FE, 2 FE FF, 3 EF BB BF).
LIST = {
    "utf8_bom_crlf": b"\x03" + "a\r\nb\r\nпривет, мир\r\n".encode(),
    "utf8_no_mark": b"\x00" + "Шутка дня/nlвторая строка\nJoke\n".encode(),
    "ansi_high_bytes": b"\x00caf\xe9 \x80\x9f\xff\r\n\r\r\n",
    "utf16le_status": b"\x01" + utf16("x|y|z\r\n12|Busy|Back soon/nlreally\r\n"),
    "utf16be_surrogates": b"\x02" + utf16("\U0001F600 ok\n") + b"\xd8\x00\x00a" + b"\xdc\x00",
    "utf16_odd_length": b"\x01" + utf16("odd") + b"\x41",
    "raw_marks_clash": b"\x00\xff\xfe\xef\xbb\xbf\x00\x0a",
    "only_cr": b"\x00" + b"\r" * 40,
    "nul_inside": b"\x00a\r\n\x00b\r\n",
    "bad_utf8_after_mark": b"\x03a\xe2\x82b\xf0\x9f\x98\x80\xed\xa0\x80\xc0\xaf\xf4\x90\x80\x80",
    # Lines long enough for the sixteen-byte steps to take their ends, each
    # followed by a first field that the index must find.
    "utf8_statuses": b"\x03" + "5|Beer|Cold beer on a Friday evening\r\n12|Занят|Вернусь скоро/nlправда\r\n"
    "5|Пиво|Холодное пиво в пятницу\n-3|Away|Back in an hour or so\r\n12|Busy|Back soon\n".encode(),
}

# "statuses.txt" entries.
STATUS_LINE = {
    "three_fields": b"12|Busy|Back soon/nlreally",
    "trailing_bar": b"7|a|b|",
    "two_fields": b"7|a|",
    "four_fields": b"7|a|b|c",
    "empty_status": b"5||b",
    "not_a_number": b"x|y|z",
    "big_numbers": b"-2147483648|min|/NL/Nl/nL/nl",
    "overflow": b"2147483648|over|flow",
    "line_ends": b"1\r\n|a\rb|\n",
    "nul_and_units": b"3|" + unit(0xD800) + b"|t\x00|more",
    "markers_only_upper": b"9|Title|one/NLtwo/nL",
}

# Rotation runs: mode, icon, then selection, statuses, list, Status, xStatus
# and draws, cut at FE.
def run(mode, icon, selection, statuses, lines, status, xstatus, drawn):
    return bytes([mode, icon & 0xFF]) + b"\xfe".join([selection, statuses, lines, status, xstatus, drawn])


STATUSES = b"12|Twelve|t/nlx\n1|OneA|a\n3|Three|x\n1|OneB|b\n5|Beer|Cold/nlone\n"
ROTATION = {
    "xstatus_mode": run(0, 5, b";;;;5;;", b"", b"first\ntwo/nllines\nthird\n", b"Title", b"Text/nl", draws(1)),
    "full_mode": run(1, 1, b";;;;1;;12;;", STATUSES, b"", b"T", b"X/NL", draws(2, 3)),
    "full_mode_odd_pieces": run(1, 5, b";;;5;;+5;;x;;-1;;", STATUSES + b"-1|minus|m\n+5|plus|p\n", b"", b"", b"", draws(1, 7)),
    "icon_mode": run(2, 5, b";;5;;", STATUSES, b"", b"Title", b"Text/nl", draws(0, 1)),
    "not_selected": run(1, 15, b";;;;0;;;;150;;", STATUSES, b"a\nb\n", b"T", b"X", draws(1)),
    "other_mode": run(0xF9, 0xFF, b";;-1;;", STATUSES, b"a\n", b"T", b"x/nl", draws(0)),
    "malformed_entries": run(2, 7, b";;7;;", b"7|a|\n7|a|b|c\n7|||\n", b"", b"S", b"X", draws(0, 1, 2)),
}


# Translations: language (0 English, 1 english, 2 Russian, else the name),
# a throwing dictionary flag, then source, dictionary and name, cut at FE.
def lookup(language, throws, source, dictionary=b"", name=b""):
    return bytes([language, throws]) + b"\xfe".join([source, dictionary, name])


WAIT = b"Getting information about new version. Please wait"
LANG_KEY = {
    "english_marker": lookup(0, 0, b"One/nTwo/NThree  "),
    "english_lower_case": lookup(1, 0, b" Version "),
    "dots_found": lookup(2, 0, WAIT + b"...", WAIT + b"=" + text("Получение информации. Ждите")),
    "space_before_dots": lookup(3, 0, b"Save ...", b"Save=Speichern\nCancel=", b"German"),
    "empty_value": lookup(3, 0, b"Cancel", b"Cancel=", b"German"),
    "dots_alone": lookup(3, 0, b"...", b"=x", b"German"),
    "throwing_file": lookup(3, 1, b"Version", b"", b"Russian"),
    "blank_source": lookup(3, 0, b" \t\r\n ", b"", b"Russian"),
    "name_leaves_folder": lookup(3, 0, b"Cancel", b"Cancel=evil", b"..\\..\\evil"),
    "name_with_colon": lookup(3, 0, b"Cancel", b"Cancel=evil", b"C:evil"),
    "device_name": lookup(3, 0, b"Cancel", b"Cancel=evil", b"CON"),
    "nul_in_key": lookup(3, 0, b"a\x00b", b"a=x", b"German"),
    "translation_with_marker": lookup(3, 0, b"Help", b"Help=Hilfe/nmehr", b"German"),
}


# Version files: the installed version (three big-endian numbers), then the
# values of major, minor, release and page, cut at FE.
def version(installed, major=b"", minor=b"", release=b"", page=b""):
    return struct.pack(">iii", *installed) + b"\xfe".join([major, minor, release, page])


PAGE = b"http://www.orvane.example/brisklet/"
VERSION = {
    "same": version((0, 3, 6), b"0", b"3", b"6", PAGE),
    "newer_release": version((0, 3, 6), b"0", b"3", b"7", PAGE),
    "newer_minor": version((0, 3, 6), b"0", b"4", b"0"),
    "older": version((0, 3, 6), b"0", b"2", b"9", PAGE),
    "hex_and_junk": version((0, 3, 6), b"0x10", b"abc", b"+7", b"HTTPS://x"),
    "hex_limits": version((-1, 0, 0), b"0xFFFFFFFF", b"0x", b"0x100000000", b"javascript:alert(1)"),
    "decimal_limits": version((2147483647, 0, 0), b"2147483648", b"-2147483648", b"-0", b"http://"),
    "blank_page": version((0, 3, 6), b"1", b"", b"", b"http://a b"),
    "error_page": version((0, 3, 6), b"<html>", b"404", b"", b"file:///C:/evil.exe"),
}


def write(target, seeds):
    folder = ROOT / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in sorted(seeds.items()):
        (folder / name).write_bytes(data)


def main():
    write("list", LIST)
    write("status_line", STATUS_LINE)
    write("rotation", ROTATION)
    write("lang_key", LANG_KEY)
    write("version", VERSION)
    for folder in sorted(ROOT.iterdir()):
        print(f"{folder.name}: {len(list(folder.iterdir()))} seeds")


if __name__ == "__main__":
    main()
