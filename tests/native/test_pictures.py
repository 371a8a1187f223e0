#!/usr/bin/env python3
"""Checks the committed pictures against their generator and against what
Windows will do with them.

    python3 tests/native/test_pictures.py

Runs options/res/gen_pictures.py into a temporary folder, then reads the
files back with a BMP reader of its own (not the generator's writer), so a
writer fault shows up here instead of as a broken image list at run time.
"""

import importlib
import os
import struct
import subprocess
import sys
import tempfile
import traceback
import zlib

sys.dont_write_bytecode = True  # importing the generator must not litter options/res
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from check_report import report, summary  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
RES = os.path.join(ROOT, 'options', 'res')
GENERATOR = os.path.join(RES, 'gen_pictures.py')
SHEET = os.path.join(ROOT, 'docs', 'pictures.png')

# The packed pictures for screens above 96 DPI: name, width, height.
PACKED = {
    'status_icons_20.bpk': (20 * 35, 20), 'status_icons_24.bpk': (24 * 35, 24),
    'status_icons_32.bpk': (32 * 35, 32), 'wiz_2x.bpk': (482, 3 * 270), 'logo_2x.bpk': (362, 184),
    'logo.bpk': (181, 92),
}

RESOURCE_FILES = ['status_icons.bmp', 'status_icons_mask.bmp', 'wiz_01.bmp', 'wiz_02.bmp',
                  'wiz_03.bmp', 'pictures.rc', 'picture_ids.h'] + sorted(PACKED)

# Which panel fields each mode picture shows as changed (xStatus, icon, full).
CHANGED = {
    'wiz_01.bmp': {'text'},
    'wiz_02.bmp': {'title', 'text'},
    'wiz_03.bmp': {'picture', 'title', 'text'},
}

EXPECTED_IDS = {'IDB_STATUS_ICONS': 201, 'IDB_STATUS_MASK': 202, 'IDB_WIZ_01': 211,
                'IDB_WIZ_02': 212, 'IDB_WIZ_03': 213, 'IDR_LOGO': 221,
                'IDR_STATUS_ICONS_20': 231, 'IDR_STATUS_ICONS_24': 232, 'IDR_STATUS_ICONS_32': 233,
                'IDR_WIZ_2X': 241, 'IDR_LOGO_2X': 251}


# ---------------------------------------------------------------------------
# An independent BMP reader.

