// Update regions, BeginPaint/EndPaint, synchronous UpdateWindow and what the screen shows.
#include <tuple>

#include "platform/wm/loop.h"
#include "wm_fixture.h"

namespace wmtest {
namespace {

using platform::wm::PumpUntilIdle;

// Whether `w` has anything to paint, and the bounds of it (zeroed when there is nothing).
std::tuple<bool, LONG, LONG, LONG, LONG> Update(HWND w) {
  RECT u{1, 1, 1, 1};
  bool any = GetUpdateRect(w, &u, FALSE);
  return {any, u.left, u.top, u.right, u.bottom};
}

class Paint : public WmTest {
 protected:
  std::tuple<LONG, LONG, LONG, LONG> painted_;
  BOOL eraseSeen_ = -1;
  LRESULT eraseAnswer_ = 1;

  HWND Painter() {
    HWND w = Top(u"p", WS_VISIBLE, RECT{0, 0, 100, 100});
    OnMessage(w, [this](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
      if (msg == WM_ERASEBKGND) {
        *r = eraseAnswer_;
        return true;
      }
      if (msg != WM_PAINT) return false;
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      painted_ = {ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
      eraseSeen_ = ps.fErase;
      EndPaint(h, &ps);
      *r = 0;
      return true;
    });
    PumpUntilIdle();
    Log().clear();
    return w;
  }
};

TEST_F(Paint, InvalidateUnionsAndClipsValidateRemovesAndBeginPaintReportsTheBoundsAndTheErase) {
  HWND w = Painter();
  RECT a{10, 10, 20, 20}, b{50, 60, 70, 80};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, FALSE);
  EXPECT_EQ(Update(w), std::tuple(true, 10, 10, 70, 80));
  PumpUntilIdle();
  // One paint for both.
  EXPECT_EQ(std::tuple(Only(WM_PAINT).size(), painted_), std::tuple(1u, std::tuple(10, 10, 70, 80)));
  EXPECT_EQ(Update(w), std::tuple(false, 0, 0, 0, 0));
  // What is invalidated is clipped to the client area.
  RECT outside{150, 150, 200, 200}, partly{90, -10, 130, 20};
  InvalidateRect(w, &outside, FALSE);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  InvalidateRect(w, &partly, FALSE);
  EXPECT_EQ(Update(w), std::tuple(true, 90, 0, 100, 20));
  // ValidateRect removes part or all; UpdateWindow paints at once, and only when something is invalid.
  Log().clear();
  InvalidateRect(w, nullptr, FALSE);
  RECT left{0, 0, 50, 100};
  ValidateRect(w, &left);
  EXPECT_EQ(Update(w), std::tuple(true, 50, 0, 100, 100));
  ValidateRect(w, nullptr);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  EXPECT_TRUE(UpdateWindow(w));
  EXPECT_TRUE(Only(WM_PAINT).empty());
  RECT r{5, 5, 15, 15};
  InvalidateRect(w, &r, FALSE);
  UpdateWindow(w);
  EXPECT_EQ(std::tuple(Only(WM_PAINT).size(), painted_), std::tuple(1u, std::tuple(5, 5, 15, 15)));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  // Erasing is asked only when wanted, and painting hears when it was not done.
  Log().clear();
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  EXPECT_EQ(std::tuple(Only(WM_ERASEBKGND).size(), eraseSeen_), std::tuple(0u, FALSE));
  InvalidateRect(w, nullptr, TRUE);
  InvalidateRect(w, nullptr, FALSE);  // the request to erase stays
  eraseAnswer_ = 0;
  UpdateWindow(w);
  ASSERT_EQ(Only(WM_ERASEBKGND).size(), 1u);
  // Erasing got the paint DC, and painting hears it was not done.
  EXPECT_EQ(std::tuple(Only(WM_ERASEBKGND)[0].wParam != 0, eraseSeen_ != 0), std::tuple(true, true));
  eraseAnswer_ = 1;
  InvalidateRect(w, nullptr, TRUE);
  UpdateWindow(w);
  EXPECT_FALSE(eraseSeen_);
}

TEST_F(Paint, DefaultProcedureValidatesHiddenWindowsAreNotPaintedAndParentsPaintFirst) {
  HWND w = Top(u"d", WS_VISIBLE, RECT{0, 0, 50, 50});
  PumpUntilIdle();
  Log().clear();
  InvalidateRect(w, nullptr, FALSE);
  PumpUntilIdle();  // would never end if WM_PAINT stayed pending
  EXPECT_EQ(Only(WM_PAINT).size(), 1u);
  ShowWindow(w, SW_HIDE);
  InvalidateRect(w, nullptr, FALSE);
  Log().clear();
  PumpUntilIdle();
  EXPECT_TRUE(Only(WM_PAINT).empty());
  ShowWindow(w, SW_SHOW);
  PumpUntilIdle();
  EXPECT_EQ(Only(WM_PAINT).size(), 1u);
  // Parents paint before their children; showing a child invalidates it.
  HWND p = Top(u"p", WS_VISIBLE | WS_CLIPCHILDREN);
  HWND c = Child(p, u"c", RECT{0, 0, 480, 800}, 1, WS_CHILD | WS_CLIPSIBLINGS);
  PumpUntilIdle();
  Log().clear();
  ShowWindow(c, SW_SHOW);
  InvalidateRect(p, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(Trace({WM_PAINT}), "PAINT@p PAINT@c");
}

// What ends up on the screen: windows paint only where they are visible.
using ScreenPixels = WmTest;

COLORREF At(int x, int y) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return c;
}

TEST_F(ScreenPixels, WindowBelowDoesNotPaintOverWindowAbove) {
  HWND below = Make(u"Blue", u"", WS_VISIBLE, RECT{0, 0, 200, 200});
  HWND above = Make(u"Green", u"", WS_VISIBLE, RECT{100, 100, 300, 300});
  PumpUntilIdle();
  EXPECT_EQ(std::tuple(At(50, 50), At(150, 150)), std::tuple(RGB(0, 0, 255), RGB(0, 255, 0)));
  InvalidateRect(below, nullptr, TRUE);
  UpdateWindow(below);
  EXPECT_EQ(std::tuple(At(150, 150), At(99, 99)), std::tuple(RGB(0, 255, 0), RGB(0, 0, 255)));
  DestroyWindow(above);
  PumpUntilIdle();  // the uncovered part is repainted by the window below
  EXPECT_EQ(At(150, 150), RGB(0, 0, 255));
}

TEST_F(ScreenPixels, ClipChildrenKeepsParentOffItsChildren) {
  HWND clip = Make(u"Red", u"", WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 200, 200});
  Make(u"Green", u"", WS_CHILD | WS_VISIBLE, RECT{50, 50, 100, 100}, clip);
  HWND plain = Make(u"Red", u"", WS_VISIBLE, RECT{200, 0, 400, 200});
  HWND plainChild = Make(u"Green", u"", WS_CHILD | WS_VISIBLE, RECT{50, 50, 100, 100}, plain);
  PumpUntilIdle();
  EXPECT_EQ(std::tuple(At(75, 75), At(275, 75)), std::tuple(RGB(0, 255, 0), RGB(0, 255, 0)));
  // Repainting the clipping parent leaves its child alone.
  InvalidateRect(clip, nullptr, TRUE);
  UpdateWindow(clip);
  EXPECT_EQ(std::tuple(At(75, 75), At(25, 25)), std::tuple(RGB(0, 255, 0), RGB(255, 0, 0)));
  // A parent that does not clip paints over its child, and the child is invalidated with it.
  Log().clear();
  HDC dc = GetDC(plain);
  RECT all{0, 0, 200, 200};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(plain, dc);
  EXPECT_EQ(At(275, 75), RGB(0, 0, 0));
  InvalidateRect(plain, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(Only(WM_PAINT, plainChild).size(), 1u);
  EXPECT_EQ(std::tuple(At(275, 75), At(225, 25)), std::tuple(RGB(0, 255, 0), RGB(255, 0, 0)));
}

TEST_F(ScreenPixels, HiddenSiblingsDoNotClipAndDcsDrawRelativeToTheClientArea) {
  HWND top = Make(u"Red", u"", WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 300, 300});
  HWND view1 = Make(u"Blue", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, RECT{0, 0, 300, 300}, top);
  HWND view2 = Make(u"Green", u"", WS_CHILD | WS_CLIPSIBLINGS, RECT{0, 0, 300, 300}, top);
  PumpUntilIdle();
  EXPECT_EQ(At(10, 10), RGB(0, 0, 255));
  ShowWindow(view1, SW_HIDE);
  ShowWindow(view2, SW_SHOW);
  PumpUntilIdle();
  EXPECT_EQ(At(10, 10), RGB(0, 255, 0));
  MoveWindow(view2, 100, 100, 50, 50, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(std::tuple(At(10, 10), At(120, 120)), std::tuple(RGB(255, 0, 0), RGB(0, 255, 0)));  // parent uncovered
  HDC dc = GetDC(view2);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));  // (0,0) of the client area is (100,100)
  ReleaseDC(view2, dc);
}

}  // namespace
}  // namespace wmtest
