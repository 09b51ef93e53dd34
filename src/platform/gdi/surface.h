// A 32-bit drawing surface: 0x00RRGGBB pixels, rows top to bottom in either memory order (a
// bottom-up DIB section walks its memory backwards), and the texts drawn on it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/gdi/pixel_memory.h"
#include "platform/gdi/text_layer.h"

namespace platform::gdi {

class Surface {
 public:
  // Owns zeroed memory; `bottomUp` lays rows out as a bottom-up DIB does.
  Surface(int width, int height, bool bottomUp = false);

  int width() const { return width_; }
  int height() const { return height_; }
  RECT bounds() const { return RECT{0, 0, width_, height_}; }
  uint32_t* Row(int y) { return reinterpret_cast<uint32_t*>(origin_ + stride_ * y); }
  const uint32_t* Row(int y) const { return reinterpret_cast<const uint32_t*>(origin_ + stride_ * y); }
  // Start of the memory block (what CreateDIBSection hands out), whatever the row order.
  void* bits() { return storage_.get(); }
  bool bottomUp() const { return stride_ < 0; }

  TextLayer& text() { return text_; }

 private:
  int width_;
  int height_;
  PixelBlock storage_;
  uint8_t* origin_;
  std::ptrdiff_t stride_;
  TextLayer text_;
};

// COLORREF (0x00BBGGRR) to and from a surface pixel (0x00RRGGBB).
inline uint32_t ToPixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ToColorRef(uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

}  // namespace platform::gdi