class Bmp:
    def __init__(self, data):
        self.data = data
        magic, self.file_size, _, _, self.offset = struct.unpack_from('<2sIHHI', data, 0)
        assert magic == b'BM', 'not a BMP'
        (self.header_size, self.width, self.height, self.planes, self.bits, self.compression,
         self.image_size, _, _, self.colours_used, _) = struct.unpack_from('<IiiHHIIiiII', data, 14)
        count = self.colours_used or (1 << self.bits if self.bits <= 8 else 0)
        base = 14 + self.header_size
        self.palette = [tuple(data[base + 4 * i + 2 - k] for k in range(3)) for i in range(count)]
        self.stride = ((self.width * self.bits + 31) // 32) * 4

    def row(self, y):
        """Row y counted from the top, whichever way the file stores it."""
        ry = self.height - 1 - y if self.height > 0 else y
        start = self.offset + ry * self.stride
        return self.data[start:start + self.stride]

    def pixel(self, x, y):
        """(r, g, b, a) for 32-bit, (r, g, b) for the others."""
        r = self.row(y)
        if self.bits == 32:
            b, g, rr, a = r[4 * x:4 * x + 4]
            return (rr, g, b, a)
        if self.bits == 24:
            b, g, rr = r[3 * x:3 * x + 3]
            return (rr, g, b)
        if self.bits == 4:
            byte = r[x // 2]
            return self.palette[byte >> 4 if x % 2 == 0 else byte & 15]
        if self.bits == 1:
            return self.palette[(r[x // 8] >> (7 - x % 8)) & 1]
        raise AssertionError('unexpected depth %d' % self.bits)

    def index(self, x, y):
        r = self.row(y)
        if self.bits == 1:
            return (r[x // 8] >> (7 - x % 8)) & 1
        byte = r[x // 2]
        return byte >> 4 if x % 2 == 0 else byte & 15


def png_image(data):
    """(IHDR fields, raw scanlines) of a PNG, checking every chunk's CRC."""
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'bad PNG signature'
    pos, ihdr, idat, kinds = 8, None, b'', []
    while pos < len(data):
        length, = struct.unpack_from('>I', data, pos)
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack_from('>I', data, pos + 8 + length)
        assert crc == zlib.crc32(kind + body), 'bad CRC in %r' % kind
        kinds.append(kind)
        if kind == b'IHDR':
            ihdr = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    assert kinds[0] == b'IHDR' and kinds[-1] == b'IEND', kinds
    return ihdr, zlib.decompress(idat)


def unpack(data):
    """(width, height, [(r, g, b, a)]) of a packed picture, read by the
    format's description in options/packed_picture.h, not by the writer."""
    assert data[:4] == b'BPK1', 'not a packed picture'
    w, h = struct.unpack_from('<HH', data, 4)
    out, at = [], 8

    def number():
        nonlocal at
        value, shift = 0, 0
        while True:
            part = data[at]
            at += 1
            value |= (part & 0x7F) << shift
            shift += 7
            if part < 0x80:
                return value

    while len(out) < w * h:
        token = data[at]
        at += 1
        kind, count = token >> 6, (token & 0x3F) + 1
        if count == 64:
            count += number()
        if kind == 0:
            for _ in range(count):
                b, g, r, a = data[at:at + 4]
                out.append((r, g, b, a))
                at += 4
            continue
        distance = {1: 1, 2: w}.get(kind) or number()
        assert 0 < distance <= len(out), 'copy from before the start'
        for _ in range(count):
            out.append(out[-distance])
    assert len(out) == w * h and at == len(data), 'stream and size disagree'
    return w, h, out


def is_red(p):
    """A pixel that reads as the red tint: clearly more red than anything else."""
    r, g, b = p[:3]
    return r - max(g, b) >= 50


# ---------------------------------------------------------------------------

class Fixture:
    """One generator run in a temporary folder, shared by all checks."""

    def __init__(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.out = self.run_generator(self.tmp.name)
        self.files = {}
        for name in os.listdir(self.out):
            with open(os.path.join(self.out, name), 'rb') as f:
                self.files[name] = f.read()
        # The panel's field rectangles, from the drawing code itself.
        sys.path.insert(0, RES)
        self.modes = importlib.import_module('pictures.modes')

    @staticmethod
    def run_generator(parent):
        out = os.path.join(parent, 'run%d' % len(os.listdir(parent)))
        subprocess.run([sys.executable, GENERATOR, '--out', out], check=True, cwd=parent)
        return out

    def bmp(self, name):
        return Bmp(self.files[name])


def test_generator_is_deterministic(fx):
    again = fx.run_generator(fx.tmp.name)
    names = sorted(os.listdir(again))
    assert names == sorted(fx.files), (names, sorted(fx.files))
    for name in names:
        with open(os.path.join(again, name), 'rb') as f:
            assert f.read() == fx.files[name], '%s differs between two runs' % name


def test_committed_files_match_generator(fx):
    for name in RESOURCE_FILES:
        with open(os.path.join(RES, name), 'rb') as f:
            assert f.read() == fx.files[name], \
                '%s is stale: run python3 options/res/gen_pictures.py' % name
    # The sheet is compared by its pixels, so another zlib may pack it differently.
    with open(SHEET, 'rb') as f:
        committed = png_image(f.read())
    assert committed == png_image(fx.files['pictures.png']), \
        'docs/pictures.png is stale: run python3 options/res/gen_pictures.py'


def test_bmp_headers(fx):
    expected = {
        'status_icons.bmp': (560, 16, 32, 0),
        'status_icons_mask.bmp': (560, 16, 1, 2),
        'wiz_01.bmp': (241, 135, 4, 16),
        'wiz_02.bmp': (241, 135, 4, 16),
        'wiz_03.bmp': (241, 135, 4, 16),
    }
    for name, (w, h, bits, colours) in expected.items():
        data = fx.files[name]
        b = Bmp(data)
        assert (b.width, abs(b.height), b.bits) == (w, h, bits), (name, b.width, b.height, b.bits)
        assert b.file_size == len(data), name
        assert b.header_size == 40 and b.planes == 1 and b.compression == 0, name
        assert len(b.palette) == colours, (name, len(b.palette))
        assert b.offset == 14 + 40 + 4 * colours, name
        assert b.image_size == b.stride * h == len(data) - b.offset, name


def test_icons_are_distinct_and_drawn(fx):
    strip = fx.bmp('status_icons.bmp')
    tiles = []
    for n in range(35):
        tile = [strip.pixel(16 * n + x, y) for y in range(16) for x in range(16)]
        opaque = sum(1 for p in tile if p[3])
        colours = {p[:3] for p in tile if p[3]}
        if n:
            # A picture, not a speck: it covers a fair part of its square in
            # several colours and still lets the list colour show around it.
            assert opaque >= 40, 'icon %d has only %d opaque pixels' % (n, opaque)
            assert len(colours) >= 2, 'icon %d is a single colour' % n
        else:
            assert 0 < opaque < 80, 'icon 0 should be a faint mark, has %d pixels' % opaque
        assert opaque < 256, 'icon %d has no transparency at all' % n
        tiles.append(tuple(tile))
    for a in range(35):
        for b in range(a + 1, 35):
            assert tiles[a] != tiles[b], 'icons %d and %d are the same' % (a, b)


def test_icon_alpha_and_mask_agree(fx):
    strip = fx.bmp('status_icons.bmp')
    mask = fx.bmp('status_icons_mask.bmp')
    # A monochrome bitmap's bit picks a palette colour; ImageList_Add takes
    # white as transparent, so bit 1 must be white or the mask is inverted.
    assert mask.palette == [(0, 0, 0), (255, 255, 255)], mask.palette
    for y in range(16):
        for x in range(560):
            r, g, b, a = strip.pixel(x, y)
            assert a in (0, 255), 'partial alpha at %d,%d would draw differently per comctl32' % (x, y)
            if a == 0:
                assert (r, g, b) == (0, 0, 0), 'colour under a transparent pixel at %d,%d' % (x, y)
            assert mask.index(x, y) == (1 if a == 0 else 0), 'mask disagrees with alpha at %d,%d' % (x, y)


def test_mode_pictures_tint_exactly_the_changed_fields(fx):
    fields = fx.modes.WIZ_FIELDS
    assert set(fields) == {'picture', 'title', 'text'}, fields
    for name, changed in CHANGED.items():
        b = fx.bmp(name)
        for field, (x0, y0, x1, y1) in fields.items():
            pixels = [b.pixel(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)]
            red = sum(1 for p in pixels if is_red(p))
            border = [b.pixel(x, y0) for x in range(x0, x1 + 1)] + [b.pixel(x, y1) for x in range(x0, x1 + 1)] \
                + [b.pixel(x0, y) for y in range(y0, y1 + 1)] + [b.pixel(x1, y) for y in range(y0, y1 + 1)]
            if field in changed:
                assert all(is_red(p) for p in border), '%s: %s field has no red border' % (name, field)
                assert red >= len(pixels) // 4, '%s: %s field is barely tinted (%d)' % (name, field, red)
            else:
                assert red == 0, '%s: unchanged %s field has %d red pixels' % (name, field, red)
        for y in range(abs(b.height)):
            for x in range(b.width):
                inside = any(x0 <= x <= x1 and y0 <= y <= y1 for x0, y0, x1, y1 in fields.values())
                assert inside or not is_red(b.pixel(x, y)), '%s: red outside the fields at %d,%d' % (name, x, y)


def test_mode_pictures_differ_only_in_the_fields(fx):
    fields = fx.modes.WIZ_FIELDS.values()
    pics = [fx.bmp(name) for name in sorted(CHANGED)]
    assert len({p.data for p in pics}) == 3, 'two mode pictures are identical'
    for y in range(135):
        for x in range(241):
            if any(x0 <= x <= x1 and y0 <= y <= y1 for x0, y0, x1, y1 in fields):
                continue
            assert len({p.pixel(x, y) for p in pics}) == 1, 'panels differ outside the fields at %d,%d' % (x, y)


def test_logo_sits_on_white(fx):
    w, h, px = unpack(fx.files['logo.bpk'])
    pixel = lambda x, y: px[y * w + x][:3]
    assert all(p[3] == 255 for p in px), 'the logo has holes'
    rim = [(x, y) for x in range(w) for y in (0, 1, h - 2, h - 1)] + \
          [(x, y) for y in range(h) for x in (0, 1, w - 2, w - 1)]
    assert all(min(pixel(x, y)) >= 250 for x, y in rim), 'logo edge is not white, it shows on the white band'
    dark = sum(1 for y in range(h) for x in range(w) if sum(pixel(x, y)) < 450)
    assert dark > 800, 'logo has almost nothing drawn (%d dark pixels)' % dark


def test_resource_script_and_ids(fx):
    header = fx.files['picture_ids.h'].decode('ascii')
    ids = {}
    for line in header.splitlines():
        s = line.strip()
        if s.startswith('#define') and len(s.split()) == 3:
            _, name, value = s.split()
            ids[name] = int(value)
    assert ids == EXPECTED_IDS, ids
    # The resource compiler reads the header too: nothing but directives and comments.
    body = [l.strip() for l in header.split('*/', 1)[1].splitlines() if l.strip()]
    assert all(l.startswith('#') for l in body), body
    rc = fx.files['pictures.rc'].decode('ascii')
    declared = {}
    for line in rc.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] == 'BITMAP':
            declared[parts[0]] = parts[2].strip('"')
    assert set(declared) == {k for k in EXPECTED_IDS if k.startswith('IDB_')}, declared
    assert declared['IDB_STATUS_ICONS'] == 'status_icons.bmp'
    assert declared['IDB_STATUS_MASK'] == 'status_icons_mask.bmp'
    packed = {parts[0]: parts[2].strip('"') for parts in map(str.split, rc.splitlines())
              if len(parts) == 3 and parts[1] == 'RCDATA'}
    assert sorted(packed.values()) == sorted(PACKED), packed
    for n in (1, 2, 3):
        assert declared['IDB_WIZ_0%d' % n] == 'wiz_0%d.bmp' % n
    assert '#include "picture_ids.h"' in rc


def test_contact_sheet_is_a_valid_png(fx):
    (w, h, depth, colour, _, _, interlace), raw = png_image(fx.files['pictures.png'])
    assert (depth, colour, interlace) == (8, 2, 0)
    assert len(raw) == h * (1 + 3 * w), 'scanlines do not match the header'
    assert w >= 35 and h >= 135


def test_packed_pictures_are_the_small_ones_drawn_larger(fx):
    icons16 = fx.bmp('status_icons.bmp')
    for name, (w, h) in PACKED.items():
        pw, ph, px = unpack(fx.files[name])
        assert (pw, ph) == (w, h), '%s is %d x %d' % (name, pw, ph)
        assert all(p[3] in (0, 255) and (p[3] or p[:3] == (0, 0, 0)) for p in px), name + ': alpha not 0 or 255'
        if name.startswith('status_icons'):
            # Each picture covers about the area its 16-pixel one does, in the
            # same place: drawn from the same shapes, not shifted or cut.
            size = h
            for n in range(35):
                for qx in range(2):
                    for qy in range(2):
                        small = sum(1 for y in range(8 * qy, 8 * qy + 8) for x in range(8 * qx, 8 * qx + 8)
                                    if icons16.pixel(16 * n + x, y)[3])
                        half = size // 2
                        big = sum(1 for y in range(half * qy, half * qy + half)
                                  for x in range(half * qx, half * qx + half) if px[y * w + size * n + x][3])
                        assert abs(big / (half * half) - small / 64) <= 0.3, \
                            '%s: picture %d quarter %d,%d covers %d of %d' % (name, n, qx, qy, big, half * half)
        elif name.startswith('wiz'):
            # wiz_01, wiz_02 and wiz_03 one above the other, each with red
            # exactly in its changed fields, twice as large.
            for n, small in enumerate(sorted(CHANGED)):
                top = n * h // 3
                for field, (x0, y0, x1, y1) in fx.modes.WIZ_FIELDS.items():
                    red = sum(1 for y in range(2 * y0, 2 * y1 + 2) for x in range(2 * x0, 2 * x1 + 2)
                              if is_red(px[(top + y) * w + x]))
                    area = (2 * (x1 - x0 + 1)) * (2 * (y1 - y0 + 1))
                    assert (red >= area // 4) if field in CHANGED[small] else red == 0, \
                        '%s: %s of %s has %d red' % (name, field, small, red)
        else:
            rim = [px[x] for x in range(w)] + [px[(h - 1) * w + x] for x in range(w)]
            assert all(min(p[:3]) >= 250 for p in rim), 'large logo edge is not white'


TESTS = [
    test_packed_pictures_are_the_small_ones_drawn_larger,
    test_generator_is_deterministic,
    test_committed_files_match_generator,
    test_bmp_headers,
    test_icons_are_distinct_and_drawn,
    test_icon_alpha_and_mask_agree,
    test_mode_pictures_tint_exactly_the_changed_fields,
    test_mode_pictures_differ_only_in_the_fields,
    test_logo_sits_on_white,
    test_resource_script_and_ids,
    test_contact_sheet_is_a_valid_png,
]


def main():
    fx = Fixture()
    try:
        for test in TESTS:
            try:
                test(fx)
                problems = []
            except Exception:
                problems = traceback.format_exc(limit=2).rstrip('\n').splitlines()
            report(test.__name__, problems)
    finally:
        fx.tmp.cleanup()
    return summary()


if __name__ == '__main__':
    sys.exit(main())
