#include <optional>
#include <tuple>

#include "platform/wm/input.h"
#include "ui_fixture.h"

using platform::ui::CancelMenu;
using platform::ui::ChooseMenuItem;
using platform::ui::CurrentMenu;
using platform::ui::MenuItemInfo;
using uitest::UiTest;

namespace {

std::optional<MenuItemInfo> Row(const std::vector<MenuItemInfo>& items, UINT id) {
  for (const auto& it : items)
    if (!it.separator && it.id == id) return it;
  return std::nullopt;
}

// The commands of `menu`'s items in order, 0 for a separator.
std::vector<UINT> Ids(HMENU menu) {
  std::vector<UINT> ids;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
    ids.push_back(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR ? 0 : GetMenuItemID(menu, i));
  return ids;
}

uitest::Step Choose(UINT id) {
  return [id] { return CurrentMenu() && ChooseMenuItem(id); };
}

uitest::Step TapBeside() {
  return [] {
    auto menu = CurrentMenu();
    if (!menu) return false;
    UiTest::Tap(menu->back().rect.right + 20, menu->back().rect.bottom + 40);
    return true;
  };
}

// Keeps what the open menu shows, then closes it.
uitest::Step SeeAndCancel(std::optional<std::vector<MenuItemInfo>>* seen) {
  return [seen] {
    *seen = CurrentMenu();
    return seen->has_value() && CancelMenu();
  };
}

}  // namespace

