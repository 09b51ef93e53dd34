// ScaleToDpi: design lengths for 96 dpi to device pixels, half away from zero, dpi kept.
#include "draw_fixture.h"

using namespace parlo;

// Halves round away from zero on both sides; negative lengths mirror positive ones; large
// lengths do not overflow.
TEST(ScaleForDpi, RoundsHalvesAwayFromZero) {
  const struct {
    int length, dpi, pixels;
  } cases[] = {
      {60, 96, 60},  {60, 192, 120},  {60, 130, 81},  // 7800 + 48 = 7848, / 96 = 81
      {-10, 192, -20}, {0, 192, 0},
      {1, 144, 2},   {-1, 144, -2},   // 1.5 pixels
      {1, 143, 1},   {-1, 143, -1},   // 1.49 stays down
      {20'000'000, 192, 40'000'000}, {-20'000'000, 192, -40'000'000},
  };
  for (const auto& c : cases) EXPECT_EQ(ScaleForDpi(c.length, c.dpi), c.pixels) << c.length << " at " << c.dpi;
  for (int v = 1; v < 200; v += 7) EXPECT_EQ(ScaleForDpi(-v, 130), -ScaleForDpi(v, 130)) << v;
}

// Each axis is read from the screen once; a later change of the screen is not seen.
TEST_F(DrawTest, ReadsEachAxisFromTheScreenOnceForTheLifeOfTheProcess) {
  Screen(96, 192);
  EXPECT_EQ(ScaleToDpi(60, DpiAxis::Horizontal), 60);
  EXPECT_EQ(ScaleToDpi(60, DpiAxis::Vertical), 120);
  EXPECT_EQ(ScaleX(-10), -10);
  EXPECT_EQ(ScaleY(-10), -20);
  platform::gdi::CreateScreen(480, 800, 130, 130);
  EXPECT_EQ(ScaleX(60), 60);
  EXPECT_EQ(ScaleY(60), 120);
  ResetDpiCacheForTests();
  EXPECT_EQ(ScaleY(60), 81);
  EXPECT_EQ(ScaleX(60), 81);
}
