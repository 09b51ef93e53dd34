#include "draw/dpi.h"

#include <cstdint>
#include <cstdlib>

namespace parlo {
namespace {

// 0 = not read yet. Written once on the UI thread.
int g_dpi[2] = {0, 0};

int ReadScreenDpi(int index) {
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  int dpi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// v designed for `base` units to the inch, at `dpi`, rounded half away from zero.
int Scale(int v, int dpi, int base) {
  const int64_t magnitude = (std::llabs(static_cast<int64_t>(v)) * dpi + base / 2) / base;
  return static_cast<int>(v < 0 ? -magnitude : magnitude);
}

}  // namespace

int ScaleForDpi(int v, int dpi) { return Scale(v, dpi, 96); }

LONG ViewFontHeight(int points, int dpi) { return -Scale(points, dpi, 72); }

int ScreenDpi(DpiAxis axis) {
  int& slot = g_dpi[axis == DpiAxis::Horizontal ? 0 : 1];
  if (slot == 0) {
    const int dpi = ReadScreenDpi(axis == DpiAxis::Horizontal ? LOGPIXELSX : LOGPIXELSY);
    // Without a screen there is nothing sensible to scale to: use the design size as it is,
    // and keep asking until a screen exists.
    if (dpi <= 0) return 96;
    slot = dpi;
  }
  return slot;
}

int ScaleToDpi(int v, DpiAxis axis) { return ScaleForDpi(v, ScreenDpi(axis)); }

void ResetDpiCacheForTests() { g_dpi[0] = g_dpi[1] = 0; }

}  // namespace parlo
