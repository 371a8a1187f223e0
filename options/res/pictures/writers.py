"""File writers: BMP, PNG and the DLL's packed form.  BMPs are bottom-up
with a BITMAPINFOHEADER, which is what LoadImageW and windres take without
surprises."""

import struct
import zlib

from .raster import BLACK, WHITE

def bmp_file(width, height, bits, palette, rows_bottom_up):
    header_size = 14 + 40 + 4 * len(palette)
    stride = ((width * bits + 31) // 32) * 4
    image = b''.join(r.ljust(stride, b'\0') for r in rows_bottom_up)
    assert len(image) == stride * height
    out = struct.pack('<2sIHHI', b'BM', header_size + len(image), 0, 0, header_size)
    out += struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(image), 2835, 2835,
                       len(palette), len(palette))
    out += b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    return out + image


def bmp32(c):
    """Straight alpha that is only ever 0 or 255, with black under the
    transparent pixels, so premultiplied and straight readers agree."""
    rows_ = []
    for y in reversed(range(c.height)):
        row = bytearray()
        for x in range(c.width):
            p = c.get(x, y)
            row += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
        rows_.append(bytes(row))
    return bmp_file(c.width, c.height, 32, [], rows_)


def bmp1_mask(c):
    """1 marks a transparent pixel, as ImageList_Add expects of a mask."""
    rows_ = []
    for y in reversed(range(c.height)):
        bits = [1 if c.get(x, y) is None else 0 for x in range(c.width)]
        bits += [0] * (-len(bits) % 8)
        rows_.append(bytes(int(''.join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8)))
    return bmp_file(c.width, c.height, 1, [BLACK, WHITE], rows_)


def bmp4(c, palette):
    index = {p: i for i, p in enumerate(palette)}
    rows_ = []
    for y in reversed(range(c.height)):
        nibbles = [index[c.get(x, y)] for x in range(c.width)]
        nibbles += [0] * (len(nibbles) % 2)
        rows_.append(bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, len(nibbles), 2)))
    return bmp_file(c.width, c.height, 4, palette, rows_)


def bmp24(c):
    rows_ = []
    for y in reversed(range(c.height)):
        rows_.append(b''.join(bytes((p[2], p[1], p[0])) for p in (c.get(x, y) for x in range(c.width))))
    return bmp_file(c.width, c.height, 24, [], rows_)


def packed(c):
    """The DLL's packed form (options/packed_picture.h): 'BPK1', the size,
    then literal pixels and copies of earlier ones. For each pixel it tries a
    run of the last pixel, the row above and the last few places the next
    three pixels were seen, and takes the longest copy."""
    w, h = c.width, c.height
    px = [0 if p is None else 0xFF000000 | p[0] << 16 | p[1] << 8 | p[2] for p in c.pixels]
    out = bytearray(b'BPK1' + struct.pack('<HH', w, h))
    literal = []

    def number(n):
        while True:
            part = n & 0x7F
            n >>= 7
            out.append(part | (0x80 if n else 0))
            if not n:
                return

    def token(kind, count):
        n = count - 1
        out.append(kind << 6 | min(n, 63))
        if n >= 63:
            number(n - 63)

    def flush():
        if literal:
            token(0, len(literal))
            for q in literal:
                out.extend(struct.pack('<I', q))
            literal.clear()

    seen = {}
    i, n = 0, len(px)
    while i < n:
        key = tuple(px[i:i + 3])
        candidates = {1, w} | {i - j for j in seen.get(key, ())}
        best, best_d = 0, 0
        for d in candidates:
            if d <= 0 or d > i:
                continue
            length = 0
            while i + length < n and px[i + length] == px[i + length - d]:
                length += 1
            if length > best or (length == best and d in (1, w)):
                best, best_d = length, d
        if best >= 2:
            flush()
            if best_d == 1:
                token(1, best)
            elif best_d == w:
                token(2, best)
            else:
                token(3, best)
                number(best_d)
            end = i + best
        else:
            literal.append(px[i])
            end = i + 1
        for j in range(i, end):
            places = seen.setdefault(tuple(px[j:j + 3]), [])
            places.append(j)
            del places[:-8]
        i = end
    flush()
    return bytes(out)


def png(c):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    raw = b''.join(b'\0' + b''.join(bytes(c.get(x, y)) for x in range(c.width)) for y in range(c.height))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', c.width, c.height, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
