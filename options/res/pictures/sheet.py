"""Contact sheet for people: every picture with its number, as the options
window will show it (1x on the list colour and on the selection colour)
and enlarged."""

from .icons import ICON_NAMES
from .logo import LOGO_H, LOGO_W
from .modes import WIZ_H, WIZ_MODES, WIZ_W
from .raster import BLACK, WHITE, Canvas

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
