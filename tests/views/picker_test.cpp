// The contact picker on a 480 x 800, 192 dpi screen over a small contact store: the keypad,
// the categories, the highlighted matches and picking, seen as the user sees them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contacts/book_fixture.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "model/message_store.h"
#include "platform/gdi/screen.h"
#include "platform/ui/ui_state.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "views/picker_view.h"
#include "views/view_mode.h"

namespace {

using parlo::ContactKeypad;
using parlo::PickerView;
using Names = std::vector<std::u16string>;
using parlo_test::Card;

// Keys by what they type; the pad's positions follow the phone's layout.
enum PadKey { k1 = 0, k2 = 1, k3 = 2, kBack = 3, k4 = 4, k5 = 5, k6 = 6, k0 = 7, k7 = 8, k8 = 9, k9 = 10, kMode = 11 };

struct Call {
  UINT message;
  WPARAM wParam;
};
std::vector<Call> g_calls;
std::function<void()> g_onMenu;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= UM_SHOWTHREAD && message <= UM_SHOWCONTACTS) {
    g_calls.push_back({message, wParam});
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class PickerTest : public parlo_test::BookTest {
 protected:
  void SetUp() override {
    platform::gdi::CreateScreen(480, 800, 192, 192);
    parlo::ResetDpiCacheForTests();
    static const bool once = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = FrameProc;
      wc.lpszClassName = u"PickerTestFrame";
      RegisterClassW(&wc);
      // Answers a tracked menu from inside its loop, as a user would.
      platform::wm::AddIdlePoller([] {
        if (g_onMenu && platform::ui::CurrentMenu()) std::exchange(g_onMenu, nullptr)();
      });
      return true;
    }();
    (void)once;
    BookTest::SetUp();
    Store(Card("김철수", "020-2345-6789", "", "Family") + Card("이영희", "021-6000-0000") +
          Card("고 장미", "020-2222-2222", "", "Work") + Card("박민수", "020-5478-0000") +
          Card("코치", "020-4444-4444", "", "Work") + Card("최하나", "031-555-5555"));
    Open();
    book_->LoadContacts(false);
    settings_.find_name = true;
    store_ = std::make_unique<MessageStore>(settings_, nullptr);
    skin_ = std::make_unique<parlo::Skin>();
    frame_ = CreateWindowExW(0, u"PickerTestFrame", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    view_ = std::make_unique<PickerView>(parlo::ViewContext{settings_, *store_, *skin_, book_.get(), frame_});
    ASSERT_NE(view_->CreateViewWindow(frame_, RECT{0, 0, 480, 800}), nullptr);
    SetFocus(view_->Window());
    view_->OnShown(0, 0);
    Pump();
    g_calls.clear();
  }
  void TearDown() override {
    g_onMenu = nullptr;
    view_.reset();
    if (frame_) DestroyWindow(frame_);
    Pump();
    BookTest::TearDown();
  }

  static void Pump() { platform::wm::PumpUntilIdle(); }
  HWND Pad() const { return view_->keypad().hwnd(); }
  static POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  static void Send(HWND w, UINT message, POINT p) { SendMessageW(w, message, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  void Press(std::initializer_list<PadKey> keys) {
    for (PadKey k : keys) {
      const POINT p = Center(view_->keypad().KeyRect(k));
      Send(Pad(), WM_LBUTTONDOWN, p);
      Send(Pad(), WM_LBUTTONUP, p);
      Pump();
    }
  }
  void Tap(HWND w, POINT p) {
    Send(w, WM_LBUTTONDOWN, p);
    Send(w, WM_LBUTTONUP, p);
    Pump();
  }
  void TapRow(int row) { Tap(view_->list().hwnd(), Center(view_->list().RowRect(row))); }
  void Key(UINT vk) {
    SendMessageW(view_->Window(), WM_KEYUP, vk, 0);
    Pump();
  }
  void Category(int index) {
    SendMessageW(view_->Window(), WM_COMMAND, parlo::ID_CATEGORY_FIRST + index, 0);
    Pump();
  }
  Names Listed() const {
    Names names;
    for (int i = 0; i < view_->list().RowCount(); ++i) names.push_back(book_->EntryAt(i)->name);
    return names;
  }
  // The texts the list area shows, each with its colour, in drawing order.
  std::vector<std::pair<std::u16string, COLORREF>> ListTexts() const {
    RECT list{};
    GetWindowRect(view_->list().hwnd(), &list);
    std::vector<std::pair<std::u16string, COLORREF>> out;
    for (const auto& run : platform::gdi::ScreenTextRuns())
      if (run.rect.top >= list.top && run.rect.bottom <= list.bottom) out.emplace_back(run.text, run.color);
    return out;
  }

  Settings settings_;
  std::unique_ptr<MessageStore> store_;
  std::unique_ptr<parlo::Skin> skin_;
  HWND frame_ = nullptr;
  std::unique_ptr<PickerView> view_;
};

TEST_F(PickerTest, KeysNarrowByConsonantsAndNumbersAndBackspaceSearchesEverythingAgain) {
  struct Case {
    bool byNumber;
    Names afterOneSix, afterBack;
  } cases[] = {
      {false, {u"김철수", u"고 장미", u"코치"}, {u"김철수", u"고 장미", u"코치"}},
      {true, {u"김철수", u"이영희", u"고 장미", u"코치"}, {u"김철수", u"이영희", u"고 장미", u"코치", u"최하나"}},
  };
  for (const Case& c : cases) {
    settings_.find_call_number = c.byNumber;
    Press({k1, k6});
    EXPECT_EQ(book_->Digits(), u"16");
    EXPECT_EQ(Listed(), c.afterOneSix) << c.byNumber;
    Press({kBack});
    EXPECT_EQ(Listed(), c.afterBack) << c.byNumber;
    Press({kBack, kBack});  // one more than typed: nothing left to take back
    EXPECT_EQ(Listed().size(), 6u);
  }
}

TEST_F(PickerTest, LettingGoAwayFromThePressedKeyDoesNothing) {
  const RECT one = view_->keypad().KeyRect(k1);
  // To another key, and out of the pad over the list (the pad holds the capture).
  for (POINT to : {Center(view_->keypad().KeyRect(k2)), POINT{Center(one).x, -40}}) {
    Send(Pad(), WM_LBUTTONDOWN, Center(one));
    EXPECT_EQ(view_->keypad().PressedKey(), k1);
    Send(Pad(), WM_LBUTTONUP, to);
    Pump();
    EXPECT_EQ(view_->keypad().PressedKey(), -1);
    EXPECT_EQ(book_->DigitCount(), 0);
  }
  EXPECT_EQ(Listed().size(), 6u);
}

TEST_F(PickerTest, CategoriesFilterAndLabelTheButton) {
  const auto& categories = book_->Categories();
  ASSERT_EQ(categories, (Names{u"전체", u"Family", u"Work", u"", u"단체문자"}));
  struct Case {
    int index;
    std::u16string label;
    Names listed;
  } cases[] = {
      {2, u"범주 : Work", {u"고 장미", u"코치"}},
      {3, u"범주 : 범주없음", {u"이영희", u"박민수", u"최하나"}},
      {0, u"범주 : 전체", {u"김철수", u"이영희", u"고 장미", u"박민수", u"코치", u"최하나"}},
  };
  for (const Case& c : cases) {
    Category(c.index);
    EXPECT_EQ(view_->CategoryLabel(), c.label);
    EXPECT_EQ(Listed(), c.listed) << c.index;
  }
  // The keys still narrow within a category.
  Category(2);
  Press({k1});
  EXPECT_EQ(Listed(), (Names{u"고 장미", u"코치"}));
  Press({k6});
  EXPECT_EQ(Listed(), (Names{u"고 장미", u"코치"}));
  Press({k7});
  EXPECT_TRUE(Listed().empty());
}

TEST_F(PickerTest, CategoryMenuChecksTheChoiceAndSetsTheGroupListApart) {
  Category(1);
  std::vector<platform::ui::MenuItemInfo> items;
  g_onMenu = [&items] {
    items = *platform::ui::CurrentMenu();
    platform::ui::ChooseMenuItem(parlo::ID_CATEGORY_FIRST + 3);
  };
  Tap(view_->Window(), Center(view_->CategoryButtonRect()));
  ASSERT_EQ(items.size(), 6u);
  const char16_t* texts[] = {u"전체", u"Family", u"Work", u"범주없음", u"", u"단체문자"};
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].text, texts[i]) << i;
    EXPECT_EQ(items[i].checked, i == 1) << i;
  }
  EXPECT_TRUE(items[4].separator);
  EXPECT_EQ(items[5].id, parlo::ID_CATEGORY_FIRST + 4);
  EXPECT_EQ(view_->CategoryLabel(), u"범주 : 범주없음");
  EXPECT_EQ(Listed(), (Names{u"이영희", u"박민수", u"최하나"}));
}