TEST(MenuData, ProgramMenuHasOnePopupWithTheCommandsInOrderWhoseStatesChange) {
  HMENU bar = LoadMenuW(nullptr, MAKEINTRESOURCEW(128));
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  WCHAR text[32];
  EXPECT_EQ(GetMenuStringW(bar, 0, text, 32, MF_BYPOSITION), 2);
  EXPECT_EQ(std::u16string(text), u"메뉴");
  EXPECT_EQ(GetMenuItemID(bar, 0), static_cast<UINT>(-1)) << "a pop-up item has no command";
  HMENU popup = GetSubMenu(bar, 0);
  ASSERT_EQ(Ids(popup), (std::vector<UINT>{33341, 33340, 0, 33342, 33343, 0, 33344, 33345, 33346, 0, 33347, 33348}));
  EXPECT_EQ(GetMenuStringW(popup, 33347, text, 32, MF_BYCOMMAND), 9);
  EXPECT_EQ(std::u16string(text), u"이 프로그램은..");
  // Check and enable return the previous state.
  EXPECT_EQ(CheckMenuItem(popup, 33345, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(CheckMenuItem(popup, 33345, MF_BYCOMMAND | MF_CHECKED), MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(popup, 7, MF_BYPOSITION | MF_UNCHECKED), MF_CHECKED) << "33345 sits at position 7";
  EXPECT_EQ(CheckMenuItem(popup, 99999, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(CheckMenuItem(popup, 12, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(-1));
  // By command the search goes down into pop-ups, so the bar finds its pop-up's items.
  EXPECT_EQ(CheckMenuItem(bar, 33346, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
  EXPECT_NE(GetMenuState(popup, 33346, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(EnableMenuItem(popup, 33342, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(popup, 33342, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(popup, 4242, MF_BYCOMMAND | MF_GRAYED), -1);
  // Each load is a fresh copy; there is no other menu.
  HMENU other = LoadMenuW(nullptr, MAKEINTRESOURCEW(128));
  CheckMenuItem(bar, 33340, MF_CHECKED);
  EXPECT_EQ(GetMenuState(other, 33340, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_TRUE(DestroyMenu(bar));
  DestroyMenu(other);
  EXPECT_EQ(LoadMenuW(nullptr, MAKEINTRESOURCEW(129)), nullptr);
  EXPECT_EQ(LoadMenuW(nullptr, u"MENU"), nullptr);
}

TEST(MenuData, InsertByPositionAndByCommandNoMenuContainsItselfAndStaleHandlesFail) {
  HMENU m = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(m, MF_STRING, 10, u"ten"));
  ASSERT_TRUE(AppendMenuW(m, MF_STRING, 30, u"thirty"));
  ASSERT_TRUE(InsertMenuW(m, 30, MF_BYCOMMAND | MF_STRING, 20, u"twenty"));
  ASSERT_TRUE(InsertMenuW(m, 0, MF_BYPOSITION | MF_STRING, 5, u"five"));
  ASSERT_TRUE(InsertMenuW(m, static_cast<UINT>(-1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr));
  EXPECT_FALSE(InsertMenuW(m, 77, MF_BYCOMMAND | MF_STRING, 1, u"x")) << "no item 77 to insert before";
  EXPECT_EQ(Ids(m), (std::vector<UINT>{5, 10, 20, 30, 0}));
  EXPECT_EQ(GetMenuItemID(m, 5), static_cast<UINT>(-1));
  EXPECT_TRUE(DeleteMenu(m, 20, MF_BYCOMMAND));
  EXPECT_EQ(Ids(m), (std::vector<UINT>{5, 10, 30, 0}));
  DestroyMenu(m);
  // No menu contains itself; destroying takes the pop-ups along, and stale handles fail.
  HMENU bar = CreateMenu();
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"sub"));
  EXPECT_FALSE(AppendMenuW(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(bar), u"loop"));
  EXPECT_FALSE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(bar), u"self"));
  EXPECT_EQ(GetSubMenu(bar, 0), sub);
  EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION) & MF_POPUP, static_cast<UINT>(MF_POPUP));
  ASSERT_TRUE(DestroyMenu(bar));
  EXPECT_EQ(std::tuple(IsMenu(bar), IsMenu(sub), GetMenuItemCount(bar), AppendMenuW(bar, MF_STRING, 1, u"x"), DestroyMenu(bar)),
            std::tuple(FALSE, FALSE, -1, FALSE, FALSE));
  // A handle of another kind in the same table is not a menu.
  HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(128));
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(IsMenu(reinterpret_cast<HMENU>(icon)));
}

// The program menu's pop-up, tracked on a fresh owner.
class TrackTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
    popup = GetSubMenu(bar, 0);
  }
  void TearDown() override {
    DestroyMenu(bar);
    UiTest::TearDown();
  }
  HMENU bar = nullptr, popup = nullptr;
};

TEST_F(TrackTest, InitMenuPopupComesFirstItsCheckMarksShowAndTheTextsGoAfterwards) {
  OnOwner([&](HWND, UINT msg, WPARAM w, LPARAM, LRESULT* r) {
    if (msg != WM_INITMENUPOPUP) return false;
    CheckMenuItem(reinterpret_cast<HMENU>(w), 33340, MF_BYCOMMAND | MF_CHECKED);
    *r = 0;
    return true;
  });
  std::optional<std::vector<MenuItemInfo>> seen;
  bool drawn = false;
  Then([&] {
    seen = CurrentMenu();
    drawn = uitest::OnScreen(u"연락처 새로고침") && uitest::OnScreen(u"종료시 숨기기");
    return seen && CancelMenu();
  });
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_RETURNCMD, 10, 10, owner_, nullptr), 0);
  EXPECT_TRUE(drawn);
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(uitest::OnScreen(u"연락처 새로고침"));
  auto init = Got(WM_INITMENUPOPUP);
  ASSERT_EQ(init.size(), 1u);
  EXPECT_EQ(reinterpret_cast<HMENU>(init[0].wParam), popup);
  ASSERT_TRUE(seen && seen->size() == 12u);
  EXPECT_EQ(std::tuple(Row(*seen, 33340)->checked, Row(*seen, 33341)->checked, (*seen)[2].separator, (*seen)[0].text),
            std::tuple(true, false, true, u"문자 잠그기"));
  for (const auto& item : *seen) EXPECT_GE(item.rect.bottom - item.rect.top, item.separator ? 1 : 40);
}

// A tap on an item posts its command, or returns it with TPM_RETURNCMD; a separator or a grayed
// item can be neither tapped nor chosen; a tap beside the menu cancels with zero, posts nothing
// and is not passed on.
TEST_F(TrackTest, ATapOnAnItemChoosesItUnlessSeparatorOrGrayedAndATapBesideCancels) {
  EnableMenuItem(popup, 33342, MF_BYCOMMAND | MF_GRAYED);
  Then(TapBeside());
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 0, 0, owner_, nullptr), 0);
  bool chooseRefused = false, openAfterTaps = false;
  Then([&] {
    auto menu = CurrentMenu();
    if (!menu) return false;
    chooseRefused = !ChooseMenuItem(0) && !ChooseMenuItem(33342) && !ChooseMenuItem(12345);
    TapCentre((*menu)[2].rect);          // a separator
    TapCentre(Row(*menu, 33342)->rect);  // grayed
    return true;
  });
  Then([&] {
    auto menu = CurrentMenu();
    openAfterTaps = menu.has_value();
    if (menu) TapCentre(Row(*menu, 33347)->rect);
    return true;
  });
  EXPECT_EQ(TrackPopupMenu(popup, TPM_LEFTALIGN, 0, 0, 0, owner_, nullptr), TRUE);
  EXPECT_TRUE(chooseRefused && openAfterTaps);
  EXPECT_FALSE(CurrentMenu().has_value());
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, owner_, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(std::pair(LOWORD(msg.wParam), msg.lParam), std::pair(WORD(33347), LPARAM(0)));
  // With TPM_RETURNCMD the command is returned and nothing posted.
  Then(Choose(33348));
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 0, 0, owner_, nullptr), 33348);
  EXPECT_FALSE(PeekMessageW(&msg, owner_, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  Then(TapBeside());
  EXPECT_EQ(TrackPopupMenuEx(popup, 0, 0, 0, owner_, nullptr), FALSE);
  platform::wm::PumpUntilIdle();
  EXPECT_TRUE(Got(WM_COMMAND).empty());
  EXPECT_TRUE(Got(WM_LBUTTONDOWN).empty() && Got(WM_LBUTTONUP).empty()) << "the cancelling tap is not passed on";
}

TEST_F(TrackTest, AlignmentFlagsPlaceTheMenuAndKeepItOnScreen) {
  std::optional<std::vector<MenuItemInfo>> seen;
  Then(SeeAndCancel(&seen));
  TrackPopupMenuEx(popup, TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD, 470, 740, owner_, nullptr);
  ASSERT_TRUE(seen);
  EXPECT_LE(seen->back().rect.bottom, 740);
  EXPECT_GT(seen->back().rect.bottom, 740 - 20);
  EXPECT_LE(seen->front().rect.right, 470);
  EXPECT_GT(seen->front().rect.right, 470 - 20);
  Then(SeeAndCancel(&seen));
  TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_RETURNCMD, 470, 790, owner_, nullptr);
  ASSERT_TRUE(seen);
  EXPECT_GE(seen->front().rect.left, 0);
  EXPECT_LE(seen->front().rect.right, 480);
  EXPECT_LE(seen->back().rect.bottom, 800);
}

