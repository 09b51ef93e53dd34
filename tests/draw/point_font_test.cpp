// The point-size font routine: height = -|dpi * tenths / 720| with a 64-bit product.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

#include "draw/dpi.h"
#include "draw/point_font.h"
#include "kit/temp_device.h"
#include "platform/gdi/window_dc.h"

using namespace parlo;

// -|dpi * tenths / 720|, truncated, with a 64-bit product.
TEST(PointFontHeight, IsANegativeCharacterHeight) {
  const struct {
    int tenths, dpi, height;
  } cases[] = {
      {420, 96, -56}, {420, 192, -112},              // the clock's font at both densities
      {90, 130, -16}, {140, 96, -18},                // 16.25 and 18.67 truncate
      {-420, 96, -56}, {0, 192, 0},                  // a negative size still gives a character height
      {2'000'000'000, 192, -533'333'333},            // the product overflows 32 bits; the height fits
      {INT_MAX, 720, -INT_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(PointFontHeight(c.tenths, c.dpi), c.height) << c.tenths << " at " << c.dpi;
}

class PointFont : public ::testing::Test {
 protected:
  void SetUp() override { platform::gdi::CreateScreen(480, 800, 192, 192); }
  LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
    return lf;
  }
  parlo_test::TempDevice device_;
};

TEST_F(PointFont, UsesTheScreenWhenNoDcIsGiven) {
  FontHolder holder;
  HFONT font = CreatePointFont(holder, 420, u"Tahoma", nullptr, false, false);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(holder.Get(), font);
  LOGFONTW lf = Describe(font);
  EXPECT_EQ(lf.lfHeight, -112);
  EXPECT_EQ(lf.lfWeight, 0);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
  // A long face name is cut to 31 characters.
  const std::u16string longName(40, u'A');
  lf = Describe(CreatePointFont(holder, 90, longName.c_str(), nullptr, false, false));
  EXPECT_EQ(std::u16string(lf.lfFaceName), std::u16string(31, u'A'));
}

TEST_F(PointFont, BoldItalicAndTheDcsDensity) {
  platform::gdi::CreateScreen(480, 800, 96, 96);
  HDC dc = CreateCompatibleDC(nullptr);
  FontHolder holder;
  LOGFONTW lf = Describe(CreatePointFont(holder, 420, u"Tahoma", dc, true, true));
  EXPECT_EQ(lf.lfHeight, -56);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 1);
  DeleteDC(dc);
}

TEST_F(PointFont, ANewFontReplacesAndDeletesTheOld) {
  FontHolder holder;
  HFONT first = CreatePointFont(holder, 90, u"Tahoma", nullptr, false, false);
  HFONT second = CreatePointFont(holder, 140, u"Tahoma", nullptr, false, false);
  EXPECT_NE(first, second);
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
}
