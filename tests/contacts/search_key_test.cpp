#include <gtest/gtest.h>

#include "contacts/search_key.h"

using parlo::MakeSearchKey;

namespace {

std::u16string Key(const char16_t* name, int max = 10) {
  WCHAR key[10];
  for (auto& k : key) k = 0x7777;  // so a missing terminator shows
  int n = MakeSearchKey(name, key, max);
  return std::u16string(key, n);
}

// Hangul syllables become their initial consonants (doubled ones the single ones); Latin is
// lower-cased, digits kept, everything else a star.
TEST(SearchKey, WhatEachCharacterBecomes) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"김철수", u"ㄱㅊㅅ"}, {u"까치", u"ㄱㅊ"},     {u"뿌리 쌍", u"ㅂㄹ*ㅅ"},
      {u"힣", u"ㅎ"},  // the last syllable still indexes the table
      {u"Kim Su", u"kim*su"}, {u"A-1.z", u"a*1*z"},
      {u"漢字ㄱé", u"****"},  // ideographs, bare jamo and accents are not searchable
  };
  for (auto [name, key] : cases) EXPECT_EQ(Key(name), key);
}

TEST(SearchKey, TerminatedOnlyWhenShorterThanMax) {
  WCHAR key[10];
  for (auto& k : key) k = 0x7777;
  EXPECT_EQ(MakeSearchKey(u"ab", key, 10), 2);
  EXPECT_EQ(key[2], 0);
  for (auto& k : key) k = 0x7777;
  EXPECT_EQ(MakeSearchKey(u"abcdefghijklmnopqrst", key, 10), 10);  // only the first 10 take part
  EXPECT_EQ(std::u16string(key, 10), u"abcdefghij");
  EXPECT_EQ(MakeSearchKey(u"", key, 10), 0);
  EXPECT_EQ(key[0], 0);
}

TEST(SearchKey, RowsAreFoundByTheirLeadLetterInEitherTable) {
  EXPECT_EQ(parlo::RowForLetter(u'ㄱ'), parlo::kHangulRows[1]);
  EXPECT_EQ(parlo::RowForLetter(u'k'), parlo::kLatinRows[5]);
  EXPECT_EQ(parlo::RowForLetter(u'ㅋ'), nullptr);  // in row 1, but not its lead letter
  EXPECT_EQ(parlo::RowForLetter(u'l'), nullptr);
}

}  // namespace
