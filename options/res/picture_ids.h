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
