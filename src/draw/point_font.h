// Fonts by point size, as the views ask for them.
#pragma once
#include <windows.h>

#include "draw/gdi_holders.h"

namespace parlo {

// Character height in pixels (negative, as LOGFONT wants it) of `tenths` tenths of a point at `dpi`.
LONG PointFontHeight(int tenths, int dpi);

// Creates the font into `holder` (replacing what it held) and returns it. `dc` supplies the
// vertical dots per inch; with none, the screen's is used.
HFONT CreatePointFont(FontHolder& holder, int tenths, LPCWSTR face, HDC dc, bool bold, bool italic);

}  // namespace parlo
