"""Brisklet's pictures, drawn from code: the toolkit (raster, font), the
drawings (icons, modes, logo), the file writers (writers), the contact sheet
(sheet), and the list of resources that the rest comes from (catalogue).
gen_pictures.py next to this folder writes them."""
