#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "canvas.h"

using namespace gdi_test;

TEST(GdiShapes, FillRectExcludesRightAndBottomAndTakesSystemColourIndex) {
  Canvas c(20, 20);
  HBRUSH red = c.Use(CreateSolidBrush(RGB(255, 0, 0)));
  RECT r{2, 3, 7, 9};
  EXPECT_EQ(FillRect(c.dc(), &r, red), 1);
  ExpectPixels(c, {{2, 3, 0xFF0000u}, {6, 8, 0xFF0000u}, {7, 8, kWhite}, {6, 9, kWhite}, {1, 3, kWhite}});
  EXPECT_EQ(c.CountNot(kWhite, 0, 0, 20, 20), 5 * 6);
  // An empty or inverted rectangle paints nothing.
  c.Fill(RECT{10, 10, 5, 5}, RGB(255, 0, 0));
  EXPECT_EQ(c.CountNot(kWhite, 0, 0, 20, 20), 30);
  // COLOR_WINDOWTEXT + 1 in place of a brush is the window text colour (black).
  RECT s{10, 10, 12, 12};
  FillRect(c.dc(), &s, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOWTEXT + 1)));
  EXPECT_EQ(c.At(11, 11), kBlack);
  // Clipped at the bitmap's edges.
  c.Fill(RECT{15, 15, 40, 40}, RGB(255, 0, 0));
  EXPECT_EQ(c.At(19, 19), 0xFF0000u);
}

TEST(GdiShapes, RectangleDrawsPenOutlineAndBrushInside) {
  Canvas c(20, 20);
  c.Use(CreateSolidBrush(RGB(0, 255, 0)));
  ASSERT_TRUE(Rectangle(c.dc(), 2, 2, 10, 8));
  // The right and bottom outline sits on the last pixels inside.
  ExpectPixels(c, {{2, 2, kBlack}, {9, 7, kBlack}, {10, 7, kWhite}, {9, 8, kWhite}, {5, 5, 0x00FF00u}});
  // With a null pen the brush fills a shape one pixel smaller each way.
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  Rectangle(c.dc(), 12, 12, 15, 15);
  ExpectPixels(c, {{12, 12, 0x00FF00u}, {13, 13, 0x00FF00u}, {14, 13, kWhite}, {13, 14, kWhite}});
  EXPECT_EQ(c.CountNot(kWhite, 11, 11, 16, 16), 4);
}

TEST(GdiShapes, RoundRectCutsCornersWithEllipse) {
  Canvas c(140, 80);
  c.Use(CreateSolidBrush(RGB(0xD4, 0xD0, 0xC8)));
  ASSERT_TRUE(RoundRect(c.dc(), 10, 10, 110, 60, 20, 20));
  // Edges away from the corners; the right and bottom ones are the last pixels inside.
  ExpectPixels(c, {{60, 35, 0xD4D0C8}, {60, 10, kBlack}, {10, 35, kBlack}, {109, 35, kBlack}, {110, 35, kWhite},
                   {60, 59, kBlack}, {60, 60, kWhite}});
  // Corners are cut: the rectangle's corner pixels stay untouched, the arc (45 degrees at 13,13) is drawn.
  ExpectPixels(c, {{10, 10, kWhite}, {11, 11, kWhite}, {109, 59, kWhite}, {20, 10, kBlack}, {13, 13, kBlack}});
  // Symmetric left/right.
  for (int y = 10; y < 60; ++y)
    for (int x = 10; x < 60; ++x) ASSERT_EQ(c.At(x, y), c.At(119 - x, y)) << x << "," << y;
}

TEST(GdiShapes, EllipseFillsInsideOnly) {
  Canvas c(42, 42);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  Ellipse(c.dc(), 0, 0, 41, 41);  // a null pen leaves a 40 x 40 disc
  ExpectPixels(c, {{20, 20, kBlack}, {0, 0, kWhite}, {0, 20, kBlack}, {39, 20, kBlack}});
  int area = c.CountNot(kWhite, 0, 0, 40, 40);
  EXPECT_NEAR(area, 3.14159 * 400, 40);
  EXPECT_EQ(c.CountNot(kWhite, 40, 0, 42, 42) + c.CountNot(kWhite, 0, 40, 40, 42), 0);
}

TEST(GdiShapes, ThinLineLeavesOutLastPoint) {
  Canvas c(20, 20);
  MoveToEx(c.dc(), 2, 5, nullptr);
  LineTo(c.dc(), 12, 5);
  ExpectPixels(c, {{2, 5, kBlack}, {11, 5, kBlack}, {12, 5, kWhite}});
  EXPECT_EQ(c.CountNot(kWhite, 0, 0, 20, 20), 10);
  // Position moved to the end: the next line starts there.
  POINT prev{};
  MoveToEx(c.dc(), 0, 0, &prev);
  EXPECT_EQ(std::tuple(prev.x, prev.y), std::tuple(12, 5));
  // A diagonal has one pixel per step.
  Canvas d(20, 20);
  POINT pts[] = {{0, 0}, {10, 10}};
  Polyline(d.dc(), pts, 2);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(d.At(i, i), kBlack);
  EXPECT_EQ(d.CountNot(kWhite, 0, 0, 20, 20), 10);
}

TEST(GdiShapes, TwentyPixelPenDrawsThickLineWithRoundEnds) {
  Canvas c(300, 200);
  HPEN pen = c.Use(CreatePen(PS_SOLID, 20, RGB(255, 0, 0)));
  MoveToEx(c.dc(), 100, 100, nullptr);
  LineTo(c.dc(), 200, 100);
  const uint32_t red = 0xFF0000;
  // Exactly 20 rows across the middle.
  int rows = 0;
  for (int y = 0; y < 200; ++y) rows += c.At(150, y) == red;
  EXPECT_EQ(rows, 20);
  ExpectPixels(c, {{150, 90, red}, {150, 109, red}, {150, 89, kWhite}, {150, 110, kWhite}});
  // Round ends reach half the width past each end point on the axis, not at the corners.
  ExpectPixels(c, {{91, 100, red}, {208, 100, red}, {88, 100, kWhite}, {212, 100, kWhite}, {91, 91, kWhite},
                   {208, 91, kWhite}});
  // A diagonal keeps its width: 20 px measured across the stroke.
  Canvas d(200, 200);
  SelectObject(d.dc(), pen);
  MoveToEx(d.dc(), 50, 50, nullptr);
  LineTo(d.dc(), 150, 150);
  int across = 0;
  for (int k = -20; k <= 20; ++k) across += d.At(100 + k, 100 - k) == red;
  EXPECT_NEAR(across * std::sqrt(2.0), 20.0, 3.0);
}

TEST(GdiShapes, ClipAndViewportOriginApply) {
  Canvas c(30, 30);
  SaveDC(c.dc());
  IntersectClipRect(c.dc(), 5, 5, 10, 10);
  RECT all{0, 0, 30, 30};
  FillRect(c.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.CountNot(kWhite, 0, 0, 30, 30), 25);
  RECT box{};
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(Box(box), std::tuple(5, 5, 10, 10));
  RestoreDC(c.dc(), -1);
  SetViewportOrgEx(c.dc(), 20, 20, nullptr);
  RECT small{0, 0, 2, 2};
  FillRect(c.dc(), &small, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  ExpectPixels(c, {{20, 20, 0x808080u}, {22, 22, kWhite}});
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), RGB(128, 128, 128));
}
