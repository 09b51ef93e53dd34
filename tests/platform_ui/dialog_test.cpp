#include <algorithm>
#include <tuple>
#include <vector>

#include "platform/wm/input.h"
#include "ui_fixture.h"

using platform::ui::CurrentDialog;
using uitest::Received;
using uitest::TextOf;
using uitest::UiTest;

namespace {

// The about box's procedure as the program writes it, recording what it gets.
std::vector<Received> g_calls;
std::function<void(HWND)> g_onInit;

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  g_calls.push_back({dlg, msg, wParam, lParam, 0, {}});
  switch (msg) {
    case WM_INITDIALOG:
      if (g_onInit) g_onInit(dlg);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, LOWORD(wParam) == IDOK ? 11 : 22);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

std::vector<Received>::const_iterator FirstCall(UINT message) {
  return std::find_if(g_calls.begin(), g_calls.end(), [message](const Received& c) { return c.message == message; });
}

std::vector<HWND> Children(HWND dlg) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
  return out;
}

std::tuple<LONG, LONG, LONG, LONG> Box(const RECT& r, LONG down = 0) {
  return {r.left, r.top + down, r.right, r.bottom + down};
}

RECT RectIn(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  POINT a{r.left, r.top}, b{r.right, r.bottom};
  ScreenToClient(parent, &a);
  ScreenToClient(parent, &b);
  return RECT{a.x, a.y, b.x, b.y};
}

// The about box's icon, version and framed notice, all static controls, where their dialog
// units say below the caption, and inside the box.
void ExpectAboutControls(HWND dlg) {
  const std::vector<HWND> c = Children(dlg);
  ASSERT_EQ(c.size(), 3u);
  for (HWND h : c) {
    WCHAR cls[16] = {};
    GetClassNameW(h, cls, 16);
    EXPECT_EQ(std::u16string(cls), u"STATIC");
  }
  EXPECT_EQ(GetWindowLongW(c[0], GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(c[0], STM_GETICON, 0, 0)), LoadIconW(nullptr, MAKEINTRESOURCEW(128)));
  EXPECT_EQ(TextOf(c[1]), u"Parlo v0.2.1c");
  EXPECT_NE(TextOf(c[2]).find(u"Parlo"), std::u16string::npos);
  EXPECT_NE(GetWindowLongW(c[2], GWL_STYLE) & WS_BORDER, 0) << "the notice is a framed text area";
  RECT icon{11, 17, 31, 37}, version{38, 10, 38 + 70, 10 + 8}, notice{38, 25, 38 + 108, 25 + 55}, frame{};
  for (RECT* r : {&icon, &version, &notice}) EXPECT_TRUE(MapDialogRect(dlg, r));
  // A 9-point font at 192 dpi: base units well above the 96-dpi ones.
  EXPECT_GT(version.right - version.left, 70 * 2);
  EXPECT_GT(notice.bottom - notice.top, 55 * 2);
  const LONG captionOffset = RectIn(dlg, c[1]).top - version.top;
  EXPECT_GT(captionOffset, 0) << "controls sit below the caption";
  for (auto [i, want] : {std::pair{0, icon}, std::pair{1, version}, std::pair{2, notice}})
    EXPECT_EQ(Box(RectIn(dlg, c[i])), Box(want, captionOffset)) << i;
  GetWindowRect(dlg, &frame);
  EXPECT_TRUE(frame.left >= 0 && frame.right <= 480 && frame.top >= 0 && frame.bottom <= 800);
  for (HWND h : c) {
    RECT r{};
    GetWindowRect(h, &r);
    EXPECT_TRUE(r.left >= frame.left && r.right <= frame.right && r.bottom <= frame.bottom)
        << ::testing::PrintToString(Box(r));
  }
}

}  // namespace

class DialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    g_calls.clear();
    g_onInit = nullptr;
  }
};

// The about box with its caption and controls on the screen, its owner disabled while it is up;
// WM_SETFONT comes before WM_INITDIALOG, which carries the parameter; the box leaves nothing behind.
TEST_F(DialogTest, AboutBoxHasItsCaptionControlsAndTextsWhereTheirDialogUnitsSay) {
  HWND dialog = nullptr;
  Then([&] {
    if (!CurrentDialog()) return false;
    dialog = CurrentDialog()->hwnd;
    EXPECT_FALSE(IsWindowEnabled(owner_));
    EXPECT_EQ(CurrentDialog()->caption, u"Parlo은..");
    EXPECT_EQ(TextOf(dialog), u"Parlo은..");
    EXPECT_TRUE(uitest::OnScreen(u"Parlo v0.2.1c") && uitest::OnScreen(u"Parlo은.."));
    ExpectAboutControls(dialog);
    return EndDialog(dialog, 5) != FALSE;
  });
  EXPECT_EQ(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), owner_, AboutProc, 42), 5);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindow(dialog)) << "gone once DialogBox returns";
  EXPECT_TRUE(IsWindowEnabled(owner_));
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(uitest::OnScreen(u"Parlo v0.2.1c"));
  auto init = FirstCall(WM_INITDIALOG);
  ASSERT_NE(init, g_calls.end());
  EXPECT_EQ(init->lParam, 42);
  EXPECT_LT(FirstCall(WM_SETFONT), init);
}

// A missing template fails at once; the caption's ok button and escape reach the procedure, an
// end in WM_INITDIALOG skips the loop; a modeless dialog leaves its owner alone.
TEST_F(DialogTest, ModalAndModelessDialogsTheirEndsItemTextsAndAMissingTemplate) {
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(101), owner_, AboutProc, 0), -1);
  EXPECT_EQ(CreateDialogParamW(nullptr, MAKEINTRESOURCEW(101), owner_, AboutProc, 0), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner_) && g_calls.empty());
  Then([] {
    auto dlg = CurrentDialog();
    if (!dlg) return false;
    RECT r{};
    GetWindowRect(dlg->hwnd, &r);
    // The caption's ok button sits at its right end.
    Tap(r.right - 30, r.top + 20);
    return true;
  });
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), owner_, AboutProc, 0), 11);
  Then([] {
    if (!CurrentDialog()) return false;
    Stroke(VK_ESCAPE);
    return true;
  });
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), owner_, AboutProc, 0), 22);
  g_onInit = [](HWND dlg) { EndDialog(dlg, 77); };  // ending from WM_INITDIALOG never enters the loop
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), owner_, AboutProc, 0), 77);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(std::count_if(g_calls.begin(), g_calls.end(), [](const Received& c) { return c.message == WM_COMMAND; }),
            2);
  HWND dlg = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(100), owner_, AboutProc, 0);
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner_)) << "a modeless dialog leaves its owner alone";
  SetWindowLongW(Children(dlg)[1], GWL_ID, 1001);  // the version
  EXPECT_TRUE(SetDlgItemTextW(dlg, 1001, u"v9"));
  WCHAR buf[8];
  EXPECT_EQ(GetDlgItemTextW(dlg, 1001, buf, 8), 2u);
  EXPECT_EQ(std::u16string(buf), u"v9");
  EXPECT_FALSE(SetDlgItemTextW(dlg, 4040, u"x"));
  EXPECT_EQ(GetDlgItemTextW(dlg, 4040, buf, 8), 0u);
  EXPECT_EQ(buf[0], 0);
  EXPECT_TRUE(DestroyWindow(dlg));
  EXPECT_FALSE(EndDialog(dlg, 1)) << "no such dialog any more";
}
