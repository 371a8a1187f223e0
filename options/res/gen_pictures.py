#!/usr/bin/env python3
"""Draws Brisklet's pictures from code and writes them as resources.

    python3 options/res/gen_pictures.py            # from the repository root
    python3 options/res/gen_pictures.py --out DIR  # everything into DIR

Writes status_icons.bmp, status_icons_mask.bmp, wiz_01..03.bmp, logo.bmp,
pictures.rc and picture_ids.h next to this script, and the contact sheet
docs/pictures.png.  To change a picture, edit its function and run again;
the output depends on nothing but this file, so the committed files can be
checked against a fresh run.

Standard library only: the BMP and PNG files are written by hand.
"""

import argparse
import math
import os
import struct
import sys
import zlib

ICON = 16
ICON_COUNT = 35

# ---------------------------------------------------------------------------
# Raster toolkit.  A canvas holds (r, g, b) tuples, or None where transparent.
# Shapes are predicates over integer pixel coordinates (pixel centres), so
# they can be combined before they are painted.


class Canvas:
    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        self.pixels = [background] * (width * height)

    def get(self, x, y):
        return self.pixels[y * self.width + x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Filled rectangle, corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def dots(self, colour, points):
        for x, y in points:
            self.put(x, y, colour)

    def fill(self, inside, colour):
        for y in range(self.height):
            for x in range(self.width):
                if inside(x, y):
                    self.put(x, y, colour)

    def shape(self, inside, fill, edge):
        """Paints a shape with a one-pixel rim of `edge` on its boundary,
        which is what keeps a small picture readable on any background."""
        for y in range(self.height):
            for x in range(self.width):
                if not inside(x, y):
                    continue
                rim = not (inside(x - 1, y) and inside(x + 1, y)
                           and inside(x, y - 1) and inside(x, y + 1))
                self.put(x, y, edge if rim else fill)

    def outline(self, colour):
        """Rims every drawn pixel from the outside (4-neighbours)."""
        opaque = [p is not None for p in self.pixels]
        w, h = self.width, self.height
        for y in range(h):
            for x in range(w):
                if opaque[y * w + x]:
                    continue
                for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                    if 0 <= nx < w and 0 <= ny < h and opaque[ny * w + nx]:
                        self.put(x, y, colour)
                        break

    def text(self, x, y, s, colour, scale=1):
        for gx, gy in text_pixels(s):
            self.rect(x + gx * scale, y + gy * scale,
                      x + gx * scale + scale - 1, y + gy * scale + scale - 1, colour)

    def blit(self, src, x, y, scale=1):
        for sy in range(src.height):
            for sx in range(src.width):
                p = src.get(sx, sy)
                if p is not None:
                    self.rect(x + sx * scale, y + sy * scale,
                              x + sx * scale + scale - 1, y + sy * scale + scale - 1, p)


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    """Even-odd test of the pixel centre."""
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
        return hit
    return inside


def segment(x0, y0, x1, y1, r):
    """Thick line with round ends."""
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = 0.0 if dx == dy == 0 else ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)
        t = max(0.0, min(1.0, t))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= r * r
    return inside


