#include <gtest/gtest.h>

#include <tuple>

#include "canvas.h"

using namespace gdi_test;

TEST(GdiBlit, BitBltCopiesExactRectanglesAlsoOverlappingAndPatterns) {
  Canvas src(10, 10, RGB(0, 0, 255));
  SetPixel(src.dc(), 2, 3, RGB(255, 0, 0));
  Canvas dst(20, 20);
  ASSERT_TRUE(BitBlt(dst.dc(), 5, 6, 4, 4, src.dc(), 1, 2, SRCCOPY));
  EXPECT_EQ(dst.At(6, 7), 0xFF0000u);  // (2,3) - (1,2) + (5,6)
  ExpectPixels(dst, {{5, 6, 0x0000FFu}, {8, 9, 0x0000FFu}, {9, 9, kWhite}, {8, 10, kWhite}});
  EXPECT_EQ(dst.CountNot(kWhite, 0, 0, 20, 20), 16);
  // Source running off its bitmap copies only what exists.
  Canvas d2(20, 20);
  BitBlt(d2.dc(), 0, 0, 20, 20, src.dc(), 5, 5, SRCCOPY);
  EXPECT_EQ(d2.CountNot(kWhite, 0, 0, 20, 20), 25);
  // Within one surface, overlapping: scrolling down by 2 takes rows from the original.
  Canvas c(10, 10);
  for (int y = 0; y < 10; ++y) SetPixel(c.dc(), 0, y, RGB(y, 0, 0));
  BitBlt(c.dc(), 0, 2, 1, 8, c.dc(), 0, 0, SRCCOPY);
  for (int y = 2; y < 10; ++y) EXPECT_EQ(c.At(0, y), static_cast<uint32_t>(y - 2) << 16) << y;
  BitBlt(c.dc(), 0, 0, 1, 8, c.dc(), 0, 2, SRCCOPY);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(c.At(0, y), static_cast<uint32_t>(y) << 16) << y;
  // Pattern operations need no source.
  BitBlt(c.dc(), 0, 0, 5, 5, nullptr, 0, 0, BLACKNESS);
  ExpectPixels(c, {{4, 4, kBlack}, {5, 5, kWhite}});
  BitBlt(c.dc(), 0, 0, 2, 2, nullptr, 0, 0, WHITENESS);
  SelectObject(c.dc(), GetStockObject(DKGRAY_BRUSH));
  PatBlt(c.dc(), 6, 6, 2, 2, PATCOPY);
  ExpectPixels(c, {{1, 1, kWhite}, {7, 7, 0x404040u}});
}

TEST(GdiBlit, TransparentImageSkipsColourKeyWithAndWithoutScaling) {
  Canvas src(4, 4, RGB(255, 0, 255));  // magenta key everywhere
  src.Fill(RECT{1, 1, 3, 3}, RGB(0, 128, 0));
  Canvas dst(16, 16, RGB(10, 20, 30));
  const uint32_t back = 0x0A141E, green = 0x008000;
  ASSERT_TRUE(TransparentImage(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 4, 4, RGB(255, 0, 255)));
  ExpectPixels(dst, {{0, 0, back}, {1, 1, green}, {2, 2, green}, {3, 3, back}});
  EXPECT_EQ(dst.CountNot(back, 0, 0, 16, 16), 4);
  // Scaled 3x: the green square becomes 6 x 6, the key stays see-through; from a bitmap handle.
  Canvas dst2(16, 16, RGB(10, 20, 30));
  ASSERT_TRUE(TransparentImage(dst2.dc(), 2, 2, 12, 12, src.bitmap(), 0, 0, 4, 4, RGB(255, 0, 255)));
  EXPECT_EQ(dst2.CountNot(back, 0, 0, 16, 16), 36);
  ExpectPixels(dst2, {{5, 5, green}, {10, 10, green}, {11, 11, back}, {4, 4, back}});
  // Scaled down: 4x4 to 2x2 samples source pixels 1 and 3 (centres of each half).
  Canvas dst3(4, 4, RGB(10, 20, 30));
  TransparentImage(dst3.dc(), 0, 0, 2, 2, src.dc(), 0, 0, 4, 4, RGB(255, 0, 255));
  ExpectPixels(dst3, {{0, 0, green}, {1, 0, back}, {1, 1, back}});
  // A white key on a white-backed picture.
  Canvas white(2, 1);
  SetPixel(white.dc(), 1, 0, RGB(1, 2, 3));
  Canvas dst4(2, 1, RGB(9, 9, 9));
  TransparentImage(dst4.dc(), 0, 0, 2, 1, white.dc(), 0, 0, 2, 1, RGB(255, 255, 255));
  ExpectPixels(dst4, {{0, 0, 0x090909u}, {1, 0, 0x010203u}});
  EXPECT_FALSE(TransparentImage(dst4.dc(), 0, 0, 2, 1, nullptr, 0, 0, 2, 1, 0));
}

