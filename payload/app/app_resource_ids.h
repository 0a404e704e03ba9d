/* Resource identifiers of qingwu.exe: shared by qingwu.rc and the C++ code,
   so plain defines only. */
#pragma once

#define QW_ICON_APP 1
#define QW_RES_GLYPH_STRIP 201
#define QW_RES_HEADER 202
#define QW_RES_LOGO 203
#define QW_RES_PRIMARY_NORMAL 204
#define QW_RES_PRIMARY_HOVER 205
#define QW_RES_LIGHT_NORMAL 206
#define QW_RES_LIGHT_HOVER 207
#define QW_RES_GLASS_NORMAL 208
#define QW_RES_GLASS_HOVER 209
#define QW_RES_ICON_GEAR 210
#define QW_RES_ICON_CHECK 211
#define QW_RES_ICON_SAVE 212
#define QW_RES_ICON_TRASH 213