def turned(inside, cx, cy, degrees):
    """The shape `inside`, drawn upright, turned clockwise about (cx, cy)."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return lambda x, y: inside(cx + (x - cx) * c + (y - cy) * s,
                               cy - (x - cx) * s + (y - cy) * c)


def rows(x0, y0, art):
    """Pixels marked '#' in a small drawing."""
    cells = {(x0 + i, y0 + j) for j, row in enumerate(art) for i, ch in enumerate(row) if ch == '#'}
    # The cell a point lies in, so that larger pictures can ask between centres.
    return lambda x, y: (math.floor(x + 0.5), math.floor(y + 0.5)) in cells


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def within(a, b):
    return lambda x, y: a(x, y) and b(x, y)


class ScaledCanvas(Canvas):
    """A canvas that is drawn in the coordinates of a smaller picture (16 x 16
    for a status picture) but holds `scale` times as many pixels, so that the
    same drawing code gives a picture for a larger screen. Shapes are tested
    at the centres of the large pixels, so their edges come out sharp rather
    than as enlarged steps; single pixels become blocks."""

    def __init__(self, width, height, scale, background=None):
        super().__init__(round(width * scale), round(height * scale), background)
        self.scale = scale
        # Rims and outlines: one small pixel wide, rounded to whole large ones.
        self.rim = max(1, int(scale + 0.25))

    def centre(self, X):
        return (X + 0.5) / self.scale - 0.5

    def span(self, a, b):
        """The large pixels that small pixels a..b (inclusive) cover."""
        return range(max(0, round(a * self.scale)), round((b + 1) * self.scale))

    def put(self, x, y, colour):
        self.rect(x, y, x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        for Y in self.span(y0, y1):
            for X in self.span(x0, x1):
                Canvas.put(self, X, Y, colour)

    def line(self, x0, y0, x1, y1, colour):
        self.fill(segment(x0, y0, x1, y1, 0.5), colour,
                  (min(x0, x1) - 1, min(y0, y1) - 1, max(x0, x1) + 1, max(y0, y1) + 1))

    def fill(self, inside, colour, bounds=None):
        xs, ys = range(self.width), range(self.height)
        if bounds:
            xs, ys = self.span(bounds[0], bounds[2]), self.span(bounds[1], bounds[3])
        for Y in ys:
            v = self.centre(Y)
            for X in xs:
                if inside(self.centre(X), v):
                    Canvas.put(self, X, Y, colour)

    def shape(self, inside, fill, edge):
        d = self.rim / self.scale
        for Y in range(self.height):
            v = self.centre(Y)
            for X in range(self.width):
                u = self.centre(X)
                if not inside(u, v):
                    continue
                rim = not (inside(u - d, v) and inside(u + d, v) and inside(u, v - d) and inside(u, v + d))
                Canvas.put(self, X, Y, edge if rim else fill)

    def outline(self, colour):
        opaque = [p is not None for p in self.pixels]
        w, h = self.width, self.height
        for Y in range(h):
            for X in range(w):
                if opaque[Y * w + X]:
                    continue
                near = [(X + k, Y) for k in range(-self.rim, self.rim + 1)] + \
                       [(X, Y + k) for k in range(-self.rim, self.rim + 1)]
                if any(0 <= nx < w and 0 <= ny < h and opaque[ny * w + nx] for nx, ny in near):
                    Canvas.put(self, X, Y, colour)


# ---------------------------------------------------------------------------
# A 5 x 7 pixel font of our own; proportional, one blank column between
# letters.  Descenders hang one row below the 7.

GLYPHS = {
    'A': ".###.|#...#|#...#|#####|#...#|#...#|#...#",
    'B': "####.|#...#|#...#|####.|#...#|#...#|####.",
    'C': ".###.|#...#|#....|#....|#....|#...#|.###.",
    'D': "####.|#...#|#...#|#...#|#...#|#...#|####.",
    'E': "#####|#....|#....|####.|#....|#....|#####",
    'F': "#####|#....|#....|####.|#....|#....|#....",
    'G': ".###.|#...#|#....|#.###|#...#|#...#|.####",
    'H': "#...#|#...#|#...#|#####|#...#|#...#|#...#",
    'I': "###|.#.|.#.|.#.|.#.|.#.|###",
    'J': "..###|...#.|...#.|...#.|...#.|#..#.|.##..",
    'K': "#...#|#..#.|#.#..|##...|#.#..|#..#.|#...#",
    'L': "#....|#....|#....|#....|#....|#....|#####",
    'M': "#...#|##.##|#.#.#|#.#.#|#...#|#...#|#...#",
    'N': "#...#|#...#|##..#|#.#.#|#..##|#...#|#...#",
    'O': ".###.|#...#|#...#|#...#|#...#|#...#|.###.",
    'P': "####.|#...#|#...#|####.|#....|#....|#....",
    'Q': ".###.|#...#|#...#|#...#|#.#.#|#..#.|.##.#",
    'R': "####.|#...#|#...#|####.|#.#..|#..#.|#...#",
    'S': ".####|#....|#....|.###.|....#|....#|####.",
    'T': "#####|..#..|..#..|..#..|..#..|..#..|..#..",
    'U': "#...#|#...#|#...#|#...#|#...#|#...#|.###.",
    'V': "#...#|#...#|#...#|#...#|#...#|.#.#.|..#..",
    'W': "#...#|#...#|#...#|#.#.#|#.#.#|#.#.#|.#.#.",
    'X': "#...#|#...#|.#.#.|..#..|.#.#.|#...#|#...#",
    'Y': "#...#|#...#|.#.#.|..#..|..#..|..#..|..#..",
    'Z': "#####|....#|...#.|..#..|.#...|#....|#####",
    'a': ".....|.....|.###.|....#|.####|#...#|.####",
    'b': "#....|#....|#.##.|##..#|#...#|#...#|####.",
    'c': ".....|.....|.###.|#....|#....|#...#|.###.",
    'd': "....#|....#|.##.#|#..##|#...#|#...#|.####",
    'e': ".....|.....|.###.|#...#|#####|#....|.###.",
    'f': "..##|.#..|.#..|###.|.#..|.#..|.#..",
    'g': ".....|.....|.####|#...#|#...#|.####|....#|.###.",
    'h': "#....|#....|#.##.|##..#|#...#|#...#|#...#",
    'i': ".#.|...|##.|.#.|.#.|.#.|###",
    'j': "...#|....|..##|...#|...#|...#|#..#|.##.",
    'k': "#...|#...|#..#|#.#.|##..|#.#.|#..#",
    'l': "##.|.#.|.#.|.#.|.#.|.#.|###",
    'm': ".....|.....|##.#.|#.#.#|#.#.#|#...#|#...#",
    'n': ".....|.....|#.##.|##..#|#...#|#...#|#...#",
    'o': ".....|.....|.###.|#...#|#...#|#...#|.###.",
    'p': ".....|.....|####.|#...#|#...#|####.|#....|#....",
    'q': ".....|.....|.####|#...#|#...#|.####|....#|....#",
    'r': ".....|.....|#.##.|##..#|#....|#....|#....",
    's': ".....|.....|.####|#....|.###.|....#|####.",
    't': ".#..|.#..|###.|.#..|.#..|.#.#|..#.",
    'u': ".....|.....|#...#|#...#|#...#|#..##|.##.#",
    'v': ".....|.....|#...#|#...#|#...#|.#.#.|..#..",
    'w': ".....|.....|#...#|#...#|#.#.#|#.#.#|.#.#.",
    'x': ".....|.....|#...#|.#.#.|..#..|.#.#.|#...#",
    'y': ".....|.....|#...#|#...#|#...#|.####|....#|.###.",
    'z': ".....|.....|#####|...#.|..#..|.#...|#####",
    '0': ".###.|#...#|#..##|#.#.#|##..#|#...#|.###.",
    '1': "..#..|.##..|..#..|..#..|..#..|..#..|.###.",
    '2': ".###.|#...#|....#|...#.|..#..|.#...|#####",
    '3': "#####|...#.|..#..|...#.|....#|#...#|.###.",
    '4': "...#.|..##.|.#.#.|#..#.|#####|...#.|...#.",
    '5': "#####|#....|####.|....#|....#|#...#|.###.",
    '6': "..##.|.#...|#....|####.|#...#|#...#|.###.",
    '7': "#####|....#|...#.|..#..|.#...|.#...|.#...",
    '8': ".###.|#...#|#...#|.###.|#...#|#...#|.###.",
    '9': ".###.|#...#|#...#|.####|....#|...#.|.##..",
    ' ': "..|..|..|..|..|..|..",
    '.': "..|..|..|..|..|##|##",
    ',': "..|..|..|..|##|.#|#.",
    ':': "..|##|##|..|##|##|..",
    '!': "#|#|#|#|#|.|#",
    '?': ".###.|#...#|....#|...#.|..#..|.....|..#..",
    '-': "....|....|....|####|....|....|....",
    "'": "#|#|.|.|.|.|.",
    '(': "..#|.#.|#..|#..|#..|.#.|..#",
    ')': "#..|.#.|..#|..#|..#|.#.|#..",
    '/': "....#|...#.|...#.|..#..|.#...|.#...|#....",
    '+': ".....|..#..|..#..|#####|..#..|..#..|.....",
    '_': "....|....|....|....|....|....|####",
}


def glyph(ch):
    return GLYPHS[ch].split('|')


def text_pixels(s):
    """The lit cells of a line of text, from its top-left corner."""
    out = []
    x = 0
    for ch in s:
        g = glyph(ch)
        for gy, row in enumerate(g):
            for gx, c in enumerate(row):
                if c == '#':
                    out.append((x + gx, gy))
        x += len(g[0]) + 1
    return out


def text_width(s):
    return sum(len(glyph(ch)[0]) + 1 for ch in s) - 1 if s else 0


# ---------------------------------------------------------------------------
# The 35 extended-status pictures, 16 x 16, in the host's numbering.

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
INK = (34, 34, 40)
SKIN = (250, 205, 160)
SKIN_EDGE = (150, 95, 55)
YELLOW = (255, 214, 40)
YELLOW_EDGE = (150, 100, 0)


def face(c, fill=YELLOW, edge=YELLOW_EDGE):
    c.shape(ellipse(7.5, 7.5, 7.4), fill, edge)


def icon_none(c):
    # A faint dashed ring with a small cross: "nothing chosen".
    grey = (150, 150, 156)
    ring = minus(ellipse(7.5, 7.5, 7.2), ellipse(7.5, 7.5, 6.1))
    dash = lambda x, y: int((math.atan2(y - 7.5, x - 7.5) + math.pi) / (math.pi / 8) + 0.5) % 2 == 0
    c.fill(within(ring, dash), grey)
    c.line(5, 5, 10, 10, grey)
    c.line(10, 5, 5, 10, grey)


def icon_angry(c):
    face(c, (236, 62, 40), (120, 14, 10))
    c.line(3, 4, 6, 6, INK)
    c.line(12, 4, 9, 6, INK)
    c.dots(INK, [(5, 7), (5, 8), (10, 7), (10, 8)])
    c.dots(INK, [(4, 12), (5, 11), (6, 11), (7, 11), (8, 11), (9, 11), (10, 11), (11, 12)])


def icon_bath(c):
    c.shape(ellipse(6, 5, 2.3), SKIN, SKIN_EDGE)
    c.dots(INK, [(5, 5), (7, 5)])
    foam = (215, 235, 255)
    foam_edge = (70, 120, 190)
    c.shape(ellipse(11.5, 3, 1.9), foam, foam_edge)
    c.shape(ellipse(13.5, 6.5, 1.5), foam, foam_edge)
    c.shape(ellipse(2, 2, 1.3), foam, foam_edge)
    c.shape(union(box(0, 8, 15, 9), polygon([(0.5, 9), (14.5, 9), (12.5, 13.5), (2.5, 13.5)])),
            WHITE, (60, 80, 120))
    c.rect(1, 9, 14, 9, (120, 180, 240))
    c.dots((60, 80, 120), [(3, 14), (4, 15), (12, 14), (11, 15)])


def icon_tired(c):
    face(c)
    c.dots(INK, [(3, 7), (4, 7), (5, 7), (6, 7), (9, 7), (10, 7), (11, 7), (12, 7)])
    c.dots((110, 90, 170), [(4, 8), (5, 8), (10, 8), (11, 8)])
    c.shape(ellipse(7.5, 11.5, 1.6, 1.6), (120, 40, 20), INK)
    c.shape(union(ellipse(11.5, 4, 1.6), polygon([(11.5, 0.6), (13.1, 3.5), (9.9, 3.5)])),
            (140, 200, 255), (30, 90, 200))


def icon_party(c):
    c.dots((230, 40, 60), [(1, 3), (2, 4)])
    c.dots((40, 170, 60), [(13, 2), (14, 3)])
    c.dots((40, 110, 230), [(1, 9), (2, 10), (14, 8), (13, 9)])
    c.dots((240, 150, 0), [(3, 0), (11, 12)])
    hat = polygon([(7.5, 0.5), (12.9, 15.5), (2.1, 15.5)])
    c.shape(hat, (220, 60, 200), (110, 20, 100))
    stripe = lambda x, y: (x + 2 * y) % 7 in (0, 1)
    c.shape(lambda x, y: hat(x, y) and stripe(x, y), (255, 225, 40), (110, 20, 100))
    c.shape(ellipse(7.5, 1.5, 1.8), (255, 225, 40), (150, 100, 0))


def icon_beer(c):
    amber = (245, 170, 20)
    glass = (130, 75, 0)
    c.shape(minus(ellipse(11.5, 9.5, 3.4, 3.4), ellipse(11.5, 9.5, 1.4, 1.4)), amber, glass)
    c.shape(box(1, 4, 11, 15), amber, glass)
    c.rect(3, 7, 3, 13, (255, 220, 120))
    c.dots((255, 235, 170), [(6, 12), (8, 9), (7, 6), (9, 13)])
    c.shape(union(ellipse(2.5, 3.5, 2.2), ellipse(6, 2.5, 2.6), ellipse(9.5, 3.5, 2.2), box(1, 3, 11, 5)),
            WHITE, (150, 150, 150))


def icon_thinking(c):
    edge = (90, 100, 130)
    c.shape(ellipse(10.5, 3.5, 5.2, 3.4), WHITE, edge)
    c.shape(ellipse(9, 8, 1.2), WHITE, edge)
    c.shape(ellipse(4.5, 11, 4.4), YELLOW, YELLOW_EDGE)
    c.dots(INK, [(4, 9), (6, 9), (3, 13), (4, 13), (5, 12)])


def icon_eating(c):
    bun = (235, 160, 60)
    bun_edge = (135, 75, 15)
    c.shape(union(within(ellipse(7.5, 7, 7.4, 6.4), box(0, 0, 15, 6)), box(0, 6, 15, 6)), bun, bun_edge)
    c.dots((255, 245, 215), [(5, 3), (9, 2), (11, 4), (3, 5), (7, 5)])
    c.rect(0, 7, 15, 7, (60, 170, 40))
    c.dots((60, 170, 40), [(1, 8), (4, 8), (8, 8), (12, 8)])
    c.dots((255, 215, 30), [(2, 8), (3, 8), (9, 8), (10, 8), (11, 8)])
    c.shape(box(0, 9, 15, 10), (120, 65, 30), (70, 35, 15))
    c.shape(polygon([(-0.5, 10.5), (15.5, 10.5), (14.5, 14.5), (0.5, 14.5)]), bun, bun_edge)


def icon_tv(c):
    c.line(7, 4, 4, 0, INK)
    c.line(8, 4, 11, 0, INK)
    c.shape(box(0, 4, 15, 13), (120, 90, 70), (50, 30, 20))
    c.shape(box(2, 6, 11, 11), (90, 190, 240), (20, 40, 70))
    c.dots((200, 240, 255), [(3, 7), (4, 7), (3, 8)])
    c.dots((230, 220, 200), [(13, 7), (13, 9)])
    c.dots((50, 30, 20), [(2, 14), (2, 15), (13, 14), (13, 15)])


def icon_friends(c):
    c.shape(ellipse(11, 4, 2.3), SKIN, SKIN_EDGE)
    c.shape(within(ellipse(11.5, 13.5, 4.6, 5.5), box(0, 8, 15, 15)), (70, 180, 70), (20, 90, 20))
    c.shape(ellipse(5, 6, 2.3), SKIN, SKIN_EDGE)
    c.shape(within(ellipse(5, 15, 5.3, 5.8), box(0, 9, 15, 15)), (60, 120, 230), (20, 50, 130))
    c.dots(INK, [(4, 6), (6, 6), (10, 4), (12, 4)])


def icon_coffee(c):
    steam = (150, 150, 160)
    c.dots(steam, [(5, 0), (4, 1), (4, 2), (5, 3), (5, 4), (8, 1), (7, 2), (7, 3), (8, 4)])
    cup_edge = (90, 55, 30)
    c.shape(minus(ellipse(11.5, 9, 2.9, 2.5), ellipse(11.5, 9, 1.0, 1.0)), WHITE, cup_edge)
    c.shape(union(box(2, 6, 11, 10), within(ellipse(6.5, 8, 4.6, 5.0), box(0, 10, 15, 15))), WHITE, cup_edge)
    c.rect(3, 7, 10, 7, (130, 75, 30))
    c.shape(within(ellipse(7, 13.5, 7.4, 2.0), box(0, 13, 15, 15)), (240, 240, 240), cup_edge)
    c.dots((70, 130, 210), [(5, 9), (6, 9), (7, 9), (8, 9)])


def icon_music(c):
    notes = union(
        turned(ellipse(3.5, 12.5, 2.4, 1.7), 3.5, 12.5, -25),
        turned(ellipse(11.5, 11, 2.4, 1.7), 11.5, 11, -25),
        box(5, 2, 5, 12), box(13, 1, 13, 11),
        polygon([(4.5, 1.5), (13.5, -0.5), (13.5, 2.5), (4.5, 4.5)]))
    c.shape(notes, (110, 60, 210), (40, 10, 100))
    c.fill(notes, (110, 60, 210))
    c.outline((40, 10, 100))


def icon_business(c):
    suit = (50, 62, 100)
    suit_edge = (15, 20, 40)
    c.shape(polygon([(-0.5, 15.5), (0.5, 9.5), (3.5, 6.5), (11.5, 6.5), (14.5, 9.5), (15.5, 15.5)]), suit, suit_edge)
    c.shape(polygon([(4.5, 6.5), (10.5, 6.5), (7.5, 14.5)]), WHITE, (120, 120, 130))
    c.shape(union(box(7, 7, 8, 8), polygon([(6.5, 8.5), (8.5, 8.5), (9.4, 12.5), (7.5, 15.2), (5.6, 12.5)])),
            (220, 30, 40), (110, 0, 10))
    c.line(4, 7, 6, 11, suit_edge)
    c.line(11, 7, 9, 11, suit_edge)
    c.shape(ellipse(7.5, 3, 2.6, 2.9), SKIN, SKIN_EDGE)
    c.rect(5, 0, 10, 1, (90, 60, 30))
    c.dots((90, 60, 30), [(5, 2), (10, 2)])


def icon_camera(c):
    body = (70, 74, 84)
    c.shape(box(3, 2, 7, 5), body, BLACK)
    c.shape(box(0, 4, 15, 14), body, BLACK)
    c.rect(12, 6, 13, 6, (250, 250, 210))
    c.shape(ellipse(7.5, 9.5, 4.2), (190, 195, 205), BLACK)
    c.shape(ellipse(7.5, 9.5, 2.3), (40, 70, 140), (20, 30, 60))
    c.dots(WHITE, [(6, 8)])


def icon_fun(c):
    face(c)
    c.dots(INK, [(3, 6), (4, 5), (5, 6), (10, 6), (11, 5), (12, 6)])
    mouth = within(ellipse(7.5, 8.5, 4.8, 5.0), box(0, 9, 15, 15))
    c.shape(mouth, (150, 25, 25), (80, 10, 10))
    c.rect(4, 9, 11, 9, WHITE)
    c.dots((240, 110, 120), [(6, 12), (7, 12), (8, 12), (9, 12)])
    c.dots((90, 170, 255), [(1, 8), (14, 8), (1, 9), (14, 9)])


def icon_phone(c):
    # A desk telephone with its handset on the cradle.
    body = (40, 160, 80)
    body_edge = (10, 70, 30)
    c.shape(polygon([(3.5, 5.5), (11.5, 5.5), (15.5, 14.5), (-0.5, 14.5)]), body, body_edge)
    c.shape(union(box(2, 1, 13, 3), ellipse(2.5, 3.5, 2.4, 1.9), ellipse(12.5, 3.5, 2.4, 1.9)), body, body_edge)
    c.shape(ellipse(7.5, 10, 3.0, 2.6), (235, 245, 235), body_edge)
    c.dots(body_edge, [(7, 9), (8, 9), (7, 10), (8, 10)])


def icon_games(c):
    pad = union(ellipse(4, 9.5, 4.1, 4.6), ellipse(11, 9.5, 4.1, 4.6), box(3, 5, 12, 11))
    c.shape(pad, (200, 200, 210), (60, 60, 75))
    c.dots(INK, [(3, 8), (2, 9), (3, 9), (4, 9), (3, 10)])
    c.shape(ellipse(11.5, 8, 1.1), (230, 40, 50), (120, 0, 0))
    c.shape(ellipse(13, 10.5, 1.1), (40, 110, 230), (0, 30, 120))
    c.dots((60, 60, 75), [(6, 7), (9, 7)])


def icon_study(c):
    cap = (45, 50, 70)
    c.shape(union(box(4, 6, 11, 11), within(ellipse(7.5, 11, 3.6, 2.2), box(0, 11, 15, 15))), cap, BLACK)
    c.shape(polygon([(7.5, 0.8), (15.6, 4.8), (7.5, 8.8), (-0.6, 4.8)]), (70, 78, 110), BLACK)
    c.dots((255, 205, 30), [(7, 5), (8, 5), (9, 6), (10, 6), (11, 7), (12, 7), (13, 8), (13, 9), (13, 10),
                            (12, 11), (13, 11), (14, 11), (12, 12), (13, 12), (14, 12)])


def icon_shopping(c):
    metal = (40, 70, 160)
    basket = polygon([(3.2, 3.5), (15.5, 3.5), (13.5, 10.5), (4.8, 10.5)])
    c.fill(basket, (215, 230, 250))
    c.fill(lambda x, y: basket(x, y) and (x % 3 == 1 or y % 3 == 1), metal)
    c.line(3, 3, 15, 3, metal)
    c.line(3, 3, 5, 10, metal)
    c.line(15, 3, 13, 10, metal)
    c.line(5, 10, 13, 10, metal)
    c.line(0, 1, 2, 1, metal)
    c.line(2, 1, 3, 3, metal)
    c.line(5, 11, 5, 12, metal)
    c.line(5, 12, 14, 12, metal)
    c.shape(ellipse(6, 14, 1.5), (60, 60, 60), BLACK)
    c.shape(ellipse(12, 14, 1.5), (60, 60, 60), BLACK)


def icon_sick(c):
    face(c, (150, 215, 110), (40, 110, 35))
    c.dots(INK, [(4, 6), (5, 7), (6, 7), (9, 7), (10, 7), (11, 6)])
    c.dots(INK, [(4, 11), (5, 11), (6, 11), (7, 11)])
    thermo = segment(8.0, 11.0, 14.5, 4.5, 1.2)
    c.shape(thermo, WHITE, (90, 90, 110))
    c.shape(ellipse(8, 11, 1.5), (230, 30, 40), (120, 0, 10))
    c.line(9, 10, 12, 7, (230, 30, 40))


def icon_sleeping(c):
    moon = minus(ellipse(6.5, 9, 6.2), ellipse(10.5, 6.5, 5.0))
    c.shape(moon, (255, 225, 70), (160, 110, 0))
    z = (50, 90, 220)
    c.dots(z, [(9, 0), (10, 0), (11, 0), (12, 0), (13, 0), (12, 1), (11, 2), (10, 3),
               (9, 4), (10, 4), (11, 4), (12, 4), (13, 4)])
    c.dots(z, [(12, 7), (13, 7), (14, 7), (13, 8), (12, 9), (13, 9), (14, 9)])
    c.outline(WHITE)


def icon_surfing(c):
    sea = (40, 120, 220)
    sea_edge = (10, 50, 130)
    wave = union(minus(ellipse(6, 10, 6.4, 7.0), ellipse(8.2, 8.2, 2.6, 2.8)), box(0, 12, 15, 15))
    c.shape(within(wave, box(0, 3, 15, 15)), sea, sea_edge)
    c.dots(WHITE, [(3, 4), (4, 3), (5, 3), (6, 3), (7, 4), (1, 6), (2, 5)])
    board = turned(ellipse(9.5, 9, 6.3, 1.6), 9.5, 9, -30)
    c.shape(board, (255, 210, 40), (140, 70, 0))
    c.fill(turned(box(5, 9, 14, 9), 9.5, 9, -30), (230, 60, 40))


def icon_internet(c):
    sea = (50, 130, 225)
    c.shape(ellipse(7.5, 7.5, 7.4), sea, (15, 55, 140))
    land = (90, 190, 80)
    c.fill(within(union(ellipse(5, 5, 2.6, 2.2), ellipse(4.5, 10, 1.6, 2.6), ellipse(11, 9.5, 2.4, 3.0),
                        ellipse(10.5, 3, 2.0, 1.2)), ellipse(7.5, 7.5, 6.4)), land)
    grid = (200, 230, 255)
    ring = minus(ellipse(7.5, 7.5, 3.4, 6.5), ellipse(7.5, 7.5, 2.4, 5.5))
    c.fill(within(union(ring, box(1, 7, 14, 7), box(7, 1, 8, 14)), ellipse(7.5, 7.5, 6.4)), grid)


def icon_work(c):
    steel = (190, 195, 205)
    steel_edge = (60, 65, 80)
    wrench = union(segment(2.5, 13.0, 11.0, 4.5, 1.3), ellipse(12, 3.5, 2.9))
    c.shape(minus(wrench, polygon([(12, 3.5), (15.5, -0.5), (16, 3)])), steel, steel_edge)
    c.shape(segment(12.5, 12.5, 5.5, 5.5, 1.2), (205, 140, 70), (110, 60, 20))
    head = turned(box(-0.3, 3.5, 6.3, 5.6), 3, 4.5, 45)
    c.shape(head, (110, 115, 130), (30, 30, 40))


def icon_typing(c):
    c.dots((60, 60, 70), [(7, 0), (8, 1), (8, 2), (7, 3), (7, 4)])
    c.shape(box(0, 5, 15, 13), (225, 225, 232), (60, 60, 70))
    key = (110, 112, 125)
    c.fill(lambda x, y: y in (7, 9) and 2 <= x <= 13 and x % 2 == 0, key)
    c.dots(key, [(3, 8), (5, 8), (7, 8), (9, 8), (11, 8), (13, 8)])
    c.rect(4, 11, 11, 11, key)


def icon_picnic(c):
    wicker = (210, 150, 70)
    wicker_edge = (110, 65, 20)
    c.shape(minus(within(ellipse(7.5, 7, 5.5, 5.5), box(0, 0, 15, 7)), ellipse(7.5, 7, 4.0, 4.0)),
            wicker, wicker_edge)
    c.fill(polygon([(1.5, 5.5), (13.5, 5.5), (14.5, 8.5), (0.5, 8.5)]), WHITE)
    c.fill(lambda x, y: 5 <= y <= 7 and 1 <= x <= 14 and (x // 2 + y // 2) % 2 == 0 and
           polygon([(1.5, 5.5), (13.5, 5.5), (14.5, 8.5), (0.5, 8.5)])(x, y), (220, 30, 40))
    body = polygon([(-0.5, 7.5), (15.5, 7.5), (13.5, 15.5), (1.5, 15.5)])
    c.shape(body, wicker, wicker_edge)
    c.fill(lambda x, y: body(x, y) and 9 <= y <= 14 and 2 <= x <= 13 and (x + 2 * y) % 4 == 0,
           (160, 100, 35))


def icon_cooking(c):
    c.shape(segment(11.5, 11.5, 15.0, 15.0, 1.3), (60, 40, 30), BLACK)
    c.shape(ellipse(6.5, 6.5, 6.4), (70, 72, 80), BLACK)
    c.fill(minus(ellipse(6.5, 6.5, 5.4), ellipse(6.5, 6.5, 4.6)), (130, 132, 140))
    c.shape(union(ellipse(6, 6.5, 3.6, 3.0), ellipse(7.5, 5.5, 2.4, 2.2)), WHITE, (200, 200, 200))
    c.shape(ellipse(6.5, 6.5, 1.5), (255, 170, 20), (210, 110, 0))


def icon_walking(c):
    c.fill(rows(0, 0, [
        ".........##.....",
        "........####....",
        "........####....",
        ".........##.....",
        "........###.....",
        ".......#####....",
        "......##.###....",
        ".....##..###.#..",
        ".....#...####...",
        ".........###....",
        "........##.##...",
        ".......##...##..",
        "......##.....##.",
        ".....##.......#.",
        "....##........#.",
        "...##.........##",
    ]), (25, 120, 55))
    c.outline(WHITE)


def icon_love(c):
    heart = union(ellipse(4.3, 5, 3.9), ellipse(10.7, 5, 3.9),
                  polygon([(0.6, 6.0), (14.4, 6.0), (7.5, 14.6)]))
    c.shape(heart, (232, 30, 60), (120, 0, 20))
    c.dots((255, 190, 200), [(3, 3), (4, 3), (3, 4)])


def icon_driving(c):
    paint = (40, 110, 225)
    paint_edge = (10, 40, 110)
    c.shape(union(polygon([(2.5, 7.5), (4.5, 2.5), (11, 2.5), (13.5, 7.5)]),
                  box(0, 7, 15, 11)), paint, paint_edge)
    glass = (200, 235, 255)
    c.fill(polygon([(4, 7), (5.3, 3.6), (7.4, 3.6), (7.4, 7)]), glass)
    c.fill(polygon([(8.6, 7), (8.6, 3.6), (10.4, 3.6), (12, 7)]), glass)
    c.dots((255, 240, 130), [(15, 8)])
    c.shape(ellipse(4, 12, 2.4), (40, 40, 45), BLACK)
    c.shape(ellipse(11.5, 12, 2.4), (40, 40, 45), BLACK)
    c.dots((190, 190, 190), [(4, 12), (11, 12)])


def icon_reading(c):
    cover = (180, 40, 50)
    c.shape(polygon([(-0.5, 3.5), (7.5, 5.5), (15.5, 3.5), (15.5, 15.5), (-0.5, 15.5)]), cover, (90, 10, 20))
    page_edge = (90, 90, 100)
    c.shape(polygon([(0.5, 2.5), (7.5, 4.5), (7.5, 14.5), (0.5, 12.5)]), WHITE, page_edge)
    c.shape(polygon([(8.5, 4.5), (15.5, 2.5), (15.5, 12.5), (8.5, 14.5)]), WHITE, page_edge)
    ink = (140, 150, 175)
    for y in (6, 8, 10):
        c.line(2, y - 1, 5, y, ink)
        c.line(10, y, 13, y - 1, ink)


def icon_sport(c):
    c.shape(ellipse(7.5, 7.5, 7.4), WHITE, (50, 50, 50))
    patch = (30, 30, 35)
    c.fill(polygon([(7.5, 4.9), (10.0, 6.7), (9.0, 9.6), (6.0, 9.6), (5.0, 6.7)]), patch)
    for a in range(5):
        ang = math.radians(-90 + 72 * a)
        px, py = 7.5 + 6.9 * math.cos(ang), 7.5 + 6.9 * math.sin(ang)
        c.fill(within(ellipse(px, py, 2.1), ellipse(7.5, 7.5, 6.6)), patch)
    c.dots((150, 150, 155), [(7, 3), (11, 5), (11, 10), (4, 10), (4, 5)])


def icon_travel(c):
    plane = union(
        ellipse(7.5, 7.5, 1.4, 7.2),
        polygon([(7.5, 4.5), (15.3, 9.0), (15.3, 10.3), (7.5, 8.5), (-0.3, 10.3), (-0.3, 9.0)]),
        polygon([(7.5, 12), (11, 14.6), (11, 15.3), (4, 15.3), (4, 14.6)]))
    c.shape(turned(plane, 7.5, 7.5, 45), (235, 240, 250), (50, 70, 120))
    c.dots((60, 130, 220), [(9, 5), (10, 6)])


def icon_rain(c):
    cloud = union(ellipse(4.5, 6.5, 3.2), ellipse(9, 4.5, 4.0), ellipse(12.2, 7, 3.0), box(2, 7, 13, 9))
    c.shape(within(cloud, box(0, 0, 15, 9)), (200, 205, 220), (80, 88, 110))
    drop = (40, 110, 230)
    for x, y in ((3, 11), (7, 11), (11, 11), (5, 14), (9, 14), (13, 14)):
        c.dots(drop, [(x, y), (x - 1, y + 1)])


def icon_question(c):
    mark = rows(3, 0, [
        "..######..",
        ".########.",
        "###....###",
        "###....###",
        "......###.",
        ".....###..",
        "....###...",
        "....###...",
        "....###...",
        "..........",
        "....###...",
        "....###...",
        "....###...",
    ])
    c.fill(mark, (40, 100, 230))
    c.outline((10, 30, 110))


ICONS = [
    icon_none, icon_angry, icon_bath, icon_tired, icon_party, icon_beer, icon_thinking, icon_eating,
    icon_tv, icon_friends, icon_coffee, icon_music, icon_business, icon_camera, icon_fun, icon_phone,
    icon_games, icon_study, icon_shopping, icon_sick, icon_sleeping, icon_surfing, icon_internet,
    icon_work, icon_typing, icon_picnic, icon_cooking, icon_walking, icon_love, icon_driving,
    icon_reading, icon_sport, icon_travel, icon_rain, icon_question,
]

ICON_NAMES = [f.__name__[len('icon_'):] for f in ICONS]


# The sizes the options window asks for beyond 16: 125 %, 150 % and 200 %.
# Between them it reduces the next larger one.
ICON_SIZES = [20, 24, 32]


def draw_icons(size=ICON):
    icons = []
    for draw in ICONS:
        c = Canvas(ICON, ICON) if size == ICON else ScaledCanvas(ICON, ICON, size / ICON)
        draw(c)
        icons.append(c)
    return icons


# ---------------------------------------------------------------------------
# Mode pictures: the host's extended-status panel, 241 x 135 in 16 colours,
# with the fields that a work mode changes tinted red.

WIZ_W, WIZ_H = 241, 135

WIZ_PALETTE = [
    (0, 0, 0), (255, 255, 255), (212, 208, 200), (128, 128, 128),
    (64, 64, 64), (236, 233, 226), (10, 36, 106), (166, 202, 240),
    (255, 200, 200), (220, 0, 0), (255, 230, 40), (120, 96, 0),
    (60, 110, 200), (200, 220, 255), (0, 128, 0), (255, 255, 225),
]

FACE, SHADOW, DARK, HILITE = (212, 208, 200), (128, 128, 128), (64, 64, 64), WHITE
TITLE_BLUE, TITLE_LIGHT = (10, 36, 106), (166, 202, 240)
TINT_FILL, TINT_EDGE = (255, 200, 200), (220, 0, 0)

# The three fields, as (left, top, right, bottom) inclusive; the tests read
# these to look for red where a mode changes a field and nowhere else.
WIZ_FIELDS = {
    'picture': (8, 25, 51, 58),
    'title': (60, 25, 232, 37),
    'text': (8, 73, 232, 112),
}

WIZ_MODES = {
    'wiz_01': ('text',),
    'wiz_02': ('title', 'text'),
    'wiz_03': ('picture', 'title', 'text'),
}


def sunken_field(c, rect, tinted):
    x0, y0, x1, y1 = rect
    if tinted:
        c.rect(x0, y0, x1, y1, TINT_FILL)
        c.frame(x0, y0, x1, y1, TINT_EDGE)
        c.frame(x0 + 1, y0 + 1, x1 - 1, y1 - 1, TINT_EDGE)
    else:
        c.rect(x0, y0, x1, y1, WHITE)
        c.line(x0, y0, x1, y0, SHADOW)
        c.line(x0, y0, x0, y1, SHADOW)
        c.line(x0 + 1, y0 + 1, x1 - 1, y0 + 1, DARK)
        c.line(x0 + 1, y0 + 1, x0 + 1, y1 - 1, DARK)
        c.line(x1, y0, x1, y1, HILITE)
        c.line(x0, y1, x1, y1, HILITE)
        c.line(x1 - 1, y0 + 1, x1 - 1, y1 - 1, FACE)
        c.line(x0 + 1, y1 - 1, x1 - 1, y1 - 1, FACE)


def raised_button(c, x0, y0, x1, y1, caption):
    c.rect(x0, y0, x1, y1, FACE)
    c.line(x0, y0, x1, y0, HILITE)
    c.line(x0, y0, x0, y1, HILITE)
    c.line(x1, y0, x1, y1, DARK)
    c.line(x0, y1, x1, y1, DARK)
    c.line(x1 - 1, y0 + 1, x1 - 1, y1 - 1, SHADOW)
    c.line(x0 + 1, y1 - 1, x1 - 1, y1 - 1, SHADOW)
    if caption:
        c.text((x0 + x1 + 1 - text_width(caption)) // 2, (y0 + y1 - 6) // 2, caption, BLACK)


def wiz_smiley(c, x, y):
    """The picture shown in the selector, 2x, in the panel's colours."""
    scale = getattr(c, 'scale', 1)
    s = Canvas(ICON, ICON) if scale == 1 else ScaledCanvas(ICON, ICON, 2 * scale)
    s.shape(ellipse(7.5, 7.5, 7.4), (255, 230, 40), (120, 96, 0))
    s.dots(BLACK, [(5, 5), (5, 6), (10, 5), (10, 6)])
    s.dots(BLACK, [(3, 9), (4, 10), (5, 11), (6, 11), (7, 11), (8, 11), (9, 11), (10, 11), (11, 10), (12, 9)])
    if scale == 1:
        c.blit(s, x, y, 2)
        return
    for Y in range(s.height):
        for X in range(s.width):
            p = s.get(X, Y)
            if p is not None:
                Canvas.put(c, round(x * scale) + X, round(y * scale) + Y, p)


