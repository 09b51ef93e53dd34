#include <tuple>

#include "aygshell.h"
#include "platform/wm/input.h"
#include "ui_fixture.h"

using platform::ui::ChooseMenuItem;
using platform::ui::CurrentMenu;
using uitest::UiTest;

class MenuBarTest : public UiTest {
 protected:
  HWND Bar(DWORD flags = 0, UINT id = 59394, DWORD size = sizeof(SHMENUBARINFO)) {
    SHMENUBARINFO mbi{};
    mbi.cbSize = size;
    mbi.hwndParent = owner_;
    mbi.dwFlags = flags;
    mbi.nToolBarId = id;
    mbi.hInstRes = GetModuleHandleW(nullptr);
    if (!SHCreateMenuBar(&mbi)) return nullptr;
    platform::wm::PumpUntilIdle();
    return mbi.hwndMB;
  }
};

// The bar sits at the bottom across the screen; its left button sends its command, its right one
// opens the program menu above it; it hides, and goes with its frame.
TEST_F(MenuBarTest, SitsAtTheBottomItsLeftButtonSendsItsCommandItsRightOpensTheMenuAboveIt) {
  HWND bar = Bar();
  ASSERT_NE(bar, nullptr);
  RECT r{};
  GetWindowRect(bar, &r);
  EXPECT_EQ(std::tuple(r.left, r.right, r.bottom), std::tuple(0, 480, 800));
  EXPECT_GE(r.bottom - r.top, 40);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_TRUE(uitest::OnScreen(u"메뉴")) << "the drop-down button is labelled with its pop-up";
  Tap(r.left + 40, (r.top + r.bottom) / 2);
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(std::pair(Got(WM_COMMAND).size(), Notes(0, 59283)), std::pair(1ul, 1));
  ClearLog();
  LONG menuBottom = 0;
  Then([&] {
    auto menu = CurrentMenu();
    if (!menu) return false;
    menuBottom = menu->back().rect.bottom;
    return ChooseMenuItem(33347);
  });
  Tap(r.right - 40, (r.top + r.bottom) / 2);
  platform::wm::PumpUntilIdle();
  EXPECT_LE(menuBottom, r.top);
  EXPECT_EQ(Got(WM_INITMENUPOPUP).size(), 1u);
  EXPECT_EQ(std::pair(Got(WM_COMMAND).size(), Notes(0, 33347)), std::pair(1ul, 1));
  ShowWindow(bar, SW_HIDE);
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(IsWindowVisible(bar));
  DestroyWindow(owner_);
  EXPECT_FALSE(IsWindow(bar)) << "the bar goes with its frame";
}

// The bar is a tool of its frame and never takes the activation, so a dialog opened on the
// active window belongs to the frame, which is activated again when the dialog ends.
TEST_F(MenuBarTest, EmptyBarHasNoButtonsAHiddenOneShownLeavesTheFrameActiveAndBadRequestsFail) {
  HWND empty = Bar(SHCMBF_EMPTYBAR | SHCMBF_HIDESIPBUTTON, 0);
  ASSERT_NE(empty, nullptr);
  RECT r{};
  GetWindowRect(empty, &r);
  Tap(r.left + 40, (r.top + r.bottom) / 2);
  Tap(r.right - 40, (r.top + r.bottom) / 2);
  platform::wm::PumpUntilIdle();
  EXPECT_TRUE(Got(WM_COMMAND).empty());
  EXPECT_FALSE(CurrentMenu().has_value());
  DestroyWindow(empty);
  HWND hidden = Bar(SHCMBF_HIDDEN);
  ASSERT_NE(hidden, nullptr);
  EXPECT_FALSE(IsWindowVisible(hidden));
  ShowWindow(hidden, SW_SHOWNORMAL);
  EXPECT_EQ(GetActiveWindow(), owner_);
  Then([] {
    auto dialog = platform::ui::CurrentDialog();
    return dialog && EndDialog(dialog->hwnd, IDOK);
  });
  DLGPROC proc = [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; };
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), GetActiveWindow(), proc, 0), IDOK);
  auto activations = Got(WM_ACTIVATE);
  ASSERT_FALSE(activations.empty());
  EXPECT_NE(LOWORD(activations.back().wParam), WA_INACTIVE);
  EXPECT_EQ(GetActiveWindow(), owner_);
  EXPECT_EQ(Bar(0, 4242), nullptr) << "no such menu-bar resource";
  EXPECT_EQ(Bar(0, 59394, 8), nullptr) << "a structure cut short";
  EXPECT_FALSE(SHCreateMenuBar(nullptr));
}
