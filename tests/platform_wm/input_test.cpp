// Injected input: hit-testing, capture, activation by tap, keys to the focus and their key state,
// double clicks.
#include <tuple>

#include "platform/base/clock.h"
#include "wm_fixture.h"

namespace wmtest {
namespace {

using platform::wm::InjectChar;
using platform::wm::InjectKey;
using platform::wm::InjectMouse;
using platform::wm::PumpUntilIdle;

class Input : public WmTest {
 protected:
  void SetUp() override {
    WmTest::SetUp();
    top_ = Top(u"top", WS_VISIBLE | WS_CLIPCHILDREN);
    left_ = Child(top_, u"left", RECT{0, 0, 200, 200}, 1);
    right_ = Child(top_, u"right", RECT{100, 0, 300, 200}, 2);  // under left where they overlap
    inner_ = Child(right_, u"inner", RECT{150, 50, 200, 100}, 3);
    PumpUntilIdle();
    Log().clear();
  }
  void Tap(int x, int y) {
    InjectMouse(WM_LBUTTONDOWN, x, y);
    InjectMouse(WM_LBUTTONUP, x, y);
    PumpUntilIdle();
  }
  HWND top_, left_, right_, inner_;
};

// The deepest window gets the tap; the front sibling wins where siblings overlap, hidden windows are skipped, and
// WindowFromPoint agrees with where taps go.
TEST_F(Input, HitTestingFindsTheDeepestFrontVisibleEnabledWindow) {
  Tap(260, 70);  // inside inner (screen 250..300, 50..100), in its client coordinates
  EXPECT_EQ(Trace({WM_LBUTTONDOWN, WM_LBUTTONUP}), "LDOWN@inner LUP@inner");
  EXPECT_EQ(std::tuple(Only(WM_LBUTTONDOWN)[0].lParam, Only(WM_LBUTTONDOWN)[0].wParam, Only(WM_LBUTTONUP)[0].wParam),
            std::tuple(MAKELPARAM(10, 20), static_cast<WPARAM>(MK_LBUTTON), 0u));
  Log().clear();
  Tap(150, 10);
  Tap(250, 10);
  EXPECT_EQ(Trace({WM_LBUTTONDOWN}), "LDOWN@left LDOWN@right");
  EXPECT_EQ(std::tuple(WindowFromPoint(POINT{260, 70}), WindowFromPoint(POINT{150, 10})), std::tuple(inner_, left_));
  // In client coordinates of top: where left covers right, and where there is no child.
  EXPECT_EQ(std::tuple(ChildWindowFromPoint(top_, POINT{160, 60}), ChildWindowFromPoint(top_, POINT{400, 400})),
            std::tuple(left_, top_));
  // A disabled window passes the tap to its parent, not to what is below; a disabled top-level
  // window hears nothing.
  EnableWindow(left_, FALSE);
  Log().clear();
  Tap(150, 10);
  EnableWindow(top_, FALSE);
  Tap(400, 400);
  EXPECT_EQ(Trace({WM_LBUTTONDOWN}), "LDOWN@top");
  EnableWindow(top_, TRUE);
  ShowWindow(left_, SW_HIDE);
  ShowWindow(inner_, SW_HIDE);
  Log().clear();
  Tap(150, 10);
  Tap(260, 70);
  EXPECT_EQ(Trace({WM_LBUTTONDOWN}), "LDOWN@right LDOWN@right");
}

TEST_F(Input, CaptureTakenOnDownGetsLaterMovesAndUpQueuedBeforeIt) {
  OnMessage(inner_, [](HWND h, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_LBUTTONDOWN) SetCapture(h);
    if (msg == WM_LBUTTONUP) ReleaseCapture();
    return false;
  });
  // All queued before anything runs: the target is chosen when each is taken.
  InjectMouse(WM_LBUTTONDOWN, 260, 70);
  InjectMouse(WM_MOUSEMOVE, 20, 30);
  InjectMouse(WM_LBUTTONUP, 10, 10);
  InjectMouse(WM_MOUSEMOVE, 20, 30);
  PumpUntilIdle();
  EXPECT_EQ(Trace({WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_CAPTURECHANGED}),
            "LDOWN@inner MOVE_M@inner LUP@inner CAPTURECHANGED@inner MOVE_M@left");
  auto moves = Only(WM_MOUSEMOVE);
  EXPECT_EQ(std::tuple(GET_X_LPARAM(moves[0].lParam), GET_Y_LPARAM(moves[0].lParam), moves[0].wParam, moves[1].wParam),
            std::tuple(20 - 250, 30 - 50, static_cast<WPARAM>(MK_LBUTTON), 0u));
}

TEST_F(Input, TapOnInactiveWindowActivatesItFirst) {
  MoveWindow(top_, 0, 0, 480, 400, TRUE);
  HWND other = Top(u"other", WS_VISIBLE, RECT{0, 400, 480, 800});
  SetActiveWindow(top_);
  Log().clear();
  Tap(100, 500);
  EXPECT_EQ(Trace({WM_ACTIVATE, WM_LBUTTONDOWN}), "ACTIVATE@top ACTIVATE@other LDOWN@other");
  EXPECT_EQ(GetActiveWindow(), other);
}

TEST_F(Input, KeysGoToTheFocusElseTheActiveWindow) {
  SetFocus(inner_);
  Log().clear();
  InjectKey(VK_DOWN, true);
  InjectKey(VK_DOWN, true);
  InjectKey(VK_DOWN, false);
  InjectChar(u'가');
  PumpUntilIdle();
  EXPECT_EQ(Trace({WM_KEYDOWN, WM_KEYUP, WM_CHAR}), "KEYDOWN@inner KEYDOWN@inner KEYUP@inner CHAR@inner");
  // Bit 30: the key was down before (a first press, then auto-repeat); bit 31: released.
  auto downs = Only(WM_KEYDOWN);
  EXPECT_EQ(std::tuple(downs[0].lParam >> 30 & 1, downs[1].lParam >> 30 & 1, Only(WM_KEYUP)[0].lParam >> 31 & 1,
                       Only(WM_CHAR)[0].wParam),
            std::tuple(0, 1, 1, static_cast<WPARAM>(u'가')));
  SetFocus(nullptr);
  Log().clear();
  InjectKey(VK_F3, true);
  InjectKey(VK_F3, false);
  PumpUntilIdle();
  EXPECT_EQ(Trace({WM_KEYDOWN, WM_KEYUP}), "KEYDOWN@top KEYUP@top");
}

TEST_F(Input, DoubleClickOnlyForClassesThatAskAndWithinTime) {
  HWND dbl = Make(kDblClass, u"dbl", WS_CHILD | WS_VISIBLE, {0, 300, 100, 400}, top_);
  ASSERT_NE(dbl, nullptr);
  Tap(10, 310);
  Tap(11, 311);
  Tap(10, 310);  // a third tap starts over
  Tap(10, 10);
  Tap(10, 10);  // left's class does not ask for double clicks
  ASSERT_EQ(Only(WM_LBUTTONDBLCLK).size(), 1u);
  EXPECT_EQ(std::tuple(Only(WM_LBUTTONDBLCLK)[0].hwnd, Only(WM_LBUTTONDOWN, left_).size()), std::tuple(dbl, 2u));
  Log().clear();
  Tap(10, 310);
  platform::clock::Advance(600);
  Tap(10, 310);
  EXPECT_TRUE(Only(WM_LBUTTONDBLCLK).empty());
}

// Shift, a letter and shift again injected at once: the letter is translated with shift down,
// as it was when it was pressed.
TEST_F(Input, ShiftInjectedWithALetterHoldsWhileTheLetterIsTranslated) {
  SetFocus(top_);
  PumpUntilIdle();
  for (auto [vk, down] : {std::pair{VK_SHIFT, true}, {'B', true}, {'B', false}, {VK_SHIFT, false}, {'B', true}, {'B', false}})
    InjectKey(vk, down);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);  // released, as injected
  MSG m;
  std::u16string typed;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    if (m.message == WM_CHAR) typed += static_cast<char16_t>(m.wParam);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(std::tuple(typed, GetKeyState(VK_SHIFT) & 0x8000), std::tuple(u"Bb", 0));
}

}  // namespace
}  // namespace wmtest
