/* Resource identifiers of the plug-in's pictures.  Written by
   gen_pictures.py; read by C++ and by the resource compiler, so it holds
   nothing but #defines. */
#ifndef BRISKLET_PICTURE_IDS_H
#define BRISKLET_PICTURE_IDS_H

#define IDB_STATUS_ICONS 201
#define IDB_STATUS_MASK 202
#define IDB_WIZ_01 211
#define IDB_WIZ_02 212
#define IDB_WIZ_03 213
#define IDB_LOGO 221

#endif
