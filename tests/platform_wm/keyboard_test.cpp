// The key path's key state as of the message being handled, and topmost windows staying in
// front of activated ones.
#include "wm_fixture.h"

namespace wmtest {
namespace {

class KeyboardTest : public WmTest {};

// Shift, a letter and shift again injected at once: the letter is translated with shift down,
// as it was when it was pressed.
TEST_F(KeyboardTest, ShiftInjectedWithALetterHoldsWhileTheLetterIsTranslated) {
  HWND w = Top(u"w");
  SetFocus(w);
  using platform::wm::InjectKey;
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
  EXPECT_EQ(typed, u"Bb");
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

TEST_F(KeyboardTest, ActivatedWindowStaysBehindATopmostOne) {
  HWND a = Top(u"a");
  HWND topmost = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kRecClass, u"panel", WS_POPUP | WS_VISIBLE, 0,
                                 500, 480, 300, nullptr, nullptr, nullptr, nullptr);
  HWND b = Top(u"b");
  SetActiveWindow(b);
  SetActiveWindow(a);
  EXPECT_EQ(WindowFromPoint(POINT{10, 600}), topmost);
  EXPECT_EQ(WindowFromPoint(POINT{10, 100}), a);
  // Leaving, the active window hands over to a window that can be active, never the panel.
  DestroyWindow(a);
  EXPECT_EQ(GetActiveWindow(), b);
}

}  // namespace
}  // namespace wmtest
