#pragma once

#include "lcdproc/LcddDriverRecord.h"

// The functions the module exports to LCDd, with its symbol prefix. None lets an exception out.
#define OM6211_LCDD_EXPORT extern "C" __attribute__((visibility("default")))

OM6211_LCDD_EXPORT const char* api_version;
OM6211_LCDD_EXPORT int stay_in_foreground;
OM6211_LCDD_EXPORT int supports_multiple;
OM6211_LCDD_EXPORT const char* symbol_prefix;

OM6211_LCDD_EXPORT int om6211_init(LcddRecord* drvthis);
OM6211_LCDD_EXPORT void om6211_close(LcddRecord* drvthis);
OM6211_LCDD_EXPORT int om6211_width(LcddRecord* drvthis);
OM6211_LCDD_EXPORT int om6211_height(LcddRecord* drvthis);
OM6211_LCDD_EXPORT int om6211_cellwidth(LcddRecord* drvthis);
OM6211_LCDD_EXPORT int om6211_cellheight(LcddRecord* drvthis);
OM6211_LCDD_EXPORT void om6211_clear(LcddRecord* drvthis);
OM6211_LCDD_EXPORT void om6211_flush(LcddRecord* drvthis);
OM6211_LCDD_EXPORT void om6211_string(LcddRecord* drvthis, int x, int y, const char* text);
OM6211_LCDD_EXPORT void om6211_chr(LcddRecord* drvthis, int x, int y, char c);
OM6211_LCDD_EXPORT void om6211_hbar(LcddRecord* drvthis, int x, int y, int len, int promille,
                                    int pattern);
OM6211_LCDD_EXPORT void om6211_vbar(LcddRecord* drvthis, int x, int y, int len, int promille,
                                    int pattern);
OM6211_LCDD_EXPORT void om6211_num(LcddRecord* drvthis, int x, int num);
OM6211_LCDD_EXPORT int om6211_icon(LcddRecord* drvthis, int x, int y, int icon);
OM6211_LCDD_EXPORT void om6211_heartbeat(LcddRecord* drvthis, int state);
OM6211_LCDD_EXPORT void om6211_cursor(LcddRecord* drvthis, int x, int y, int type);
OM6211_LCDD_EXPORT void om6211_set_char(LcddRecord* drvthis, int n, unsigned char* data);
OM6211_LCDD_EXPORT int om6211_get_free_chars(LcddRecord* drvthis);
OM6211_LCDD_EXPORT void om6211_backlight(LcddRecord* drvthis, int on);
OM6211_LCDD_EXPORT int om6211_get_contrast(LcddRecord* drvthis);
OM6211_LCDD_EXPORT void om6211_set_contrast(LcddRecord* drvthis, int promille);
OM6211_LCDD_EXPORT const char* om6211_get_info(LcddRecord* drvthis);
