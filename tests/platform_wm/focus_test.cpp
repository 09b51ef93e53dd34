// Focus, activation and capture: which window hears what, in which order, with which partner;
// topmost windows staying in front of activated ones.
#include <tuple>
#include <vector>

#include "wm_fixture.h"

namespace wmtest {
namespace {

using platform::wm::PumpUntilIdle;

class Focus : public WmTest {
 protected:
  // A frame that handles WM_ACTIVATE itself, like the program's frame, with two views.
  void MakeFrame() {
    frame_ = Top(u"frame", WS_VISIBLE | WS_CLIPCHILDREN);
    OnMessage(frame_, [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
      *r = 0;
      return msg == WM_ACTIVATE;
    });
    view1_ = Child(frame_, u"v1", RECT{0, 0, 480, 800}, 0, 0x56000000);
    view2_ = Child(frame_, u"v2", RECT{0, 0, 480, 800}, 0, 0x46000000);
    SetFocus(view1_);
    Log().clear();
  }
  HWND frame_ = nullptr, view1_ = nullptr, view2_ = nullptr;
};

TEST_F(Focus, KillThenSetWithTheOtherWindowInWParam) {
  MakeFrame();
  EXPECT_EQ(SetFocus(view2_), view1_);
  EXPECT_EQ(Trace({WM_KILLFOCUS, WM_SETFOCUS}), "KILLFOCUS@v1 SETFOCUS@v2");
  EXPECT_EQ(std::tuple(Only(WM_KILLFOCUS)[0].wParam, Only(WM_SETFOCUS)[0].wParam, GetFocus()),
            std::tuple(reinterpret_cast<WPARAM>(view2_), reinterpret_cast<WPARAM>(view1_), view2_));
  Log().clear();
  EXPECT_EQ(SetFocus(view2_), view2_);  // no change, no messages
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ((std::tuple{SetFocus(nullptr), Trace({WM_KILLFOCUS, WM_SETFOCUS})}), std::tuple(view2_, "KILLFOCUS@v2"));
  EXPECT_EQ(std::tuple(Only(WM_KILLFOCUS)[0].wParam, GetFocus()), std::tuple(0u, nullptr));
}

TEST_F(Focus, DisabledWindowsCannotTakeOrKeepFocus) {
  MakeFrame();
  EnableWindow(view2_, FALSE);
  EXPECT_EQ((std::vector{SetFocus(view2_), GetFocus()}), (std::vector<HWND>{nullptr, view1_}));
  Log().clear();
  EXPECT_FALSE(EnableWindow(view1_, FALSE));  // was enabled
  EXPECT_EQ(std::tuple(Trace({WM_CANCELMODE, WM_KILLFOCUS, WM_ENABLE}), GetFocus()),
            std::tuple("CANCELMODE@v1 KILLFOCUS@v1 ENABLE@v1", nullptr));
  // Each answers whether the window was disabled before.
  EXPECT_EQ((std::vector<BOOL>{EnableWindow(view1_, TRUE), EnableWindow(view1_, TRUE)}), (std::vector<BOOL>{TRUE, FALSE}));
  EXPECT_EQ(Only(WM_ENABLE).back().wParam, static_cast<WPARAM>(TRUE));
}

TEST_F(Focus, HidingOrDestroyingTheFocusedViewGivesFocusToItsParent) {
  MakeFrame();
  ShowWindow(view1_, SW_HIDE);
  EXPECT_EQ(std::tuple(GetFocus(), Trace({WM_KILLFOCUS, WM_SETFOCUS})), std::tuple(frame_, "KILLFOCUS@v1 SETFOCUS@frame"));
  SetFocus(view2_);
  ShowWindow(view2_, SW_SHOW);
  EXPECT_EQ(GetFocus(), view2_);
  Log().clear();
  DestroyWindow(view2_);
  EXPECT_EQ(std::tuple(GetFocus(), Trace({WM_KILLFOCUS, WM_SETFOCUS, WM_DESTROY})),
            std::tuple(frame_, "KILLFOCUS@v2 SETFOCUS@frame DESTROY@v2"));
}

TEST_F(Focus, ActivationTellsBothWindowsAboutEachOther) {
  HWND a = Top(u"a");
  HWND b = Top(u"b");
  EXPECT_EQ(GetActiveWindow(), b);
  Log().clear();
  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_EQ(Trace({WM_ACTIVATE}), "ACTIVATE@b ACTIVATE@a");
  auto act = Only(WM_ACTIVATE);
  EXPECT_EQ(std::tuple(LOWORD(act[0].wParam), act[0].lParam, LOWORD(act[1].wParam), act[1].lParam),
            std::tuple(WA_INACTIVE, reinterpret_cast<LPARAM>(a), WA_ACTIVE, reinterpret_cast<LPARAM>(b)));
  // It came to the front, and the default procedure gave it the focus.
  EXPECT_EQ(std::tuple(GetWindow(GetDesktopWindow(), GW_CHILD), GetFocus()), std::tuple(a, a));
  Log().clear();
  SetFocus(b);  // focusing a window of another top-level activates it
  EXPECT_EQ(GetActiveWindow(), b);
}

TEST_F(Focus, AnotherProgramInFrontDeactivatesAndComingBackRestoresFocus) {
  MakeFrame();
  platform::wm::SetAppForeground(false);
  EXPECT_EQ(Trace({WM_ACTIVATE, WM_KILLFOCUS}), "ACTIVATE@frame KILLFOCUS@v1");
  EXPECT_EQ(std::tuple(LOWORD(Only(WM_ACTIVATE)[0].wParam), Only(WM_ACTIVATE)[0].lParam), std::tuple(WA_INACTIVE, 0));
  EXPECT_EQ(std::tuple(GetForegroundWindow(), GetFocus()), std::tuple(nullptr, nullptr));
  Log().clear();
  platform::wm::SetAppForeground(true);
  EXPECT_EQ(Trace({WM_ACTIVATE, WM_SETFOCUS}), "ACTIVATE@frame SETFOCUS@v1");
  EXPECT_EQ(LOWORD(Only(WM_ACTIVATE)[0].wParam), WA_ACTIVE);
  EXPECT_EQ(std::tuple(GetForegroundWindow(), GetFocus()), std::tuple(frame_, view1_));
  // SetForegroundWindow brings the program back too.
  platform::wm::SetAppForeground(false);
  Log().clear();
  EXPECT_TRUE(SetForegroundWindow(frame_));
  EXPECT_EQ(std::tuple(GetForegroundWindow(), Trace({WM_ACTIVATE})), std::tuple(frame_, "ACTIVATE@frame"));
}

TEST_F(Focus, CaptureChangeTellsTheLoser) {
  MakeFrame();
  // Each answers the window that had the capture before.
  EXPECT_EQ((std::vector{SetCapture(view1_), SetCapture(view2_), GetCapture()}), (std::vector<HWND>{nullptr, view1_, view2_}));
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(Trace({WM_CAPTURECHANGED}), "CAPTURECHANGED@v1 CAPTURECHANGED@v2");
  auto cc = Only(WM_CAPTURECHANGED);
  EXPECT_EQ(std::tuple(cc[0].lParam, cc[1].lParam, GetCapture()), std::tuple(reinterpret_cast<LPARAM>(view2_), 0, nullptr));
  SetCapture(view1_);
  DestroyWindow(view1_);
  EXPECT_EQ(GetCapture(), nullptr);
}

// An activated window comes to the front but stays behind a topmost panel. Leaving, the active
// window hands over to its owner, or else to a window that can be active, never the panel.
TEST_F(Focus, ActivationStaysBehindATopmostPanelAndPassesToTheOwnerWhenTheActiveWindowGoes) {
  HWND owner = Top(u"owner");
  HWND panel = Make(kRecClass, u"panel", WS_POPUP | WS_VISIBLE, {0, 500, 480, 800}, nullptr, 0,
                    WS_EX_TOPMOST | WS_EX_NOACTIVATE);
  HWND other = Top(u"other");
  SetActiveWindow(other);
  SetActiveWindow(owner);
  EXPECT_EQ(std::tuple(WindowFromPoint(POINT{10, 600}), WindowFromPoint(POINT{10, 100})), std::tuple(panel, owner));
  HWND dlg = Make(kRecClass, u"dlg", WS_POPUP | WS_VISIBLE, {0, 0, 10, 10}, owner);
  ASSERT_EQ(GetActiveWindow(), dlg);
  Log().clear();
  DestroyWindow(dlg);
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_EQ(Trace({WM_ACTIVATE}), "ACTIVATE@dlg ACTIVATE@owner");  // told before it goes
  DestroyWindow(owner);
  EXPECT_EQ(GetActiveWindow(), other);
}

}  // namespace
}  // namespace wmtest
