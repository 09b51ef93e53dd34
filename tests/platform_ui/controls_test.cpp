// EDIT and BUTTON controls driven through the window manager: the edit's notifications,
// selection, line breaks, limits and scrolling; push buttons under the finger.
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/screen.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

constexpr DWORD kComposeStyle = WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_WANTRETURN;

std::pair<DWORD, DWORD> Selection(HWND h) {
  DWORD start = 0, end = 0;
  SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

class EditTest : public UiTest {
 protected:
  int Notes(WORD code) const { return UiTest::Notes(code, 1001); }
  HWND Edit(DWORD style, LPCWSTR text = u"") {
    HWND e = Control(u"EDIT", style, 1001, RECT{10, 100, 470, 300}, text);
    SetFocus(e);
    platform::wm::PumpUntilIdle();
    return e;
  }
};

TEST_F(EditTest, ChangeIsReportedAfterEveryTextChangeAndNeverForACaretMove) {
  struct Case {
    const char* what;
    DWORD style;
    std::function<void(HWND)> act;
    int changes;
    const char16_t* text;
  };
  const Case cases[] = {
      {"typing", 0, [](HWND) { TypeKeys("ab"); }, 2, u"xyab"},
      {"backspace", 0, [](HWND) { TypeKeys("<"); }, 1, u"x"},
      {"backspace at the start", 0, [](HWND) { PressKey(VK_HOME); TypeKeys("<"); }, 0, u"xy"},
      {"caret moves", ES_MULTILINE, [](HWND) { PressKey(VK_LEFT); PressKey(VK_HOME); PressKey(VK_END); }, 0, u"xy"},
      {"selection set", 0, [](HWND e) { SendMessageW(e, EM_SETSEL, 0, 1); }, 0, u"xy"},
      {"replace selection", 0, [](HWND e) { SendMessageW(e, EM_SETSEL, 0, 1); SendMessageW(e, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(u"Q")); }, 1, u"Qy"},
      {"delete key", 0, [](HWND) { PressKey(VK_HOME); PressKey(VK_DELETE); }, 1, u"y"},
      {"set text, single-line", 0, [](HWND e) { SetWindowTextW(e, u"new"); }, 1, u"new"},
      {"set text, multi-line", ES_MULTILINE, [](HWND e) { SetWindowTextW(e, u"new"); }, 0, u"new"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HWND e = Edit(c.style, u"xy");
    SendMessageW(e, EM_SETSEL, 2, 2);
    ClearLog();
    c.act(e);
    EXPECT_EQ(std::tuple(Notes(EN_CHANGE), TextOf(e)), std::tuple(c.changes, c.text));
    DestroyWindow(e);
  }
}

// A selection comes from shift and the arrows or from a finger drag; bad input is clamped or cut.
TEST_F(EditTest, SelectionByKeysOrFingerBadInputIsClampedOrCutAndFocusChangesAreTold) {
  HWND e = Edit(0, u"hello");
  SendMessageW(e, EM_SETSEL, 1, 1);
  platform::wm::InjectKey(VK_SHIFT, true);
  PressKey(VK_RIGHT);
  PressKey(VK_RIGHT);
  platform::wm::InjectKey(VK_SHIFT, false);
  EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{1, 3}));
  RECT r{};
  GetWindowRect(e, &r);
  const int y = (r.top + r.bottom) / 2;
  platform::wm::InjectMouse(WM_LBUTTONDOWN, r.left + 2, y);
  platform::wm::InjectMouse(WM_MOUSEMOVE, r.right - 5, y);
  platform::wm::InjectMouse(WM_LBUTTONUP, r.right - 5, y);
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{0, 5}));
  for (auto [from, to, start] : {std::tuple{3u, 99u, 3u}, {99u, 99u, 5u}}) {
    SendMessageW(e, EM_SETSEL, from, to);
    EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{start, 5}));
  }
  WCHAR small[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(small)), 2);
  EXPECT_EQ(std::u16string(small), u"he");
  SendMessageW(e, EM_LIMITTEXT, 6, 0);
  TypeKeys("ab");
  EXPECT_EQ(std::tuple(TextOf(e), Notes(EN_MAXTEXT)), std::tuple(u"hello" u"a", 1));
  // Focus changes are told to the parent.
  HWND other = Control(u"EDIT", 0, 1002, RECT{10, 400, 470, 440});
  ClearLog();
  SetFocus(other);
  SetFocus(e);
  EXPECT_EQ(std::pair(Notes(EN_SETFOCUS), Notes(EN_KILLFOCUS)), std::pair(1, 1));
}

