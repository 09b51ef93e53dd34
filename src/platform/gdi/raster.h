// Pixel work shared by the drawing calls: clipped spans and rectangles, blending, and the text
// layer bookkeeping that goes with painting.
#pragma once
#include <algorithm>
#include <cstdint>

#include "platform/gdi/objects.h"

namespace platform::gdi {

// n pixels of one value, at memset/memcpy speed rather than a pixel at a time.
void FillPixels(uint32_t* p, size_t n, uint32_t pixel);

// Fills [x0, x1) on row y of the DC's surface where the clip allows.
inline void FillSpan(DcObject& dc, int y, int x0, int x1, uint32_t pixel) {
  if (x1 <= x0) return;
  Surface& s = *dc.surface;
  for (const RECT& c : dc.state.clip) {
    if (y < c.top || y >= c.bottom) continue;
    int a = std::max(x0, static_cast<int>(c.left)), b = std::min(x1, static_cast<int>(c.right));
    if (a < b) FillPixels(s.Row(y) + a, static_cast<size_t>(b - a), pixel);
  }
}

// Calls fn(piece) for each part of `deviceRect` inside the clip.
template <typename F>
void ForEachClipped(const DcObject& dc, const RECT& deviceRect, F&& fn) {
  for (const RECT& c : dc.state.clip) {
    RECT piece = Intersect(c, deviceRect);
    if (!IsEmpty(piece)) fn(piece);
  }
}

void FillDeviceRect(DcObject& dc, const RECT& deviceRect, uint32_t pixel);

// Painting over `deviceRect` (within the clip) hides the texts it touches.
void NotePainted(DcObject& dc, const RECT& deviceRect);
// The texts that painting over `deviceRect` (within the clip) would hide, whole.
std::vector<TextRun> RunsUnder(const DcObject& dc, const RECT& deviceRect);

// Mixes `pixel` over `dst` with coverage a (0..255).
inline uint32_t Mix(uint32_t dst, uint32_t src, uint32_t a) {
  uint32_t na = 255 - a;
  uint32_t rb = ((src & 0xFF00FF) * a + (dst & 0xFF00FF) * na + 0x800080) ;
  uint32_t g = ((src & 0x00FF00) * a + (dst & 0x00FF00) * na + 0x008000);
  // Divide each channel by 255 with rounding: (v + (v >> 8)) >> 8 per channel.
  rb = ((rb + ((rb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
  g = ((g + ((g >> 8) & 0x00FF00)) >> 8) & 0x00FF00;
  return rb | g;
}

}  // namespace platform::gdi
