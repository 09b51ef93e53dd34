// Push buttons under the finger: pressed while down, BN_CLICKED on release inside only.
#include <vector>

#include "platform/gdi/screen.h"

#include "ui_fixture.h"

namespace uitest {
namespace {

using ButtonTest = UiTest;

TEST_F(ButtonTest, ClickedOnlyWhenLiftedInside) {
  struct Step {
    UINT message;
    int x, y;
    bool pressedAfter;
  };
  struct Case {
    const char* what;
    bool enabled;
    std::vector<Step> steps;
    int clicks;
  };
  // The button spans (100, 100)-(200, 150) on the screen.
  const Case cases[] = {
      {"tap", true, {{WM_LBUTTONDOWN, 150, 120, true}, {WM_LBUTTONUP, 150, 120, false}}, 1},
      {"slide off", true, {{WM_LBUTTONDOWN, 150, 120, true}, {WM_MOUSEMOVE, 300, 300, false}, {WM_LBUTTONUP, 300, 300, false}}, 0},
      {"slide off and back",
       true,
       {{WM_LBUTTONDOWN, 150, 120, true}, {WM_MOUSEMOVE, 300, 300, false}, {WM_MOUSEMOVE, 160, 130, true}, {WM_LBUTTONUP, 160, 130, false}},
       1},
      {"disabled", false, {{WM_LBUTTONDOWN, 150, 120, false}, {WM_LBUTTONUP, 150, 120, false}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HWND b = Control(u"BUTTON", BS_PUSHBUTTON, 1005, RECT{100, 100, 200, 150}, u"받는사람");
    EnableWindow(b, c.enabled);
    ClearLog();
    uint32_t face = 0;
    for (const auto& s : c.steps) {
      platform::wm::InjectMouse(s.message, s.x, s.y);
      platform::wm::PumpUntilIdle();
      EXPECT_EQ((SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0, s.pressedAfter);
      // The pressed look is on the screen, not only in the state.
      uint32_t now = platform::gdi::ScreenPixel(105, 105);
      if (s.message == WM_LBUTTONDOWN) {
        face = now;
      } else if (c.enabled) {
        EXPECT_EQ(now != face, !s.pressedAfter);
      }
    }
    EXPECT_EQ(Notes(BN_CLICKED, 1005), c.clicks);
    DestroyWindow(b);
  }
}

}  // namespace
}  // namespace uitest
