// What the list puts on the screen: fill, rows, the translucent indicator.
#include "view_fixture.h"

namespace viewtest {
namespace {

constexpr COLORREF kFill = RGB(10, 200, 30);
constexpr COLORREF kRowColor = RGB(200, 0, 0);

uint32_t Px(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

class Paint : public ListTest {
 protected:
  void SetUp() override {
    ListTest::SetUp();
    list_.fill = kFill;
    list_.background = kRowColor;
  }
  int CountNot(uint32_t color, int l, int t, int r, int b) {
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) n += Pixel(x, y) != color;
    return n;
  }
};

// What the rows do not cover is filled; with all rows fitting there is no indicator; the cursor
// row is highlighted.
TEST_F(Paint, WhatTheRowsDoNotCoverIsFilledAndAllRowsFitWithoutAnIndicator) {
  Fill(0);
  EXPECT_EQ(CountNot(Px(kFill), 0, 0, 480, 630), 0);
  Fill(2);
  EXPECT_EQ(std::pair(Pixel(240, 2 * kRow - 1), CountNot(Px(kFill), 0, 2 * kRow, 480, 630)), std::pair(Px(kRowColor), 0));
  EXPECT_EQ(SendMessageW(list(), WM_ERASEBKGND, 0, 0), 1);  // the paint does it all, without flicker
  Fill(5);  // 600 in 630
  EXPECT_EQ(std::pair(list_.scroller().vertical.visible(), CountNot(Px(kRowColor), 0, 0, 480, 600)), std::pair(false, 0));
  Key(VK_DOWN);
  Pump();
  EXPECT_EQ(std::pair(Pixel(240, 10) == Px(kRowColor), Pixel(240, kRow + 10)), std::pair(false, Px(kRowColor)));
}

// The indicator's white strip is blended at half strength over the row colour, the thumb darker;
// the band a pull opens above the first row is filled.
TEST_F(Paint, IndicatorBlendsOverTheRightEdgeAndTheBandAboveTheFirstRowIsFilledDuringAPull) {
  Fill(30);
  ASSERT_TRUE(list_.scroller().vertical.visible());
  const int t = list_.scroller().thickness.cx;
  EXPECT_EQ(t, 12);
  const uint32_t strip = Pixel(480 - 1, 400);  // below the thumb
  EXPECT_NE(strip, Px(kRowColor));
  EXPECT_NEAR(static_cast<int>(strip >> 16), (200 + 255) / 2, 2);
  EXPECT_NEAR(static_cast<int>((strip >> 8) & 0xFF), 255 / 2, 2);
  EXPECT_EQ(Pixel(480 - t - 1, 400), Px(kRowColor));  // left of the strip the rows are untouched
  const uint32_t thumb = Pixel(480 - t / 2, list_.scroller().vertical.position() + 20);
  EXPECT_LT(thumb & 0xFF, strip & 0xFF);

  Drag(240, 100, 200, 5, 100, false);  // pulled down by 100
  EXPECT_EQ(CountNot(Px(kFill), 0, 0, 468, 100), 0);
  // The first row is pressed, so highlighted.
  EXPECT_EQ(std::pair(Pixel(240, 100) == Px(kFill), Pixel(240, 100 + kRow)), std::pair(false, Px(kRowColor)));
  Up(240, 200);
}

}  // namespace
}  // namespace viewtest
