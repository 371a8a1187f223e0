"""The 35 extended-status pictures, 16 x 16, in the host's numbering, and
the same drawings at the larger sizes the options window asks for."""

import math

from .raster import (BLACK, INK, WHITE, Canvas, ScaledCanvas, box, ellipse, minus, polygon, rows,
                     segment, turned, union, within)

ICON = 16

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
ICON_COUNT = len(ICONS)


def draw_icons(size=ICON):
    icons = []
    for draw in ICONS:
        c = Canvas(ICON, ICON) if size == ICON else ScaledCanvas(ICON, ICON, size / ICON)
        draw(c)
        icons.append(c)
    return icons


def draw_strip(icons):
    """The pictures of draw_icons in a row, as the image list takes them."""
    size = icons[0].width
    strip = Canvas(size * len(icons), size)
    for n, icon in enumerate(icons):
        strip.blit(icon, n * size, 0)
    return strip
