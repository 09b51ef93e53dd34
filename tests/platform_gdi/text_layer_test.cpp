#include <gtest/gtest.h>

#include <tuple>

#include "canvas.h"
#include "platform/gdi/screen.h"

using namespace gdi_test;
using platform::gdi::TextRun;

namespace {

// A full-screen DC for the tests, made the way the window manager makes one.
struct ScreenDc {
  explicit ScreenDc(POINT origin = {0, 0}, std::vector<RECT> visible = {}) {
    if (visible.empty()) visible.push_back(RECT{0, 0, 480, 800});
    dc = platform::gdi::CreateScreenDC(origin, visible);
  }
  ~ScreenDc() { platform::gdi::DeleteScreenDC(dc); }
  HDC dc;
};

void FreshScreen() { platform::gdi::CreateScreen(480, 800, 192, 192); }

const TextRun* FindRun(const std::vector<TextRun>& runs, const std::u16string& text) {
  for (const TextRun& r : runs)
    if (r.text == text) return &r;
  return nullptr;
}

}  // namespace

TEST(GdiTextLayer, RunsSurviveTripThroughOffscreenBitmap) {
  FreshScreen();
  ScreenDc screen({0, 100}, {RECT{0, 100, 480, 700}});
  Canvas mem(480, 200);
  SetTextColor(mem.dc(), RGB(0x12, 0x34, 0x56));
  SetBkMode(mem.dc(), TRANSPARENT);
  RECT row{10, 20, 300, 60}, row2{10, 120, 300, 160};
  DrawTextW(mem.dc(), u"홍길동", -1, &row, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  DrawTextW(mem.dc(), u"Second row", -1, &row2, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_TRUE(platform::gdi::ScreenTextRuns().empty());

  ASSERT_TRUE(BitBlt(screen.dc, 0, 0, 480, 200, mem.dc(), 0, 0, SRCCOPY));
  auto runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 2u);
  const TextRun* name = FindRun(runs, u"홍길동");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->color, RGB(0x12, 0x34, 0x56));
  // Placed in screen coordinates: the window's client area starts 100 pixels down.
  EXPECT_GE(name->rect.top, 120);
  EXPECT_LE(name->rect.bottom, 160);
  EXPECT_EQ(name->rect.left, 10);
  // Pixels arrived too.
  int ink = 0;
  for (int y = name->rect.top; y < name->rect.bottom; ++y)
    for (int x = name->rect.left; x < name->rect.right; ++x) ink += platform::gdi::ScreenPixel(x, y) != 0xFFFFFF;
  EXPECT_GT(ink, 10);

  // Copying only part of the bitmap carries only the runs in that part.
  FreshScreen();
  ScreenDc again;
  BitBlt(again.dc, 0, 0, 480, 100, mem.dc(), 0, 100, SRCCOPY);
  runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(std::tuple(runs[0].text, runs[0].rect.top), std::tuple(u"Second row", 20));
}