def draw_wiz(changed, scale=1):
    """At scale 2 for screens above 96 DPI: the same panel, with the edges
    of its shapes drawn at the larger size."""
    c = Canvas(WIZ_W, WIZ_H, FACE) if scale == 1 else ScaledCanvas(WIZ_W, WIZ_H, scale, FACE)
    # Window frame and caption bar.
    c.frame(0, 0, WIZ_W - 1, WIZ_H - 1, DARK)
    c.line(1, 1, WIZ_W - 2, 1, HILITE)
    c.line(1, 1, 1, WIZ_H - 2, HILITE)
    c.line(WIZ_W - 2, 1, WIZ_W - 2, WIZ_H - 2, SHADOW)
    c.line(1, WIZ_H - 2, WIZ_W - 2, WIZ_H - 2, SHADOW)
    c.rect(2, 2, WIZ_W - 3, 12, TITLE_BLUE)
    c.text(5, 4, 'Extended status', WHITE)
    raised_button(c, WIZ_W - 13, 3, WIZ_W - 4, 11, '')
    c.dots(BLACK, [(WIZ_W - 11 + i, 5 + i) for i in range(5)] + [(WIZ_W - 7 - i, 5 + i) for i in range(5)])

    px0, py0, px1, py1 = WIZ_FIELDS['picture']
    c.text(px0, py0 - 9, 'Picture', BLACK)
    sunken_field(c, WIZ_FIELDS['picture'], 'picture' in changed)
    wiz_smiley(c, px0 + 2, py0 + 1)
    raised_button(c, px1 - 9, py0 + 2, px1 - 2, py1 - 2, '')
    ax, ay = px1 - 6, (py0 + py1) // 2 - 1
    c.dots(BLACK, [(ax - 2 + i, ay) for i in range(5)] + [(ax - 1 + i, ay + 1) for i in range(3)] + [(ax, ay + 2)])

    tx0, ty0, tx1, ty1 = WIZ_FIELDS['title']
    c.text(tx0, ty0 - 9, 'Title', BLACK)
    sunken_field(c, WIZ_FIELDS['title'], 'title' in changed)
    c.text(tx0 + 4, ty0 + 3, 'Coffee break', BLACK)

    c.text(tx0, ty1 + 6, 'Shown to all your contacts', SHADOW)

    xx0, xy0, xx1, xy1 = WIZ_FIELDS['text']
    c.text(xx0, xy0 - 9, 'Text', BLACK)
    sunken_field(c, WIZ_FIELDS['text'], 'text' in changed)
    for i, line in enumerate(['Third cup today.', 'If I answer fast,', 'it was the coffee.']):
        c.text(xx0 + 4, xy0 + 4 + 9 * i, line, BLACK)
    # Scroll bar of the multi-line field.
    c.rect(xx1 - 9, xy0 + 2, xx1 - 2, xy1 - 2, (236, 233, 226))
    raised_button(c, xx1 - 9, xy0 + 2, xx1 - 2, xy0 + 9, '')
    raised_button(c, xx1 - 9, xy1 - 9, xx1 - 2, xy1 - 2, '')

    raised_button(c, 130, 117, 178, 130, 'OK')
    raised_button(c, 184, 117, 232, 130, 'Cancel')
    return c