using Pieces = std::vector<std::pair<std::u16string, COLORREF>>;
constexpr COLORREF kGrey = parlo::kContactNameColor;
constexpr COLORREF kGreen = parlo::kNameHighlight;
constexpr COLORREF kCyan = parlo::kNumberHighlight;

TEST_F(PickerTest, TheMatchedPartIsDrawnInItsHighlightColour) {
  settings_.find_call_number = true;
  const COLORREF numberColor = GetSysColor(COLOR_BTNSHADOW);
  struct Case {
    std::initializer_list<PadKey> keys;
    Pieces first;  // the first row's name, then its number
  } cases[] = {
      {{k1}, {{u"김", kGreen}, {u"철수", kGrey}, {u"020-2345-6789", numberColor}}},
      {{k6}, {{u"김", kGrey}, {u"철", kGreen}, {u"수", kGrey}, {u"020-2345-", numberColor}, {u"6", kCyan}, {u"789", numberColor}}},
      {{k7}, {{u"김철", kGrey}, {u"수", kGreen}, {u"020-2345-6", numberColor}, {u"7", kCyan}, {u"89", numberColor}}},
      {{k2, k3}, {{u"김철수", kGrey}, {u"020-", numberColor}, {u"23", kCyan}, {u"45-6789", numberColor}}},
      {{k6, k7, k8, k9}, {{u"김철수", kGrey}, {u"020-2345-", numberColor}, {u"6789", kCyan}}},
      // Listed for its number only: no name range from an earlier query may show.
      {{k5, k4, k7, k8}, {{u"박민수", kGrey}, {u"020-", numberColor}, {u"5478", kCyan}, {u"-0000", numberColor}}},
      {{k0, k2, k0, k2}, {{u"김철수", kGrey}, {u"020-2", kCyan}, {u"345-6789", numberColor}}},
  };
  for (const Case& c : cases) {
    Press(c.keys);
    const auto texts = ListTexts();
    ASSERT_GE(texts.size(), c.first.size());
    EXPECT_EQ(Pieces(texts.begin(), texts.begin() + static_cast<long>(c.first.size())), c.first)
        << static_cast<int>(*c.keys.begin());
    while (book_->DigitCount() > 0) Press({kBack});
  }
}

