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

void Text(HDC dc, const char16_t* text, RECT r, UINT flags = DT_SINGLELINE) { DrawTextW(dc, text, -1, &r, flags); }

// The texts on the screen, in drawing order.
std::vector<std::u16string> Texts() {
  std::vector<std::u16string> out;
  for (const TextRun& r : platform::gdi::ScreenTextRuns()) out.push_back(r.text);
  return out;
}
using V = std::vector<std::u16string>;

}  // namespace

TEST(GdiTextLayer, RunsSurviveTripThroughOffscreenBitmap) {
  FreshScreen();
  ScreenDc screen({0, 100}, {RECT{0, 100, 480, 700}});
  Canvas mem(480, 200);
  SetTextColor(mem.dc(), RGB(0x12, 0x34, 0x56));
  SetBkMode(mem.dc(), TRANSPARENT);
  Text(mem.dc(), u"홍길동", RECT{10, 20, 300, 60}, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  Text(mem.dc(), u"Second row", RECT{10, 120, 300, 160}, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_TRUE(Texts().empty());

  ASSERT_TRUE(BitBlt(screen.dc, 0, 0, 480, 200, mem.dc(), 0, 0, SRCCOPY));
  auto runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(Texts(), (V{u"홍길동", u"Second row"}));
  const TextRun* name = &runs[0];
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
  Text(picture.dc(), u"Parlo - 「5/13」", RECT{15, 0, 400, 70}, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
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
    ASSERT_EQ(Texts(), V{u"Parlo - 「5/13」"});
    EXPECT_EQ(Box(runs[0].rect), Box(drawn));
  }
}

TEST(GdiTextLayer, RunsVanishWhenCoveredEvenPartly) {
  FreshScreen();
  ScreenDc screen;
  SetBkMode(screen.dc, TRANSPARENT);
  Text(screen.dc, u"first", RECT{0, 0, 480, 50});
  Text(screen.dc, u"second", RECT{0, 100, 480, 150});
  Text(screen.dc, u"third", RECT{0, 200, 480, 250});
  ASSERT_EQ(Texts().size(), 3u);
  // A fill touching a corner of "first" removes it; one next to "second" does not.
  RECT corner{2, 2, 6, 6};
  FillRect(screen.dc, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT below{0, 150, 480, 160};  // bottom edge excluded: it only touches "second"'s edge
  FillRect(screen.dc, &below, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(Texts(), (V{u"second", u"third"}));
  // A gradient or an opaque copy over "third" removes it.
  TRIVERTEX v[2] = {{0, 190, 0, 0, 0, 0}, {480, 260, 0xFF00, 0xFF00, 0xFF00, 0}};
  GRADIENT_RECT gr{0, 1};
  GradientFill(screen.dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_V);
  EXPECT_EQ(Texts(), V{u"second"});
  // A translucent blend leaves the text readable (the list's scroll indicator).
  Canvas grey(10, 800, RGB(128, 128, 128));
  AlphaBlend(screen.dc, 470, 0, 10, 800, grey.dc(), 0, 0, 10, 800, BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0});
  EXPECT_EQ(Texts(), V{u"second"});
  // A blit of plain pixels removes it.
  Canvas blank(100, 100);
  BitBlt(screen.dc, 0, 90, 100, 100, blank.dc(), 0, 0, SRCCOPY);
  EXPECT_TRUE(Texts().empty());
}

TEST(GdiTextLayer, RedrawInSamePlaceKeepsOneRunInDrawingOrder) {
  FreshScreen();
  ScreenDc screen;
  SetBkMode(screen.dc, TRANSPARENT);
  const RECT a{0, 0, 480, 40}, b{0, 50, 480, 90};
  Text(screen.dc, u"A", a);
  Text(screen.dc, u"B", b);
  for (int i = 0; i < 5; ++i) Text(screen.dc, u"A", a);
  SetTextColor(screen.dc, RGB(255, 0, 0));
  Text(screen.dc, u"B", b);
  auto runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(std::tuple(runs[0].text, runs[1].text, runs[1].color), std::tuple(u"A", u"B", RGB(255, 0, 0)));
  // A line drawn across text does not hide it; a filled shape does.
  MoveToEx(screen.dc, 0, 20, nullptr);
  LineTo(screen.dc, 480, 20);
  EXPECT_EQ(Texts(), (V{u"A", u"B"}));
  RoundRect(screen.dc, 0, 45, 100, 95, 10, 20);
  EXPECT_EQ(Texts(), V{u"A"});
}

TEST(GdiTextLayer, ScreenDcClipAndOriginLimitRuns) {
  FreshScreen();
  // A window at (0, 300) whose lower part is covered: only (0,300)-(480,350) is visible.
  ScreenDc screen({0, 300}, {RECT{0, 300, 480, 350}});
  SetBkMode(screen.dc, TRANSPARENT);
  Text(screen.dc, u"visible", RECT{0, 0, 480, 40});
  Text(screen.dc, u"hidden", RECT{0, 100, 480, 140});
  ASSERT_EQ(Texts(), V{u"visible"});
  EXPECT_GE(platform::gdi::ScreenTextRuns()[0].rect.top, 300);
  // Nothing drawn outside the visible part.
  for (int y = 0; y < 800; ++y) {
    if (y >= 300 && y < 350) continue;
    for (int x = 0; x < 480; x += 3) ASSERT_EQ(platform::gdi::ScreenPixel(x, y), 0u) << x << "," << y;
  }
}

TEST(GdiTextLayer, EllipsisRunReadsAsShownAndStretchScalesRuns) {
  Canvas mem(100, 50);
  HFONT font = mem.Use(Font(-24, FW_NORMAL, u""));  // the default face
  FreshScreen();
  ScreenDc screen;
  SelectObject(screen.dc, font);
  Text(screen.dc, u"abcdefghijklmnopqrstuvwxyz", RECT{0, 0, 120, 40}, DT_SINGLELINE | DT_END_ELLIPSIS);
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
  Text(s2.dc, u"one two three four five", RECT{0, 0, 100, 400}, DT_WORDBREAK);
  runs = platform::gdi::ScreenTextRuns();
  ASSERT_EQ(Texts(), V{u"one two three four five"});
  EXPECT_GT(runs[0].rect.bottom - runs[0].rect.top, 24);
  // StretchBlt to double size scales the run's rectangle.
  Text(mem.dc(), u"zoom", RECT{0, 0, 100, 50});
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
