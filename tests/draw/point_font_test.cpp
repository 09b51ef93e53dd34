// The point-size font routine: height = -|dpi * tenths / 720| with a 64-bit product.
#include <climits>
#include <tuple>

#include "draw/point_font.h"
#include "draw_fixture.h"

using namespace parlo;

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

LOGFONTW Describe(HFONT font) {
  LOGFONTW lf{};
  EXPECT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
  return lf;
}

// Without a DC the screen's density counts, else the DC's; a new font replaces and deletes the
// held one.
TEST_F(DrawTest, PointFontUsesTheDcsOrTheScreensDensityAndReplacesTheOld) {
  FontHolder holder;
  HFONT font = CreatePointFont(holder, 420, u"Tahoma", nullptr, false, false);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(holder.Get(), font);
  LOGFONTW lf = Describe(font);
  EXPECT_EQ(std::tuple(lf.lfHeight, lf.lfWeight, lf.lfItalic, lf.lfCharSet), std::tuple(-112, 0, 0, DEFAULT_CHARSET));
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
  // A long face name is cut to 31 characters.
  const std::u16string longName(40, u'A');
  HFONT second = CreatePointFont(holder, 90, longName.c_str(), nullptr, false, false);
  EXPECT_EQ(std::u16string(Describe(second).lfFaceName), std::u16string(31, u'A'));
  EXPECT_NE(second, font);
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
  Screen(96, 96);
  HDC dc = CreateCompatibleDC(nullptr);
  lf = Describe(CreatePointFont(holder, 420, u"Tahoma", dc, true, true));
  EXPECT_EQ(std::tuple(lf.lfHeight, lf.lfWeight, lf.lfItalic), std::tuple(-56, FW_BOLD, 1));
  DeleteDC(dc);
}
