"""Logo, 181 x 92 in 24-bit colour, drawn four times larger and averaged
down so that its curves are smooth."""

import math

from .font import text_pixels, text_width
from .raster import INK, WHITE, Canvas, box, ellipse, minus, polygon, union, within

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