// A window repaints only its update region by copying its whole off-screen picture: the text
// that was there and is copied again in part is still the one whole text the pixels show.
TEST(GdiTextLayer, PartialRepaintsOfTheSamePictureKeepTheTextWhole) {
  FreshScreen();
  Canvas picture(480, 70);
  SetBkMode(picture.dc(), TRANSPARENT);
  RECT title{15, 0, 400, 70};
  DrawTextW(picture.dc(), u"Parlo - 「5/13」", -1, &title, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
  {
    ScreenDc whole({0, 0}, {RECT{0, 0, 480, 70}});
    BitBlt(whole.dc, 0, 0, 480, 70, picture.dc(), 0, 0, SRCCOPY);
  }
  auto runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 1u);
  const RECT drawn = runs[0].rect;
  ASSERT_GT(drawn.right, 100);
  // The right part, then the left part (a menu that covered them went away).
  for (RECT update : {RECT{100, 40, 480, 70}, RECT{0, 0, 100, 70}}) {
    ScreenDc part({0, 0}, {update});
    BitBlt(part.dc, 0, 0, 480, 70, picture.dc(), 0, 0, SRCCOPY);
    runs = platform::gdi::ScreenTextRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, u"Parlo - 「5/13」");
    const RECT& r = runs[0].rect;
    EXPECT_TRUE(r.left == drawn.left && r.top == drawn.top && r.right == drawn.right && r.bottom == drawn.bottom)
        << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

TEST(GdiTextLayer, RunsVanishWhenCoveredEvenPartly) {
  FreshScreen();
  ScreenDc screen;
  SetBkMode(screen.dc, TRANSPARENT);
  RECT a{0, 0, 480, 50}, b{0, 100, 480, 150}, c{0, 200, 480, 250};
  DrawTextW(screen.dc, u"first", -1, &a, DT_SINGLELINE);
  DrawTextW(screen.dc, u"second", -1, &b, DT_SINGLELINE);
  DrawTextW(screen.dc, u"third", -1, &c, DT_SINGLELINE);
  ASSERT_EQ(platform::gdi::ScreenTextRuns().size(), 3u);
  // A fill touching a corner of "first" removes it; one next to "second" does not.
  RECT corner{2, 2, 6, 6};
  FillRect(screen.dc, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT below{0, 150, 480, 160};  // bottom edge excluded: it only touches "second"'s edge
  FillRect(screen.dc, &below, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  auto runs = platform::gdi::ScreenTextRuns();
  EXPECT_EQ(FindRun(runs, u"first"), nullptr);
  EXPECT_NE(FindRun(runs, u"second"), nullptr);
  // A gradient or an opaque copy over "third" removes it.
  TRIVERTEX v[2] = {{0, 190, 0, 0, 0, 0}, {480, 260, 0xFF00, 0xFF00, 0xFF00, 0}};
  GRADIENT_RECT gr{0, 1};
  GradientFill(screen.dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_V);
  runs = platform::gdi::ScreenTextRuns();
  EXPECT_EQ(FindRun(runs, u"third"), nullptr);
  // A translucent blend leaves the text readable (the list's scroll indicator).
  Canvas grey(10, 800, RGB(128, 128, 128));
  AlphaBlend(screen.dc, 470, 0, 10, 800, grey.dc(), 0, 0, 10, 800, BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0});
  EXPECT_NE(FindRun(platform::gdi::ScreenTextRuns(), u"second"), nullptr);
  // A blit of plain pixels removes it.
  Canvas blank(100, 100);
  BitBlt(screen.dc, 0, 90, 100, 100, blank.dc(), 0, 0, SRCCOPY);
  EXPECT_TRUE(platform::gdi::ScreenTextRuns().empty());
}

TEST(GdiTextLayer, RedrawInSamePlaceKeepsOneRunInDrawingOrder) {
  FreshScreen();
  ScreenDc screen;
  SetBkMode(screen.dc, TRANSPARENT);
  RECT a{0, 0, 480, 40}, b{0, 50, 480, 90};
  DrawTextW(screen.dc, u"A", -1, &a, DT_SINGLELINE);
  DrawTextW(screen.dc, u"B", -1, &b, DT_SINGLELINE);
  for (int i = 0; i < 5; ++i) DrawTextW(screen.dc, u"A", -1, &a, DT_SINGLELINE);
  SetTextColor(screen.dc, RGB(255, 0, 0));
  DrawTextW(screen.dc, u"B", -1, &b, DT_SINGLELINE);
  auto runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(std::tuple(runs[0].text, runs[1].text, runs[1].color), std::tuple(u"A", u"B", RGB(255, 0, 0)));
  // A line drawn across text does not hide it; a filled shape does.
  MoveToEx(screen.dc, 0, 20, nullptr);
  LineTo(screen.dc, 480, 20);
  EXPECT_EQ(platform::gdi::ScreenTextRuns().size(), 2u);
  RoundRect(screen.dc, 0, 45, 100, 95, 10, 20);
  runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, u"A");
}

TEST(GdiTextLayer, ScreenDcClipAndOriginLimitRuns) {
  FreshScreen();
  // A window at (0, 300) whose lower part is covered: only (0,300)-(480,350) is visible.
  ScreenDc screen({0, 300}, {RECT{0, 300, 480, 350}});
  SetBkMode(screen.dc, TRANSPARENT);
  RECT r{0, 0, 480, 40};
  DrawTextW(screen.dc, u"visible", -1, &r, DT_SINGLELINE);
  RECT hidden{0, 100, 480, 140};
  DrawTextW(screen.dc, u"hidden", -1, &hidden, DT_SINGLELINE);
  auto runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, u"visible");
  EXPECT_GE(runs[0].rect.top, 300);
  // Nothing drawn outside the visible part.
  for (int y = 0; y < 800; ++y) {
    if (y >= 300 && y < 350) continue;
    for (int x = 0; x < 480; x += 3) ASSERT_EQ(platform::gdi::ScreenPixel(x, y), 0u) << x << "," << y;
  }
}

