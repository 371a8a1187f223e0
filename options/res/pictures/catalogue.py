"""The pictures the DLL carries, as one list, and everything made from it:
the identifiers header, the resource script, the files and the contact
sheet.  Adding a picture is one entry in PICTURES."""

import functools

from .icons import ICON, draw_icons, draw_strip
from .logo import draw_logo
from .modes import WIZ_MODES, WIZ_PALETTE, draw_stack, draw_wiz
from .sheet import draw_sheet
from .writers import bmp1_mask, bmp4, bmp32, packed, png


# Each drawing once, however many files show it.
@functools.cache
def icons(size=ICON):
    return draw_icons(size)


@functools.cache
def strip(size=ICON):
    return draw_strip(icons(size))


@functools.cache
def mode(name):
    return draw_wiz(WIZ_MODES[name])


@functools.cache
def logo(scale=1):
    return draw_logo(scale)


class Picture:
    """One resource: its identifier, the file it is kept in, and how that
    file's bytes are made.  The file's kind gives the resource's type."""

    TYPES = {'.bmp': 'BITMAP', '.bpk': 'RCDATA'}

    def __init__(self, ident, number, file, make):
        self.ident, self.number, self.file, self.make = ident, number, file, make
        self.type = self.TYPES[file[file.rindex('.'):]]


# Bitmaps at 96 DPI first, then the packed ones (options/packed_picture.h).
# The status pictures beyond 16 pixels are the sizes the options window asks
# for at 125 %, 150 % and 200 %; between them it reduces the next larger one.
PICTURES = [
    Picture('IDB_STATUS_ICONS', 201, 'status_icons.bmp', lambda: bmp32(strip())),
    Picture('IDB_STATUS_MASK', 202, 'status_icons_mask.bmp', lambda: bmp1_mask(strip())),
    Picture('IDB_WIZ_01', 211, 'wiz_01.bmp', lambda: bmp4(mode('wiz_01'), WIZ_PALETTE)),
    Picture('IDB_WIZ_02', 212, 'wiz_02.bmp', lambda: bmp4(mode('wiz_02'), WIZ_PALETTE)),
    Picture('IDB_WIZ_03', 213, 'wiz_03.bmp', lambda: bmp4(mode('wiz_03'), WIZ_PALETTE)),
    Picture('IDR_STATUS_ICONS_20', 231, 'status_icons_20.bpk', lambda: packed(strip(20))),
    Picture('IDR_STATUS_ICONS_24', 232, 'status_icons_24.bpk', lambda: packed(strip(24))),
    Picture('IDR_STATUS_ICONS_32', 233, 'status_icons_32.bpk', lambda: packed(strip(32))),
    Picture('IDR_WIZ_2X', 241, 'wiz_2x.bpk', lambda: packed(draw_stack(2))),
    Picture('IDR_LOGO', 221, 'logo.bpk', lambda: packed(logo())),
    Picture('IDR_LOGO_2X', 251, 'logo_2x.bpk', lambda: packed(logo(2))),
]

IDS_HEAD = """\
/* Resource identifiers of the plug-in's pictures.  Written by
   gen_pictures.py; read by C++ and by the resource compiler, so it holds
   nothing but #defines.  IDR_ are packed (options/packed_picture.h): the
   logo, which as a bitmap would take a twelfth of the DLL's size budget,
   and for screens above 96 DPI the status pictures at 20, 24 and 32 pixels,
   the three mode pictures (one above the other, so that the second and
   third are mostly copies of the first) and the logo at twice their size. */
#ifndef BRISKLET_PICTURE_IDS_H
#define BRISKLET_PICTURE_IDS_H

"""
IDS_TAIL = "\n\n#endif\n"

RC_HEAD = """\
/* The plug-in's pictures.  Written by gen_pictures.py.  File names are
   plain, so the resource compiler needs options/res on its include path. */
#include "picture_ids.h"

"""
RC_TAIL = "\n"


def by_type(line):
    """One line per picture, a blank line between the resource types."""
    groups = {}
    for p in PICTURES:
        groups.setdefault(p.type, []).append(line(p))
    return '\n\n'.join('\n'.join(lines) for lines in groups.values())


def picture_ids_h():
    return IDS_HEAD + by_type(lambda p: '#define %s %d' % (p.ident, p.number)) + IDS_TAIL


def pictures_rc():
    return RC_HEAD + by_type(lambda p: '%s %s "%s"' % (p.ident, p.type, p.file)) + RC_TAIL


def build():
    """All output files, as {file name: bytes}."""
    files = {p.file: p.make() for p in PICTURES}
    files['picture_ids.h'] = picture_ids_h().encode('ascii')
    files['pictures.rc'] = pictures_rc().encode('ascii')
    wizards = [(name, mode(name)) for name in WIZ_MODES]
    files['pictures.png'] = png(draw_sheet(icons(), wizards, logo()))
    return files
