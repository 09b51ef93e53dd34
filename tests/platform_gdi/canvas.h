// A memory DC over a top-down DIB section, so tests can read pixels straight from memory.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <tuple>
#include <vector>

#include "wingdi.h"

namespace gdi_test {

// A DIB header of `width` x `height` (negative: top-down) at `bits` per pixel.
inline BITMAPINFO DibInfo(int width, int height, WORD bits = 32) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits;
  return info;
}

inline HFONT Font(int height, int weight = FW_NORMAL, std::u16string_view face = u"Tahoma") {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&lf);
}

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width_(width), height_(height) {
    BITMAPINFO info = DibInfo(width, -height);
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    Fill(RECT{0, 0, width, height}, fill);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    for (HGDIOBJ o : owned_) DeleteObject(o);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  // Selects `object`, which the canvas deletes when it goes.
  template <class Object>
  Object Use(Object object) {
    SelectObject(dc_, object);
    owned_.push_back(object);
    return object;
  }
  void Fill(RECT r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
  }
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
  std::vector<HGDIOBJ> owned_;
};

inline std::tuple<LONG, LONG, LONG, LONG> Box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

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
