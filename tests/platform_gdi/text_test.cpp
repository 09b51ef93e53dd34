#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "canvas.h"
#include "platform/gdi/text_layout.h"
#include "platform/gdi/window_dc.h"

using namespace gdi_test;

namespace {

int Extent(HDC dc, const std::u16string& s) {
  SIZE sz{};
  GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &sz);
  return sz.cx;
}

struct FontCanvas : Canvas {
  FontCanvas(int w, int h, int height) : Canvas(w, h), font(Use(Font(height))) {}
  HFONT font;
};

}  // namespace

// The heights the program asks for at 96 and 192 dots per inch (9 and 42 points); glyphs scale
// with the height: a digit is about half the em wide.
TEST(GdiFonts, NegativeHeightIsCharacterHeightPositiveIsCell) {
  Canvas c(10, 10);
  for (int h : {12, 24, 56, 112}) {
    SCOPED_TRACE(h);
    c.Use(Font(-h));
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, h);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight, h);
    EXPECT_LE(tm.tmHeight, h * 3 / 2);
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    SIZE sz{};
    GetTextExtentPoint32W(c.dc(), u"0", 1, &sz);
    EXPECT_GT(sz.cx, h / 4);
    EXPECT_LT(sz.cx, h);
    EXPECT_EQ(sz.cy, tm.tmHeight);

    c.Use(Font(h));
    GetTextMetricsW(c.dc(), &tm);
    EXPECT_EQ(tm.tmHeight, h);
    EXPECT_LT(tm.tmHeight - tm.tmInternalLeading, h);
  }
}

TEST(GdiFonts, BoldIsHeavierAndKoreanHasGlyphs) {
  Canvas c(300, 40);
  HFONT bold = c.Use(Font(-24, FW_BOLD)), normal = c.Use(Font(-24));
  RECT r{0, 0, 300, 40};
  DrawTextW(c.dc(), u"Message 문자", -1, &r, DT_SINGLELINE);
  int inkNormal = c.CountNot(kWhite, 0, 0, 300, 40);
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(c.dc(), bold);
  DrawTextW(c.dc(), u"Message 문자", -1, &r, DT_SINGLELINE);
  int inkBold = c.CountNot(kWhite, 0, 0, 300, 40);
  EXPECT_GT(inkBold, inkNormal + inkNormal / 10);
  LOGFONTW lf{};
  ASSERT_EQ(GetObjectW(bold, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
  EXPECT_EQ(std::tuple(lf.lfWeight, lf.lfHeight), std::tuple(FW_BOLD, -24));
  SelectObject(c.dc(), normal);
  // Hangul syllables come out as full-width glyphs, not zero-width gaps.
  int one = Extent(c.dc(), u"가");
  EXPECT_GE(one, 18);
  EXPECT_LE(one, 28);
}

TEST(GdiText, ExtentsAgreeWithPartialExtentsAndFit) {
  FontCanvas c(10, 10, -24);
  std::u16string s = u"Hello 안녕하세요 world";
  int n = static_cast<int>(s.size());
  std::vector<int> dx(s.size());
  int fit = -1;
  SIZE size{};
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), s.data(), n, 100, &fit, dx.data(), &size));
  EXPECT_EQ(dx.back(), size.cx);
  for (int i = 1; i < n; ++i) EXPECT_GE(dx[i], dx[i - 1]);
  ASSERT_GT(fit, 0);
  ASSERT_LT(fit, n);
  EXPECT_LE(dx[fit - 1], 100);
  EXPECT_GT(dx[fit], 100);
  // Each prefix measures the same as the partial extent.
  for (int i : {1, 5, 8, n}) EXPECT_EQ(Extent(c.dc(), s.substr(0, i)), dx[i - 1]);
  // DrawTextW's width is the same measure.
  RECT r{0, 0, 1000, 0};
  DrawTextW(c.dc(), s.data(), n, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(r.right, size.cx);
}