TEST_F(TrackTest, KeysMoveOverSeparatorsAndEnterChooses) {
  Then([] {
    if (!CurrentMenu()) return false;
    for (int i = 0; i < 3; ++i) Stroke(VK_DOWN);
    platform::wm::InjectKey(VK_RETURN, true);
    return true;
  });
  EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, 0, 0, owner_, nullptr), 33342);
  platform::wm::InjectKey(VK_RETURN, false);
  platform::wm::PumpUntilIdle();
  EXPECT_TRUE(Got(WM_KEYDOWN).empty()) << "the menu took the keys";
}

TEST_F(TrackTest, AnEmptyMenuCanBeFilledInInitMenuPopupAndBadArgumentsFailAtOnce) {
  HMENU m = CreatePopupMenu();
  EXPECT_FALSE(TrackPopupMenuEx(m, TPM_RETURNCMD, 0, 0, owner_, nullptr)) << "still empty: nothing shown";
  EXPECT_EQ(Got(WM_INITMENUPOPUP).size(), 1u);
  OnOwner([](HWND, UINT msg, WPARAM w, LPARAM, LRESULT* r) {
    if (msg != WM_INITMENUPOPUP) return false;
    AppendMenuW(reinterpret_cast<HMENU>(w), MF_STRING, 7, u"seven");
    *r = 0;
    return true;
  });
  Then(Choose(7));
  EXPECT_EQ(TrackPopupMenuEx(m, TPM_RETURNCMD, 0, 0, owner_, nullptr), 7);
  // No owner, or a destroyed menu, fails at once without asking the owner.
  EXPECT_FALSE(TrackPopupMenuEx(m, TPM_RETURNCMD, 0, 0, nullptr, nullptr));
  DestroyMenu(m);
  EXPECT_FALSE(TrackPopupMenuEx(m, TPM_RETURNCMD, 0, 0, owner_, nullptr));
  EXPECT_EQ(Got(WM_INITMENUPOPUP).size(), 2u);
}
