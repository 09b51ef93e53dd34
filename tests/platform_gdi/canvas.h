// A memory DC over a top-down DIB section, so tests can read pixels straight from memory.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "wingdi.h"

namespace gdi_test {

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all{0, 0, width, height};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  // 0x00RRGGBB as stored.
  uint32_t At(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
  // Pixels in [x0, x1) x [y0, y1) that differ from `background`.
  int CountNot(uint32_t background, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) != background;
    return n;
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

struct PixelIs {
  int x, y;
  uint32_t color;
};

// Every listed pixel of `c` has its colour; a failure names the pixel.
inline void ExpectPixels(const Canvas& c, std::initializer_list<PixelIs> pixels) {
  for (const PixelIs& p : pixels) EXPECT_EQ(c.At(p.x, p.y), p.color) << "at " << p.x << "," << p.y;
}

}  // namespace gdi_test