TEST(GdiText, CalcRectHeightsAreLinesTimesLineHeight) {
  FontCanvas c(10, 10, -24);
  TEXTMETRICW tm{};
  GetTextMetricsW(c.dc(), &tm);
  RECT r{10, 20, 1000, 20};
  EXPECT_EQ(DrawTextW(c.dc(), u"one", -1, &r, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
  EXPECT_EQ(std::tuple(r.left, r.bottom), std::tuple(10, 20 + tm.tmHeight));
  // Each line end ends one line; single-line mode never makes more lines.
  for (auto [text, flags, lines] : {std::tuple{u"one\r\ntwo\nthree\rfour", 0u, 4}, {u"a\r\n\r\nb", 0u, 3},
                                    {u"a\r\nb", UINT(DT_SINGLELINE), 1}}) {
    r = RECT{0, 0, 1000, 0};
    EXPECT_EQ(DrawTextW(c.dc(), text, -1, &r, DT_CALCRECT | flags), lines * tm.tmHeight) << lines;
  }
  // Word breaking at the width.
  int w = Extent(c.dc(), u"alpha beta");
  r = RECT{0, 0, w, 0};
  EXPECT_EQ(DrawTextW(c.dc(), u"alpha beta alpha beta", -1, &r, DT_CALCRECT | DT_WORDBREAK), 2 * tm.tmHeight);
  EXPECT_LE(r.right, w);
}

TEST(GdiTextLayout, EnglishBreaksAtSpacesKoreanBetweenSyllables) {
  using namespace platform::gdi;
  // Wide (Hangul) characters are 20 pixels across, the others 10.
  auto lines = [](const std::u16string& s, int width, bool editControl) {
    std::vector<int> advances;
    for (char16_t ch : s) advances.push_back(IsWide(ch) ? 20 : 10);
    BreakOptions o;
    o.wordBreak = true;
    o.breakWords = editControl;
    o.maxWidth = width;
    std::vector<std::u16string> out;
    for (const TextLine& l : BreakLines(s, advances, o)) out.push_back(s.substr(l.start, l.end - l.start));
    return out;
  };
  using V = std::vector<std::u16string>;
  EXPECT_EQ(lines(u"the quick brown fox", 100, false), (V{u"the quick", u"brown fox"}));
  // A line exactly full fits; the spaces at a break are dropped.
  EXPECT_EQ(lines(u"aaaaa   bbbbb", 50, false), (V{u"aaaaa", u"bbbbb"}));
  // Hangul breaks between any two syllables, even inside a word.
  EXPECT_EQ(lines(u"안녕하세요반가워요", 100, false), (V{u"안녕하세요", u"반가워요"}));
  // Mixed: English words break at spaces, Hangul between syllables.
  EXPECT_EQ(lines(u"hello 안녕하세요", 100, false), (V{u"hello 안녕", u"하세요"}));
  // A word too long for a line: cut only in edit-control mode; otherwise it keeps its own line.
  EXPECT_EQ(lines(u"ab abcdefghijkl cd", 60, true), (V{u"ab", u"abcdef", u"ghijkl", u"cd"}));
  EXPECT_EQ(lines(u"ab abcdefghijkl cd", 60, false), (V{u"ab", u"abcdefghijkl", u"cd"}));
  // Line ends: CR, LF, CR LF each end exactly one line.
  EXPECT_EQ(lines(u"a\rb\nc\r\nd", 100, false), (V{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(lines(u"", 100, false), (V{u""}));
}

TEST(GdiText, AlignmentCentreRightAndVerticalCentre) {
  FontCanvas c(200, 100, -24);
  TEXTMETRICW tm{};
  GetTextMetricsW(c.dc(), &tm);
  int w = Extent(c.dc(), u"XX");
  RECT r{0, 0, 200, 100};
  int ret = DrawTextW(c.dc(), u"XX", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EXPECT_EQ(ret, (100 - tm.tmHeight) / 2 + tm.tmHeight);  // offset of the text plus its height
  RECT ink{1000, 1000, -1, -1};
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      if (c.At(x, y) != kWhite) ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                                       std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
  EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3);
  EXPECT_GE(ink.top, (100 - tm.tmHeight) / 2);
  EXPECT_LE(ink.bottom, (100 + tm.tmHeight) / 2 + 1);
  Canvas right(200, 100);
  SelectObject(right.dc(), c.font);
  DrawTextW(right.dc(), u"XX", -1, &r, DT_RIGHT | DT_SINGLELINE);
  EXPECT_EQ(right.CountNot(kWhite, 0, 0, 200 - w, 100), 0);
  EXPECT_GT(right.CountNot(kWhite, 200 - w, 0, 200, 100), 0);
}

// Text is cut at its rectangle, also when an ellipsis ends it, unless DT_NOCLIP says otherwise;
// ExtTextOutW clips to and fills its box.
TEST(GdiText, TextStaysInsideItsRectangleUnlessToldNot) {
  FontCanvas c(300, 60, -24);
  RECT r{0, 0, 20, 40};
  DrawTextW(c.dc(), u"Wide text here", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(c.CountNot(kWhite, 20, 0, 300, 60), 0);
  SetBkMode(c.dc(), TRANSPARENT);
  DrawTextW(c.dc(), u"Wide text here", -1, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(c.CountNot(kWhite, 20, 0, 300, 60), 50);
  FontCanvas e(300, 60, -24);
  RECT cut{0, 0, 150, 40};
  DrawTextW(e.dc(), u"A very long correspondent name that cannot fit", -1, &cut,
            DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  EXPECT_GT(e.CountNot(kWhite, 0, 0, 150, 60), 0);
  EXPECT_EQ(e.CountNot(kWhite, 150, 0, 300, 60), 0);
  FontCanvas x(200, 60, -24);
  SetBkColor(x.dc(), RGB(0, 255, 0));
  RECT box{10, 10, 40, 40};
  ASSERT_TRUE(ExtTextOutW(x.dc(), 10, 10, ETO_OPAQUE | ETO_CLIPPED, &box, u"Clipped words", 13, nullptr));
  EXPECT_EQ(x.At(39, 39), 0x00FF00u);
  EXPECT_EQ(x.CountNot(kWhite, 40, 0, 200, 60), 0);
  EXPECT_EQ(x.CountNot(kWhite, 0, 40, 200, 60), 0);
}

TEST(GdiText, TextIsAntiAliasedInTextColourAndOpaqueModeFillsBackground) {
  FontCanvas c(200, 60, -40);
  SetTextColor(c.dc(), RGB(255, 0, 0));
  SetBkMode(c.dc(), TRANSPARENT);
  RECT r{0, 0, 200, 60};
  DrawTextW(c.dc(), u"Ok 가", -1, &r, DT_SINGLELINE);
  int pure = 0, partial = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      uint32_t p = c.At(x, y);
      if (p == 0xFF0000) ++pure;
      else if (p != kWhite) {
        ++partial;
        EXPECT_EQ(p >> 16, 0xFFu);  // red over white: only green and blue fall
      }
    }
  EXPECT_GT(pure, 20);
  EXPECT_GT(partial, 20);
  Canvas o(200, 60);
  SelectObject(o.dc(), c.font);
  SetBkColor(o.dc(), RGB(0, 0, 255));
  DrawTextW(o.dc(), u"Ok", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(o.At(1, 1), 0x0000FFu);  // the cell behind the text
  EXPECT_EQ(o.At(199, 1), kWhite);
}