# ---------------------------------------------------------------------------
# Logo, 181 x 92 in 24-bit colour, drawn four times larger and averaged down
# so that its curves are smooth.

LOGO_W, LOGO_H = 181, 92
SS = 4


def draw_logo(scale=1):
    W, H = LOGO_W * SS * scale, LOGO_H * SS * scale
    big = [[WHITE] * W for _ in range(H)]

    def paint(inside, colour_at):
        for y in range(H):
            fy = (y + 0.5) / (SS * scale)
            row = big[y]
            for x in range(W):
                fx = (x + 0.5) / (SS * scale)
                if inside(fx, fy):
                    row[x] = colour_at(fx, fy)

    def solid(colour):
        return lambda fx, fy: colour

    # Word: the pixel font at 4x, each cell a square whose outer corners are
    # rounded, in a blue-to-teal fill over a soft shadow.
    word = 'Brisklet'
    cell = 4.0
    wx = (LOGO_W - text_width(word) * cell) / 2
    wy = 34.0
    lit = set(text_pixels(word))

    def in_word(fx, fy, dx=0.0, dy=0.0):
        gx = (fx - wx - dx) / cell
        gy = (fy - wy - dy) / cell
        ix, iy = math.floor(gx), math.floor(gy)
        if (ix, iy) not in lit:
            return False
        u, v = gx - ix, gy - iy
        # Round a corner only when both neighbours on that side are empty.
        sx = -1 if u < 0.5 else 1
        sy = -1 if v < 0.5 else 1
        if (ix + sx, iy) in lit or (ix, iy + sy) in lit:
            return True
        r = 0.4
        cu = r if sx < 0 else 1 - r
        cv = r if sy < 0 else 1 - r
        if (u - cu) * sx > 0 and (v - cv) * sy > 0:
            return (u - cu) ** 2 + (v - cv) ** 2 <= r * r
        return True

    paint(lambda fx, fy: in_word(fx, fy, 1.2, 1.2), solid((200, 210, 225)))
    top, bottom = (40, 90, 210), (0, 160, 170)

    def gradient(fx, fy):
        t = max(0.0, min(1.0, (fy - wy) / (7 * cell)))
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    paint(in_word, gradient)

    # Speech bubble with a smile, speaking from above the end of the word.
    bx, by, brx, bry = 152.0, 16.0, 22.0, 13.0
    bubble = union(ellipse(bx, by, brx, bry), polygon([(136, 22), (146, 26), (132, 35)]))
    inner = union(ellipse(bx, by, brx - 2, bry - 2), polygon([(138.5, 23), (144, 25.5), (134.5, 31.5)]))
    paint(bubble, solid((40, 90, 210)))
    paint(inner, solid((255, 244, 170)))
    paint(union(ellipse(bx - 6, by - 3, 1.8, 2.4), ellipse(bx + 6, by - 3, 1.8, 2.4)), solid(INK))
    smile = minus(within(ellipse(bx, by + 0.5, 9.0, 7.5), box(0, by + 1.5, LOGO_W, LOGO_H)),
                  ellipse(bx, by + 0.5, 7.0, 5.6))
    paint(smile, solid(INK))

    logo = Canvas(LOGO_W * scale, LOGO_H * scale, WHITE)
    for y in range(LOGO_H * scale):
        for x in range(LOGO_W * scale):
            acc = [0, 0, 0]
            for sy in range(SS):
                for p in big[y * SS + sy][x * SS:(x + 1) * SS]:
                    acc[0] += p[0]
                    acc[1] += p[1]
                    acc[2] += p[2]
            logo.put(x, y, tuple((a + SS * SS // 2) // (SS * SS) for a in acc))

    sub = 'for HOX Vostek'
    logo.text((LOGO_W - text_width(sub)) // 2 * scale, 74 * scale, sub, (90, 95, 110), scale)
    return logo


# ---------------------------------------------------------------------------
# File writers.  BMPs are bottom-up with a BITMAPINFOHEADER, which is what
# LoadImageW and windres take without surprises.

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


# ---------------------------------------------------------------------------
# Contact sheet for people: every picture with its number, as the options
# window will show it (1x on the list colour and on the selection colour)
# and enlarged.

SELECTION_BLUE = (10, 36, 106)
SELECTION_MODERN = (0, 120, 215)


def draw_sheet(icons, wizards, logo):
    cols, cell_w, cell_h = 7, 112, 104
    sheet_w = cols * cell_w + 16
    icons_h = ((len(icons) + cols - 1) // cols) * cell_h
    wiz_y = 16 + icons_h + 8
    logo_y = wiz_y + WIZ_H + 24
    sheet_h = logo_y + LOGO_H * 2 + 24
    c = Canvas(sheet_w, sheet_h, (236, 236, 240))
    c.text(8, 4, 'Brisklet pictures - made by options/res/gen_pictures.py', (60, 60, 70))
    for n, icon in enumerate(icons):
        x0 = 8 + (n % cols) * cell_w
        y0 = 16 + (n // cols) * cell_h
        c.rect(x0, y0, x0 + cell_w - 8, y0 + cell_h - 8, WHITE)
        c.frame(x0, y0, x0 + cell_w - 8, y0 + cell_h - 8, (200, 200, 210))
        c.blit(icon, x0 + 6, y0 + 6, 4)
        for i, bg in enumerate((WHITE, SELECTION_BLUE, SELECTION_MODERN)):
            bx, by = x0 + 76, y0 + 6 + i * 22
            c.rect(bx - 3, by - 3, bx + 18, by + 18, bg)
            c.blit(icon, bx, by)
        c.text(x0 + 6, y0 + 78, '%d %s' % (n, ICON_NAMES[n]), BLACK)
    for i, (name, w) in enumerate(wizards):
        x0 = 8 + i * (WIZ_W + 16)
        c.text(x0, wiz_y, '%s: %s' % (name, ', '.join(WIZ_MODES[name])), BLACK)
        c.blit(w, x0, wiz_y + 10)
    c.text(8, logo_y - 10, 'logo, 1x and 2x', BLACK)
    c.blit(logo, 8, logo_y)
    c.blit(logo, 8 + LOGO_W + 16, logo_y, 2)
    return c


# ---------------------------------------------------------------------------
# Resource script and identifiers.

PICTURE_IDS_H = """\
/* Resource identifiers of the plug-in's pictures.  Written by
   gen_pictures.py; read by C++ and by the resource compiler, so it holds
   nothing but #defines.  IDR_ are packed (options/packed_picture.h): the
   logo, which as a bitmap would take a twelfth of the DLL's size budget,
   and for screens above 96 DPI the status pictures at 20, 24 and 32 pixels,
   the three mode pictures (one above the other, so that the second and
   third are mostly copies of the first) and the logo at twice their size. */
#ifndef BRISKLET_PICTURE_IDS_H
#define BRISKLET_PICTURE_IDS_H

#define IDB_STATUS_ICONS 201
#define IDB_STATUS_MASK 202
#define IDB_WIZ_01 211
#define IDB_WIZ_02 212
#define IDB_WIZ_03 213

#define IDR_STATUS_ICONS_20 231
#define IDR_STATUS_ICONS_24 232
#define IDR_STATUS_ICONS_32 233
#define IDR_WIZ_2X 241
#define IDR_LOGO 221
#define IDR_LOGO_2X 251

#endif
"""

PICTURES_RC = """\
/* The plug-in's pictures.  Written by gen_pictures.py.  File names are
   plain, so the resource compiler needs options/res on its include path. */
#include "picture_ids.h"

IDB_STATUS_ICONS BITMAP "status_icons.bmp"
IDB_STATUS_MASK BITMAP "status_icons_mask.bmp"
IDB_WIZ_01 BITMAP "wiz_01.bmp"
IDB_WIZ_02 BITMAP "wiz_02.bmp"
IDB_WIZ_03 BITMAP "wiz_03.bmp"

IDR_STATUS_ICONS_20 RCDATA "status_icons_20.bpk"
IDR_STATUS_ICONS_24 RCDATA "status_icons_24.bpk"
IDR_STATUS_ICONS_32 RCDATA "status_icons_32.bpk"
IDR_WIZ_2X RCDATA "wiz_2x.bpk"
IDR_LOGO RCDATA "logo.bpk"
IDR_LOGO_2X RCDATA "logo_2x.bpk"
"""


def build():
    """All output files, as {file name: bytes}."""
    icons = draw_icons()
    strip = Canvas(ICON * ICON_COUNT, ICON)
    for n, icon in enumerate(icons):
        strip.blit(icon, n * ICON, 0)
    wizards = [(name, draw_wiz(fields)) for name, fields in WIZ_MODES.items()]
    logo = draw_logo()
    files = {
        'status_icons.bmp': bmp32(strip),
        'status_icons_mask.bmp': bmp1_mask(strip),
        'logo.bpk': packed(logo),
        'pictures.rc': PICTURES_RC.encode('ascii'),
        'picture_ids.h': PICTURE_IDS_H.encode('ascii'),
        'pictures.png': png(draw_sheet(icons, wizards, logo)),
    }
    for name, w in wizards:
        files[name + '.bmp'] = bmp4(w, WIZ_PALETTE)
    for size in ICON_SIZES:
        strip = Canvas(size * ICON_COUNT, size)
        for n, icon in enumerate(draw_icons(size)):
            strip.blit(icon, n * size, 0)
        files['status_icons_%d.bpk' % size] = packed(strip)
    modes = Canvas(2 * WIZ_W, 2 * WIZ_H * len(WIZ_MODES))
    for n, fields in enumerate(WIZ_MODES.values()):
        modes.blit(draw_wiz(fields, 2), 0, 2 * WIZ_H * n)
    files['wiz_2x.bpk'] = packed(modes)
    files['logo_2x.bpk'] = packed(draw_logo(2))
    return files


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--out', help='write every file into this folder instead')
    args = parser.parse_args(argv)
    here = os.path.dirname(os.path.abspath(__file__))
    for name, data in sorted(build().items()):
        if args.out:
            path = os.path.join(args.out, name)
        elif name == 'pictures.png':
            path = os.path.join(here, '..', '..', 'docs', name)
        else:
            path = os.path.join(here, name)
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
