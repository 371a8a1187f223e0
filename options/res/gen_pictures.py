#!/usr/bin/env python3
"""Draws Brisklet's pictures from code and writes them as resources.

    python3 options/res/gen_pictures.py            # from the repository root
    python3 options/res/gen_pictures.py --out DIR  # everything into DIR

Writes next to this script every picture in the list of
pictures/catalogue.py: for 96 DPI the status pictures as a 32-bit strip
with its mask (status_icons.bmp, status_icons_mask.bmp) and the mode
pictures as 16-colour bitmaps (wiz_01..03.bmp); packed as the DLL reads
them (.bpk), the logo, and for larger screens the status pictures at 20,
24 and 32 pixels and the mode pictures and the logo at twice their size.
From the same list it writes picture_ids.h and pictures.rc, and the
contact sheet docs/pictures.png.  To change a picture, edit its function in
pictures/ and run again; the output depends on nothing but these files, so
the committed files can be checked against a fresh run.

Standard library only: the BMP and PNG files are written by hand.
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # a run must leave nothing behind in options/res

from pictures.catalogue import build  # noqa: E402  (after the line above)


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
