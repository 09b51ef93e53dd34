#include <gtest/gtest.h>

#include "contacts/search_key.h"

using parlo::MakeSearchKey;

namespace {

// The key of `name`, which is terminated only when shorter than the buffer.
std::u16string Key(const char16_t* name) {
  WCHAR key[10];
  for (auto& k : key) k = 0x7777;  // so a missing terminator shows
  const int n = MakeSearchKey(name, key, 10);
  if (n < 10) {
    EXPECT_EQ(key[n], 0) << n;
  }
  return std::u16string(key, n);
}

// Hangul syllables become their initial consonants (doubled ones the single ones); Latin is
// lower-cased, digits kept, everything else a star. Only the first 10 characters take part.
TEST(SearchKey, WhatEachCharacterBecomes) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"김철수", u"ㄱㅊㅅ"}, {u"까치", u"ㄱㅊ"},     {u"뿌리 쌍", u"ㅂㄹ*ㅅ"},
      {u"힣", u"ㅎ"},  // the last syllable still indexes the table
      {u"Kim Su", u"kim*su"}, {u"A-1.z", u"a*1*z"},
      {u"漢字ㄱé", u"****"},  // ideographs, bare jamo and accents are not searchable
      {u"", u""}, {u"abcdefghijklmnopqrst", u"abcdefghij"},
  };
  for (auto [name, key] : cases) EXPECT_EQ(Key(name), key);
}

TEST(SearchKey, RowsAreFoundByTheirLeadLetterInEitherTable) {
  EXPECT_EQ(parlo::RowForLetter(u'ㄱ'), parlo::kHangulRows[1]);
  EXPECT_EQ(parlo::RowForLetter(u'k'), parlo::kLatinRows[5]);
  EXPECT_EQ(parlo::RowForLetter(u'ㅋ'), nullptr);  // in row 1, but not its lead letter
  EXPECT_EQ(parlo::RowForLetter(u'l'), nullptr);
}

}  // namespace