TEST_F(EditTest, LineBreaksAreCrLfAndBareLineFeedsStayInTheLine) {
  HWND e = Edit(kComposeStyle);
  SetWindowTextW(e, u"one\ntwo");
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 1);
  SetWindowTextW(e, u"one\r\ntwo");
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 2);
  // Enter stores CR LF; the caret never stops inside it, and backspace takes it whole.
  SendMessageW(e, EM_SETSEL, 3, 3);
  TypeKeys("\r");
  EXPECT_EQ(TextOf(e), u"one\r\n\r\ntwo");
  PressKey(VK_LEFT);
  EXPECT_EQ(Selection(e).first, 3u);
  PressKey(VK_RIGHT);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Selection(e).first, 7u);
  TypeKeys("<");
  EXPECT_EQ(TextOf(e), u"one\r\ntwo");
}

TEST_F(EditTest, DisabledEditTakesNoInputAndIsGreyed) {
  HWND e = Edit(0, u"grey");
  EnableWindow(e, FALSE);
  platform::wm::PumpUntilIdle();
  RECT r{};
  GetWindowRect(e, &r);
  TapCentre(r);
  TypeKeys("x");
  EXPECT_EQ(std::pair(TextOf(e), GetFocus() == e), std::pair(std::u16string(u"grey"), false));
  auto run = RunWith(u"grey");
  EXPECT_TRUE(run && run->color == GetSysColor(COLOR_GRAYTEXT));
}

TEST_F(EditTest, ThousandCharactersKeepTheCaretInViewWhileTyping) {
  std::u16string text;
  for (int i = 0; i < 1000; ++i) text += (i % 50 == 49) ? u' ' : static_cast<char16_t>(u'a' + i % 26);
  HWND e = Edit(kComposeStyle);
  SetWindowTextW(e, text.c_str());
  SendMessageW(e, EM_SETSEL, 1000, 1000);
  TypeKeys(" zz");
  LRESULT first = SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0);
  LRESULT caretLine = SendMessageW(e, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
  EXPECT_GT(first, 0);
  EXPECT_GE(caretLine, first);
  // The last row, holding what was just typed, is drawn inside the edit.
  RECT r{};
  GetWindowRect(e, &r);
  auto last = RunWith(u"zz");
  EXPECT_TRUE(last && last->rect.bottom <= r.bottom && last->rect.top >= r.top);
  // The finger on the top of the scroll bar brings the first line back.
  Tap(r.right - 5, r.top + 3);
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(std::tuple(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), Notes(EN_VSCROLL), Selection(e)),
            std::tuple(0, 1, std::pair<DWORD, DWORD>{1003, 1003}));
}

TEST_F(EditTest, CaretBlinksOnTheClock) {
  HWND e = Edit(0);
  RECT r{};
  GetWindowRect(e, &r);
  // The caret stands at the left of the empty field; count its pixels in the text colour.
  auto lit = [&] {
    int n = 0;
    for (int x = r.left; x < r.left + 12; ++x)
      for (int y = r.top + 4; y < r.bottom - 4; ++y) n += platform::gdi::ScreenPixel(x, y) == 0;
    return n;
  };
  int on = lit();
  platform::wm::AdvanceClock(500);
  int off = lit();
  platform::wm::AdvanceClock(500);
  EXPECT_GT(on, 0);
  EXPECT_EQ(off, 0);
  EXPECT_EQ(lit(), on);
}

// Pressed while down, BN_CLICKED on release inside only.
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
