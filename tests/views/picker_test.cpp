// The contact picker over a small contact store: the keypad, the categories, the highlighted
// matches and picking, seen as the user sees them.
#include "contacts/book_fixture.h"
#include "view_fixture.h"
#include "views/picker_view.h"

namespace viewtest {
namespace {

using parlo::PickerView;
using Names = std::vector<std::u16string>;
using parlo_test::Card;

// Keys by what they type; the pad's positions follow the phone's layout.
enum PadKey { k1 = 0, k2 = 1, k3 = 2, kBack = 3, k4 = 4, k5 = 5, k6 = 6, k0 = 7, k7 = 8, k8 = 9, k9 = 10, kMode = 11 };

class PickerTest : public ViewTest, public parlo_test::ContactDevice {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    StartContacts(device_->dir());
    contacts_ = &ContactDevice::Load(Card("김철수", "020-2345-6789", "", "Family") + Card("이영희", "021-6000-0000") +
                                     Card("고 장미", "020-2222-2222", "", "Work") + Card("박민수", "020-5478-0000") +
                                     Card("코치", "020-4444-4444", "", "Work") + Card("최하나", "031-555-5555"));
    settings_.find_name = true;
    view_ = std::make_unique<PickerView>(Context());
    ASSERT_NE(view_->CreateViewWindow(frame_, RECT{0, 0, kScreenW, kScreenH}), nullptr);
    SetFocus(view_->Window());
    view_->OnShown(0, 0);
    Pump();
    calls_.clear();
  }
  void TearDown() override {
    view_.reset();
    StopContacts();
    ViewTest::TearDown();
  }

  HWND Pad() const { return view_->keypad().hwnd(); }
  void Press(std::initializer_list<PadKey> keys) {
    for (PadKey k : keys) Tap(Pad(), Center(view_->keypad().KeyRect(k)));
  }
  void TapRow(int row) { Tap(view_->list().hwnd(), Center(view_->list().RowRect(row))); }
  void Category(int index) { Command(view_->Window(), parlo::ID_CATEGORY_FIRST + index); }
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

  std::unique_ptr<PickerView> view_;
};

// Letting go away from the pressed key types nothing: on another key, or out of the pad over the
// list (the pad holds the capture).
TEST_F(PickerTest, KeysNarrowByConsonantsAndNumbersAndBackspaceSearchesEverythingAgain) {
  const RECT one = view_->keypad().KeyRect(k1);
  for (POINT to : {Center(view_->keypad().KeyRect(k2)), POINT{Center(one).x, -40}}) {
    Down(Pad(), Center(one));
    EXPECT_EQ(view_->keypad().PressedKey(), k1);
    Up(Pad(), to);
    Pump();
    EXPECT_EQ(std::pair(view_->keypad().PressedKey(), book_->DigitCount()), std::pair(-1, 0));
  }
  EXPECT_EQ(Listed().size(), 6u);
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
    EXPECT_EQ(std::pair(book_->Digits(), Listed()), std::pair(std::u16string(u"16"), c.afterOneSix)) << c.byNumber;
    Press({kBack});
    EXPECT_EQ(Listed(), c.afterBack) << c.byNumber;
    Press({kBack, kBack});  // one more than typed: nothing left to take back
    EXPECT_EQ(Listed().size(), 6u);
  }
}

// The category menu checks the current choice and sets the group list apart; a category filters
// the list and labels the button, and the keys still narrow within it. Back leaves for a new message.
TEST_F(PickerTest, CategoriesFromTheMenuFilterAndLabelTheButtonAndBackLeaves) {
  ASSERT_EQ(book_->Categories(), (Names{u"전체", u"Family", u"Work", u"", u"단체문자"}));
  Category(1);
  std::vector<platform::ui::MenuItemInfo> items;
  OnMenu([&items] {
    items = *platform::ui::CurrentMenu();
    platform::ui::ChooseMenuItem(parlo::ID_CATEGORY_FIRST + 3);
  });
  Tap(view_->Window(), Center(view_->CategoryButtonRect()));
  ASSERT_EQ(items.size(), 6u);
  const char16_t* texts[] = {u"전체", u"Family", u"Work", u"범주없음", u"", u"단체문자"};
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(std::tuple(items[i].text, items[i].checked), std::tuple(texts[i], i == 1)) << i;
  EXPECT_EQ(std::pair(items[4].separator, items[5].id), std::pair(true, UINT(parlo::ID_CATEGORY_FIRST + 4)));
  const struct {
    int index;  // -1: the one chosen from the menu
    std::u16string label;
    Names listed;
  } cases[] = {
      {-1, u"범주 : 범주없음", {u"이영희", u"박민수", u"최하나"}},
      {2, u"범주 : Work", {u"고 장미", u"코치"}},
      {0, u"범주 : 전체", {u"김철수", u"이영희", u"고 장미", u"박민수", u"코치", u"최하나"}},
  };
  for (const auto& c : cases) {
    if (c.index >= 0) Category(c.index);
    EXPECT_EQ(std::pair(view_->CategoryLabel(), Listed()), std::pair(c.label, c.listed)) << c.index;
  }
  Category(2);
  const Names work{u"고 장미", u"코치"};
  for (auto [key, listed] : {std::pair{k1, work}, {k6, work}, {k7, Names{}}}) {
    Press({key});
    EXPECT_EQ(Listed(), listed) << key;
  }
  calls_.clear();
  Tap(view_->Window(), Center(view_->BackButtonRect()));  // back asks for an empty compose view
  EXPECT_EQ(calls_, (std::vector<Asked>{{UM_SHOWCOMPOSE, COMPOSE_NEW, 0}}));
}

using Pieces = std::vector<std::pair<std::u16string, COLORREF>>;
constexpr COLORREF kGrey = parlo::kContactNameColor;
constexpr COLORREF kGreen = parlo::kNameHighlight;
constexpr COLORREF kCyan = parlo::kNumberHighlight;

// Without keys, and in the group list, nothing is highlighted.
TEST_F(PickerTest, TheMatchedPartIsDrawnInItsHighlightColourAndOnlyThat) {
  settings_.find_call_number = true;
  const COLORREF numberColor = GetSysColor(COLOR_BTNSHADOW);
  for (const auto& [text, c] : ListTexts()) EXPECT_TRUE(c == kGrey || c == numberColor);
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
  for (const auto& [text, c] : texts) EXPECT_NE(c, kGreen);
}

}  // namespace
}  // namespace viewtest
