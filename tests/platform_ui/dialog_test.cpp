#include <tuple>
#include <vector>

#include "platform/wm/input.h"
#include "ui_fixture.h"

using platform::ui::CurrentDialog;
using uitest::TextOf;
using uitest::UiTest;

namespace {

struct Call {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// The about box's procedure as the program writes it, recording what it gets.
std::vector<Call> g_calls;
std::function<void(HWND)> g_onInit;

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  g_calls.push_back({msg, wParam, lParam});
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

std::u16string ClassOf(HWND h) {
  WCHAR buf[64] = {};
  GetClassNameW(h, buf, 64);
  return buf;
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

}  // namespace

class DialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    g_calls.clear();
    g_onInit = nullptr;
  }
};

// The about box: its caption, its three static controls where their dialog units say, below the
// caption, all on the screen; WM_SETFONT comes before WM_INITDIALOG, which carries the parameter.
// The owner is disabled while it is up, and the box leaves nothing behind.
TEST_F(DialogTest, AboutBoxHasItsCaptionControlsAndTextsWhereTheirDialogUnitsSay) {
  HWND owner = Owner();
  HWND dialog = nullptr;
  HICON icon = nullptr;
  RECT version{38, 10, 38 + 70, 10 + 8}, notice{38, 25, 38 + 108, 25 + 55}, iconBox{11, 17, 31, 37}, frame{};
  std::vector<std::u16string> classes, texts;
  std::vector<LONG_PTR> styles;
  std::vector<RECT> placed, onScreen;
  BOOL ownerEnabled = TRUE;
  g_onInit = [&](HWND dlg) {
    dialog = dlg;
    icon = reinterpret_cast<HICON>(SendMessageW(GetWindow(dlg, GW_CHILD), STM_GETICON, 0, 0));
    EXPECT_EQ(TextOf(dlg), u"Parlo은..");
    GetWindowRect(dlg, &frame);
    for (HWND c : Children(dlg)) {
      classes.push_back(ClassOf(c));
      texts.push_back(TextOf(c));
      styles.push_back(GetWindowLongW(c, GWL_STYLE));
      placed.push_back(RectIn(dlg, c));
      GetWindowRect(c, &onScreen.emplace_back());
    }
    for (RECT* r : {&version, &notice, &iconBox}) EXPECT_TRUE(MapDialogRect(dlg, r));
  };
  Then([&] {
    if (!CurrentDialog()) return false;
    ownerEnabled = IsWindowEnabled(owner);
    EXPECT_EQ(CurrentDialog()->caption, u"Parlo은..");
    EXPECT_TRUE(uitest::OnScreen(u"Parlo v0.2.1c"));
    EXPECT_TRUE(uitest::OnScreen(u"Parlo은.."));
    return EndDialog(CurrentDialog()->hwnd, 5) != FALSE;
  });
  EXPECT_EQ(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), owner, AboutProc, 42), 5);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindow(dialog)) << "gone once DialogBox returns";
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(icon, LoadIconW(nullptr, MAKEINTRESOURCEW(128)));
  ASSERT_EQ(classes.size(), 3u);
  for (const auto& c : classes) EXPECT_EQ(c, u"STATIC");
  EXPECT_EQ(styles[0] & SS_TYPEMASK, SS_ICON);
  EXPECT_EQ(texts[1], u"Parlo v0.2.1c");
  EXPECT_NE(texts[2].find(u"Parlo"), std::u16string::npos);
  EXPECT_NE(styles[2] & WS_BORDER, 0) << "the notice is a framed text area";
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(uitest::OnScreen(u"Parlo v0.2.1c"));

  size_t setFont = g_calls.size(), init = g_calls.size();
  for (size_t i = 0; i < g_calls.size(); ++i) {
    if (g_calls[i].message == WM_SETFONT && setFont == g_calls.size()) setFont = i;
    if (g_calls[i].message == WM_INITDIALOG) init = i;
  }
  ASSERT_LT(init, g_calls.size());
  EXPECT_EQ(g_calls[init].lParam, 42);
  EXPECT_LT(setFont, init);

  const LONG captionOffset = placed[1].top - version.top;
  EXPECT_GT(captionOffset, 0) << "controls sit below the caption";
  for (auto [i, want] : {std::pair{0, iconBox}, std::pair{1, version}, std::pair{2, notice}})
    EXPECT_EQ(Box(placed[i]), Box(want, captionOffset)) << i;
  // A 9-point font at 192 dpi: base units well above the 96-dpi ones.
  EXPECT_GT(version.right - version.left, 70 * 2);
  EXPECT_GT(notice.bottom - notice.top, 55 * 2);
  EXPECT_TRUE(frame.left >= 0 && frame.right <= 480 && frame.top >= 0 && frame.bottom <= 800);
  for (const RECT& r : onScreen)
    EXPECT_TRUE(r.left >= frame.left && r.right <= frame.right && r.bottom <= frame.bottom)
        << ::testing::PrintToString(Box(r));
}

TEST_F(DialogTest, CaptionOkButtonAndEscapeReachTheProcedureAndAnEndInInitDialogSkipsTheLoop) {
  HWND owner = Owner();
  Then([] {
    auto dlg = CurrentDialog();
    if (!dlg) return false;
    RECT r{};
    GetWindowRect(dlg->hwnd, &r);
    // The caption's ok button sits at its right end.
    Tap(r.right - 30, r.top + 20);
    return true;
  });
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), owner, AboutProc, 0), 11);
  Then([] {
    if (!CurrentDialog()) return false;
    platform::wm::InjectKey(VK_ESCAPE, true);
    platform::wm::InjectKey(VK_ESCAPE, false);
    return true;
  });
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), owner, AboutProc, 0), 22);
  g_onInit = [](HWND dlg) { EndDialog(dlg, 77); };  // ending from WM_INITDIALOG never enters the loop
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), owner, AboutProc, 0), 77);
  EXPECT_TRUE(IsWindowEnabled(owner));
  int commands = 0;
  for (const Call& c : g_calls) commands += c.message == WM_COMMAND;
  EXPECT_EQ(commands, 2);
}

TEST_F(DialogTest, ModelessDialogItemTextsAndAMissingTemplate) {
  HWND owner = Owner();
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(101), owner, AboutProc, 0), -1);
  EXPECT_EQ(CreateDialogParamW(nullptr, MAKEINTRESOURCEW(101), owner, AboutProc, 0), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_TRUE(g_calls.empty());
  HWND dlg = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(100), owner, AboutProc, 0);
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner)) << "a modeless dialog leaves its owner alone";
  HWND version = Children(dlg)[1];
  SetWindowLongW(version, GWL_ID, 1001);
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
