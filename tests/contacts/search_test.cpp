#include <cstring>
#include <tuple>

#include "book_fixture.h"

using parlo::ContactEntry;
using parlo_test::BookTest;
using parlo_test::Card;

namespace {

class SearchTest : public BookTest {
 protected:
  static std::u16string Name(const ContactEntry* e) { return e ? std::u16string(e->name) : u"(none)"; }
  static std::vector<std::u16string> Names(parlo::ContactBook& book, int n) {
    std::vector<std::u16string> names;
    for (int i = 0; i < n; ++i) names.push_back(Name(book.EntryAt(i)));
    return names;
  }
};

// Hangul keys match initial consonants (a doubled one by its single key); punctuation never
// starts a match; only the first ten characters of a name are searched.
TEST_F(SearchTest, NameKeysFindWhatTheyShould) {
  const struct {
    std::string cards;
    bool latin;
    std::vector<int> keys;
    std::vector<std::u16string> found;
  } cases[] = {
      {Card("김철수", "010") + Card("이영희", "011") + Card("까치", "012"), false, {1, 6, 7}, {u"김철수"}},
      {Card("까치", "010") + Card("이영희", "011"), false, {1}, {u"까치"}},
      {Card("--..", "010") + Card("(주)", "011"), false, {3}, {}},
      {Card("abcdefghijxyz", "010"), true, {0}, {}},  // x y z: all past the tenth character
      // A key stands for its whole group (ㅋ with ㄱ); a space inside a match is passed over, a digit is not.
      {Card("김 철수", "010") + Card("김1철", "011") + Card("코끼리", "012"), false, {1, 6}, {u"김 철수"}},
      {Card("김 철수", "010") + Card("김1철", "011") + Card("코끼리", "012"), false, {1, 1}, {u"코끼리"}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(CacheFile());
    parlo::ContactBook& book = Load(c.cards);
    if (c.latin) book.ToggleKeyMode();
    for (int d : c.keys) book.PushKey(d);
    ASSERT_EQ(book.RunFilter(true, false, false, true), static_cast<int>(c.found.size())) << c.cards;
    EXPECT_EQ(Names(book, static_cast<int>(c.found.size())), c.found);
    if (!c.found.empty() && c.keys.size() == 3) {
      EXPECT_EQ(std::pair(book.EntryAt(0)->nameMatch[0], book.EntryAt(0)->nameMatch[1]), std::pair(0, 3));
    }
  }
}

// Latin keys pass over separators; digits match numbers past the dashes inside them, and the
// matching number becomes the selected one; each is searched only when its flag allows.
TEST_F(SearchTest, KeysPassOverSeparatorsAndDigitsSelectTheMatchingNumber) {
  parlo::ContactBook& book = Load(Card("Kim Su", "010-1234-5678", "02-777") + Card("김철수", "02-1675"));
  ContactEntry* e = book.FullEntry(0);
  EXPECT_EQ(e->selectedNumber, 0);
  const struct {
    bool latin;
    std::vector<int> keys;
    int start, end, selected;
  } cases[] = {{true, {5, 4}, 0, 2, 0},          {true, {7, 8}, 4, 6, 0},        {true, {5, 7}, 2, 5, 0},
               {false, {1, 2, 3, 4}, 4, 8, 0}, {false, {0, 1, 0, 1}, 0, 5, 0}, {false, {7, 7}, 3, 5, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.keys));
    if (c.latin != !book.HangulMode()) book.ToggleKeyMode();
    for (int d : c.keys) book.PushKey(d);
    ASSERT_EQ(book.RunFilter(c.latin, !c.latin, false, true), 1);
    const int* range = c.latin ? e->nameMatch : e->numberMatch;
    EXPECT_EQ(std::tuple(range[0], range[1], e->selectedNumber), std::tuple(c.start, c.end, c.selected));
    for (size_t i = 0; i < c.keys.size(); ++i) book.PopKey();
  }
  // 1 6 7 is ㄱㅊㅅ and in 김철수's number too.
  for (int d : {1, 6, 7}) book.PushKey(d);
  EXPECT_EQ(book.RunFilter(false, false, false, true), 0);
  EXPECT_EQ(book.RunFilter(false, true, false, true), 1);
  EXPECT_EQ(book.RunFilter(true, false, false, true), 1);
}

// The filter against the matchers run one entry at a time on copies of the entries: the same list,
// and every entry, listed or not, left with the same ranges, through keys, backspaces, narrowing,
// both key modes and with and without the numbers.
TEST_F(SearchTest, FilterLeavesEveryEntryAsTheMatchersDo) {
  const char* const names[] = {"김 철수", "Kim Su", "이1영", "까치", "(주)한국", "abcdefghijklm", "박-지-성", "코끼리", "홍길동", "x.y"};
  std::string cards;
  for (int i = 0; i < 10; ++i) cards += Card(names[i], "010-" + std::to_string(1000 + i * 137));
  parlo::ContactBook& book = Load(cards);
  std::vector<ContactEntry> copies;
  for (int i = 0; i < book.Count(); ++i) copies.push_back(*book.FullEntry(i));
  std::vector<size_t> listed;
  uint32_t seed = 7;
  for (int step = 0; step < 400; ++step) {
    seed = seed * 1103515245u + 12345u;
    const int r = (seed >> 16) % 16;
    const bool byNumber = seed >> 8 & 1;
    bool fromAll = true;
    if (r < 7) book.PushKey(static_cast<int>(seed >> 20) % 10), fromAll = false;
    else if (r < 14) book.PopKey();  // as often as a key, so queries stay short enough to find something
    else book.ToggleKeyMode();
    const bool narrow = !fromAll && (book.LetterCount() > 1 || book.DigitCount() >= 2);
    std::vector<size_t> source;
    if (narrow) source = listed;
    else
      for (size_t i = 0; i < copies.size(); ++i) source.push_back(i);
    listed.clear();
    for (size_t i : source) {
      ContactEntry& e = copies[i];
      bool nameHit = book.LetterCount() == 0 || book.MatchSearchKey(e.nameKey, e.nameLength, &e.nameMatch[0], &e.nameMatch[1]);
      bool numberHit = book.DigitCount() != 0 && byNumber && book.MatchNumber(&e);
      if (!nameHit && !numberHit) continue;
      if (!nameHit) e.nameMatch[0] = e.nameMatch[1] = 0;
      if (!numberHit) e.numberMatch[0] = e.numberMatch[1] = 0;
      listed.push_back(i);
    }
    ASSERT_EQ(book.RunFilter(true, byNumber, false, fromAll), static_cast<int>(listed.size())) << step;
    for (size_t k = 0; k < listed.size(); ++k) EXPECT_EQ(book.EntryAt(static_cast<int>(k)), book.FullEntry(static_cast<int>(listed[k])));
    for (size_t i = 0; i < copies.size(); ++i)
      ASSERT_EQ(std::memcmp(&copies[i], book.FullEntry(static_cast<int>(i)), sizeof(ContactEntry)), 0) << step << " " << i;
  }
}

// A category keeps the contacts that name it exactly, and the group category the picked contacts,
// matched against nothing (the whole list, and the empty category, are the picker's tests).
TEST_F(SearchTest, CategoryRules) {
  parlo::ContactBook& book = Load(Card("Both", "1", "", "Family,Work") + Card("Exact", "2", "", "Work") +
                                  Card("Workers", "3", "", "Workers") + Card("None", "4"));
  EXPECT_FALSE(book.IsFiltering(true));
  // The folder's categories between 전체 and the empty one, then 단체문자.
  ASSERT_EQ(book.Categories(), (std::vector<std::u16string>{u"전체", u"Family", u"Work", u"Workers", u"", u"단체문자"}));
  book.SetCategoryIndex(2);  // Work
  EXPECT_EQ(std::pair(book.IsFiltering(true), book.IsFiltering(false)), std::pair(true, false));
  ASSERT_EQ(book.RunFilter(true, true, false, true), 2);
  EXPECT_EQ(Names(book, 2), (std::vector<std::u16string>{u"Both", u"Exact"}));
  book.SetCategoryIndex(5);
  EXPECT_TRUE(book.IsGroupCategory());
  book.GroupList().push_back(book.FullEntry(1));
  book.PushKey(9);  // no matching is done for the group
  ASSERT_EQ(book.RunFilter(true, true, false, true), 1);
  EXPECT_EQ(Name(book.EntryAt(0)), u"Exact");
}

TEST_F(SearchTest, QueryStateAndItsBound) {
  parlo::ContactBook& book = Load(Card("A", "1"));
  EXPECT_EQ(book.Categories(), (std::vector<std::u16string>{u"전체", u"", u"단체문자"}));  // none in the folder
  for (int i = 0; i < 20; ++i) book.PushKey(i % 10);
  EXPECT_EQ(std::tuple(book.DigitCount(), book.LetterCount(), book.Digits()), std::tuple(15, 15, u"012345678901234"));
  book.PopKey();
  EXPECT_EQ(std::tuple(book.Digits(), book.Letters().size(), book.Letters()[1]),
            std::tuple(u"01234567890123", 14u, u'ㄱ'));
  for (int i = 0; i < 20; ++i) book.PopKey();
  EXPECT_EQ(std::pair(book.DigitCount(), book.LetterCount()), std::pair(0, 0));
  book.PushKey(10);  // not a key
  book.PushKey(-1);
  EXPECT_EQ(book.DigitCount(), 0);
}

}  // namespace