TEST(GdiBlit, AlphaBlendConstantAlphaDarkens) {
  Canvas black(4, 4, RGB(0, 0, 0));
  Canvas dst(4, 4, RGB(200, 100, 50));
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 0x60, 0};
  ASSERT_TRUE(AlphaBlend(dst.dc(), 0, 0, 2, 4, black.dc(), 0, 0, 2, 4, bf));
  auto expect = [](int c) { return static_cast<uint32_t>((c * (255 - 0x60) + 127) / 255); };
  uint32_t want = (expect(200) << 16) | (expect(100) << 8) | expect(50);
  ExpectPixels(dst, {{0, 0, want}, {1, 3, want}});
  EXPECT_EQ(dst.At(2, 0), 0xC86432u);  // outside the blend
  // Alpha 255 copies; alpha 0 leaves.
  Canvas red(1, 1, RGB(255, 0, 0));
  Canvas d2(2, 1, RGB(0, 0, 255));
  AlphaBlend(d2.dc(), 0, 0, 1, 1, red.dc(), 0, 0, 1, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 255, 0});
  AlphaBlend(d2.dc(), 1, 0, 1, 1, red.dc(), 0, 0, 1, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 0, 0});
  ExpectPixels(d2, {{0, 0, 0xFF0000u}, {1, 0, 0x0000FFu}});
  // The source rectangle must lie on the source.
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 2, 2, black.dc(), 3, 3, 2, 2, bf));
}

TEST(GdiBlit, GradientFillVerticalSixteenBitChannels) {
  Canvas c(10, 100);
  TRIVERTEX v[2] = {{0, 0, 0xD000, 0xD000, 0xD000, 0}, {10, 100, 0x6000, 0x6000, 0x6000, 0}};
  GRADIENT_RECT gr{0, 1};
  ASSERT_TRUE(GradientFill(c.dc(), v, 2, &gr, 1, GRADIENT_FILL_RECT_V));
  // Row k of n: c0 + (c1 - c0) * k / n in 16 bits, top byte kept.
  auto level = [](int k) { return static_cast<uint32_t>((0xD000 + (0x6000 - 0xD000) * k / 100) >> 8); };
  auto grey = [](uint32_t l) { return (l << 16) | (l << 8) | l; };
  ExpectPixels(c, {{0, 0, grey(0xD0)}, {5, 50, grey(0x98)}, {9, 50, grey(level(50))}, {9, 99, grey(level(99))}});
  EXPECT_EQ(level(99), 0x61u);
  for (int y = 1; y < 100; ++y) ASSERT_LE(c.At(0, y), c.At(0, y - 1));  // never brightens going down
  // Horizontal, with the vertices given right to left.
  Canvas h(100, 2);
  TRIVERTEX hv[2] = {{100, 0, 0, 0, 0xFF00, 0}, {0, 2, 0xFF00, 0, 0, 0}};
  GradientFill(h.dc(), hv, 2, &gr, 1, GRADIENT_FILL_RECT_H);
  EXPECT_EQ(std::tuple(h.At(0, 0), h.At(99, 1) & 0xFF), std::tuple(0xFF0000u, 0xFCu));
}