TEST_F(PickerTest, WithoutKeysAndInTheGroupListNothingIsHighlighted) {
  auto colours = [this] {
    std::vector<COLORREF> out;
    for (const auto& [text, colour] : ListTexts()) out.push_back(colour);
    return out;
  };
  for (COLORREF c : colours()) EXPECT_TRUE(c == kGrey || c == GetSysColor(COLOR_BTNSHADOW));
  Press({k1});
  TapRow(0);  // 김철수 into the group list
  ASSERT_EQ(book_->GroupList().size(), 1u);
  // The group list as the frame would show it after a pick, with the query still typed.
  book_->SetCategoryIndex(4);
  book_->RunFilter(true, false, false, false);
  view_->list().Fill(1);
  InvalidateRect(view_->list().hwnd(), nullptr, FALSE);
  UpdateWindow(view_->list().hwnd());
  const auto texts = ListTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front().first, u"김철수");
  for (COLORREF c : colours()) EXPECT_NE(c, kGreen);
}

TEST_F(PickerTest, TapOrEnterPicksTheContactAndBackAsksForAnEmptyComposeView) {
  TapRow(1);
  ASSERT_EQ(book_->GroupList().size(), 1u);
  EXPECT_EQ(std::u16string(book_->GroupList()[0]->name), u"이영희");
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].message, static_cast<UINT>(UM_SHOWCOMPOSE));
  EXPECT_EQ(g_calls[0].wParam, static_cast<WPARAM>(COMPOSE_TO_PICKED));

  // The frame shows the picker again: the group list starts empty.
  view_->OnShown(0, 0);
  EXPECT_TRUE(book_->GroupList().empty());
  g_calls.clear();
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  ASSERT_EQ(book_->GroupList().size(), 1u);
  EXPECT_EQ(std::u16string(book_->GroupList()[0]->name), u"고 장미");
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].wParam, static_cast<WPARAM>(COMPOSE_TO_PICKED));

  // The back button asks for an empty compose view.
  g_calls.clear();
  Tap(view_->Window(), Center(view_->BackButtonRect()));
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].message, static_cast<UINT>(UM_SHOWCOMPOSE));
  EXPECT_EQ(g_calls[0].wParam, static_cast<WPARAM>(COMPOSE_NEW));
}

}  // namespace