TEST(GdiTextLayer, EllipsisRunReadsAsShownAndStretchScalesRuns) {
  Canvas mem(100, 50);
  HFONT font = mem.Use(Font(-24));
  FreshScreen();
  ScreenDc screen;
  SelectObject(screen.dc, font);
  RECT r{0, 0, 120, 40};
  DrawTextW(screen.dc, u"abcdefghijklmnopqrstuvwxyz", -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
  auto runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 1u);
  ASSERT_GE(runs[0].text.size(), 4u);
  EXPECT_EQ(runs[0].text.substr(runs[0].text.size() - 3), u"...");
  EXPECT_EQ(runs[0].text.substr(0, 3), u"abc");
  EXPECT_LE(runs[0].rect.right, 120);
  // A wrapped multi-line text is one run with its whole text.
  FreshScreen();
  ScreenDc s2;
  SelectObject(s2.dc, font);
  RECT m{0, 0, 100, 400};
  DrawTextW(s2.dc, u"one two three four five", -1, &m, DT_WORDBREAK);
  runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, u"one two three four five");
  EXPECT_GT(runs[0].rect.bottom - runs[0].rect.top, 24);
  // StretchBlt to double size scales the run's rectangle.
  RECT t{0, 0, 100, 50};
  DrawTextW(mem.dc(), u"zoom", -1, &t, DT_SINGLELINE);
  FreshScreen();
  ScreenDc s3;
  StretchBlt(s3.dc, 0, 0, 200, 100, mem.dc(), 0, 0, 100, 50, SRCCOPY);
  runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 1u);
  SIZE sz{};
  GetTextExtentPoint32W(mem.dc(), u"zoom", 4, &sz);
  EXPECT_EQ(std::tuple(runs[0].rect.right, runs[0].rect.bottom), std::tuple(2 * sz.cx, 2 * sz.cy));
}

TEST(GdiScreen, SizeDpiAndPixels) {
  platform::gdi::CreateScreen(240, 320, 96, 96);
  EXPECT_EQ(std::tuple(platform::gdi::ScreenWidth(), platform::gdi::ScreenHeight()), std::tuple(240, 320));
  {
    ScreenDc screen({10, 20}, {RECT{0, 0, 240, 320}});
    EXPECT_EQ(std::tuple(GetDeviceCaps(screen.dc, LOGPIXELSX), GetDeviceCaps(screen.dc, HORZRES),
                         GetDeviceCaps(screen.dc, VERTRES)),
              std::tuple(96, 240, 320));
    SetPixel(screen.dc, 0, 0, RGB(1, 2, 3));
    EXPECT_EQ(std::tuple(platform::gdi::ScreenPixel(10, 20), platform::gdi::ScreenPixels()[20 * 240 + 10],
                         platform::gdi::ScreenPixel(-1, 0)),
              std::tuple(0x010203u, 0x010203u, 0u));
  }
  // A written screenshot is the end-to-end tests' part; a place that cannot be written fails.
  EXPECT_FALSE(platform::gdi::WriteScreenPng("/nonexistent-dir/x.png"));
  platform::gdi::CreateScreen(480, 800, 192, 192);
}
