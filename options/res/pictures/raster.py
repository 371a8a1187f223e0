"""Raster toolkit.  A canvas holds (r, g, b) tuples, or None where
transparent.  Shapes are predicates over integer pixel coordinates (pixel
centres), so they can be combined before they are painted."""

import math

from .font import text_pixels

# The colours that every picture shares.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
INK = (34, 34, 40)


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
