// Lengths are designed for 96 dots per inch; ScaleToDpi turns them into device pixels.
#pragma once
#include <windows.h>

namespace parlo {

enum class DpiAxis { Horizontal, Vertical };

// v for 96 dpi at `dpi`, rounded half away from zero: s * ((|v| * dpi + 48) / 96).
int ScaleForDpi(int v, int dpi);
// The height of a font of `points` at `dpi`, by the same rounding with 72 points to the inch,
// negative because it is a character height: -((points * dpi + 36) / 72).
LONG ViewFontHeight(int points, int dpi);

// The screen's dots per inch for the axis (LOGPIXELSX / LOGPIXELSY), read once and kept.
int ScreenDpi(DpiAxis axis);
int ScaleToDpi(int v, DpiAxis axis);

// Short forms for layout code: horizontal lengths (widths, x) and vertical ones (heights, y).
inline int ScaleX(int v) { return ScaleToDpi(v, DpiAxis::Horizontal); }
inline int ScaleY(int v) { return ScaleToDpi(v, DpiAxis::Vertical); }

// Tests only: forget the cached values so the next use reads the screen again.
void ResetDpiCacheForTests();

}  // namespace parlo
