"""Mode pictures: the host's extended-status panel, 241 x 135 in 16 colours,
with the fields that a work mode changes tinted red."""

from .font import text_width
from .icons import ICON
from .raster import BLACK, WHITE, Canvas, ScaledCanvas, ellipse

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


def draw_stack(scale):
    """The mode pictures one above the other, so that the second and third
    pack mostly as copies of the first."""
    stack = Canvas(scale * WIZ_W, scale * WIZ_H * len(WIZ_MODES))
    for n, fields in enumerate(WIZ_MODES.values()):
        stack.blit(draw_wiz(fields, scale), 0, scale * WIZ_H * n)
    return stack
