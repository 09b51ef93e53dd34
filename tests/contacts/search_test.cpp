#include "book_fixture.h"

using parlo::ContactEntry;
using parlo_test::BookTest;
using parlo_test::Card;

namespace {

class SearchTest : public BookTest {
 protected:
  parlo::ContactBook& Load(const std::string& vcf) {
    Store(vcf);
    parlo::ContactBook& book = Open();
    book.LoadContacts(false);
    return book;
  }
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
  };
  for (const auto& c : cases) {
    std::filesystem::remove(CacheFile());
    parlo::ContactBook& book = Load(c.cards);
    if (c.latin) book.ToggleKeyMode();
    for (int d : c.keys) book.PushKey(d);
    ASSERT_EQ(book.RunFilter(true, false, false, true), static_cast<int>(c.found.size())) << c.cards;
    EXPECT_EQ(Names(book, static_cast<int>(c.found.size())), c.found);
    if (!c.found.empty() && c.keys.size() == 3) {
      EXPECT_EQ(book.EntryAt(0)->nameMatch[0], 0);
      EXPECT_EQ(book.EntryAt(0)->nameMatch[1], 3);
    }
  }
}

TEST_F(SearchTest, LatinKeysPassOverSeparators) {
  parlo::ContactBook& book = Load(Card("Kim Su", "010"));
  book.ToggleKeyMode();
  EXPECT_FALSE(book.HangulMode());
  ContactEntry* e = book.FullEntry(0);
  struct Case {
    int a, b, start, end;
  } cases[] = {{5, 4, 0, 2}, {7, 8, 4, 6}, {5, 7, 2, 5}};
  for (const Case& c : cases) {
    book.PushKey(c.a);
    book.PushKey(c.b);
    ASSERT_EQ(book.RunFilter(true, false, false, true), 1) << c.a << c.b;
    EXPECT_EQ(e->nameMatch[0], c.start) << c.a << c.b;
    EXPECT_EQ(e->nameMatch[1], c.end) << c.a << c.b;
    book.PopKey();
    book.PopKey();
  }
}

// Digits match numbers past the dashes inside them, and the matching number becomes the selected one.
TEST_F(SearchTest, DigitsMatchNumbersPassingDashesAndSelectTheMatchingNumber) {
  parlo::ContactBook& book = Load(Card("A", "010-1234-5678", "02-777"));
  ContactEntry* e = book.FullEntry(0);
  EXPECT_EQ(e->selectedNumber, 0);
  const struct {
    std::vector<int> keys;
    int start, end, selected;
  } cases[] = {{{1, 2, 3, 4}, 4, 8, 0}, {{0, 1, 0, 1}, 0, 5, 0}, {{7, 7}, 3, 5, 2}};
  for (const auto& c : cases) {
    for (int d : c.keys) book.PushKey(d);
    ASSERT_EQ(book.RunFilter(false, true, false, true), 1) << c.keys.size();
    EXPECT_EQ(e->numberMatch[0], c.start) << c.keys[0];
    EXPECT_EQ(e->numberMatch[1], c.end) << c.keys[0];
    EXPECT_EQ(e->selectedNumber, c.selected) << c.keys[0];
    for (size_t i = 0; i < c.keys.size(); ++i) book.PopKey();
  }
}

TEST_F(SearchTest, SearchesOnlyWhatTheFlagsAllow) {
  parlo::ContactBook& book = Load(Card("김철수", "010-1675"));
  for (int d : {1, 6, 7}) book.PushKey(d);
  EXPECT_EQ(book.RunFilter(false, false, false, true), 0);
  EXPECT_EQ(book.RunFilter(false, true, false, true), 1);  // 1 6 7 is in the number too
  EXPECT_EQ(book.RunFilter(true, false, false, true), 1);
}

TEST_F(SearchTest, NarrowsAfterAKeyAndStartsOverAfterABackspace) {
  parlo::ContactBook& book =
      Load(Card("김철수", "010") + Card("김지훈", "011") + Card("고영희", "012") + Card("이영희", "013"));
  book.PushKey(1);
  ASSERT_EQ(book.RunFilter(true, false, false, true), 3);
  book.PushKey(6);  // ㄱ then ㅈ/ㅊ
  ASSERT_EQ(book.RunFilter(true, false, false, false), 2);
  EXPECT_EQ(Names(book, 2), (std::vector<std::u16string>{u"김철수", u"김지훈"}));
  // Narrowing reads the previous result only: a contact outside it is not looked at again.
  book.PushKey(7);
  ASSERT_EQ(book.RunFilter(true, false, false, false), 1);
  EXPECT_EQ(Name(book.EntryAt(0)), u"김철수");
  book.PopKey();
  book.PopKey();
  ASSERT_EQ(book.RunFilter(true, false, false, true), 3);  // from the full list again
  EXPECT_EQ(Name(book.EntryAt(2)), u"고영희");
}

TEST_F(SearchTest, CategoryRules) {
  parlo::ContactBook& book = Load(Card("Both", "1", "", "Family,Work") + Card("Exact", "2", "", "Work") +
                                  Card("Workers", "3", "", "Workers") + Card("None", "4"));
  // Categories: 전체, Family, Work, Workers, "", 단체문자
  ASSERT_EQ(book.Categories().size(), 6u);
  book.SetCategoryIndex(2);  // Work
  EXPECT_TRUE(book.IsFiltering(true));
  EXPECT_FALSE(book.IsFiltering(false));
  ASSERT_EQ(book.RunFilter(true, true, false, true), 2);
  EXPECT_EQ(Names(book, 2), (std::vector<std::u16string>{u"Both", u"Exact"}));
  book.SetCategoryIndex(4);  // the empty name: contacts without a category
  ASSERT_EQ(book.RunFilter(true, true, false, true), 1);
  EXPECT_EQ(Name(book.EntryAt(0)), u"None");
}

TEST_F(SearchTest, NoKeysShowTheFullListAndTheGroupCategoryThePickedContacts) {
  parlo::ContactBook& book = Load(Card("A", "1") + Card("B", "2"));
  EXPECT_FALSE(book.IsFiltering(true));
  EXPECT_EQ(Name(book.EntryAt(1)), u"B");
  EXPECT_EQ(book.EntryAt(2), nullptr);
  book.SetCategoryIndex(static_cast<int>(book.Categories().size()) - 1);
  EXPECT_TRUE(book.IsGroupCategory());
  book.GroupList().push_back(book.FullEntry(1));
  book.PushKey(9);  // no matching is done for the group
  ASSERT_EQ(book.RunFilter(true, true, false, true), 1);
  EXPECT_EQ(Name(book.EntryAt(0)), u"B");
}

TEST_F(SearchTest, QueryStateAndItsBound) {
  parlo::ContactBook& book = Load(Card("A", "1"));
  for (int i = 0; i < 20; ++i) book.PushKey(i % 10);
  EXPECT_EQ(book.DigitCount(), 15);
  EXPECT_EQ(book.LetterCount(), 15);
  EXPECT_EQ(book.Digits(), u"012345678901234");
  book.PopKey();
  EXPECT_EQ(book.Digits(), u"01234567890123");
  EXPECT_EQ(book.Letters().size(), 14u);
  EXPECT_EQ(book.Letters()[1], u'ㄱ');
  for (int i = 0; i < 20; ++i) book.PopKey();
  EXPECT_EQ(book.DigitCount(), 0);
  EXPECT_EQ(book.LetterCount(), 0);
  book.PushKey(10);  // not a key
  book.PushKey(-1);
  EXPECT_EQ(book.DigitCount(), 0);
}

}  // namespace
