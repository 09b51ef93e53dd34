// Counting and cutting a message: where the parts of a text end.
#include <gtest/gtest.h>

#include <string>

#include "compose/send_text.h"

namespace {

using compose::ByteLength;
using compose::CutPart;
using compose::IsAllDigits;

std::u16string Repeat(const std::u16string& unit, int n) {
  std::u16string out;
  for (int i = 0; i < n; ++i) out += unit;
  return out;
}

TEST(SendParts, ByteLengthCountsWideCharactersTwiceAndCarriageReturnsNot) {
  struct Case {
    std::u16string text;
    int bytes;
  } cases[] = {
      {u"", 0},         {u"abc", 3},        {u"한글", 4},       {u"a\r\nb", 3},
      {u"\u0080", 1},   {u"\u0081", 2},     {u"😀", 4},
  };
  for (const Case& c : cases) EXPECT_EQ(ByteLength(c.text), c.bytes) << c.text.size();
}

TEST(SendParts, APartEndsAtEightyBytesAndNeverSplitsACharacter) {
  struct Case {
    const char* what;
    std::u16string text;
    int taken;
  } cases[] = {
      {"80 ASCII", Repeat(u"a", 80), 80},
      {"81 ASCII", Repeat(u"a", 81), 80},
      {"40 syllables", Repeat(u"가", 40), 40},
      {"41 syllables", Repeat(u"가", 41), 40},
      {"79 ASCII and a syllable", Repeat(u"a", 79) + u"가", 79},
      {"a carriage return counts one here", u"\r" + Repeat(u"a", 80), 80},
      {"a surrogate pair that would cross", Repeat(u"a", 78) + u"😀", 78},
      {"a surrogate pair that fits", Repeat(u"a", 76) + u"😀b", 78},
      {"shorter than a part", u"hi", 2},
  };
  for (const Case& c : cases) {
    std::u16string part;
    EXPECT_EQ(CutPart(c.text, &part, 80), c.taken) << c.what;
    EXPECT_EQ(part, c.text.substr(0, static_cast<size_t>(c.taken))) << c.what;
  }
}

TEST(SendParts, OnlyDecimalDigitsAreDigits) {
  EXPECT_TRUE(IsAllDigits(u""));
  EXPECT_TRUE(IsAllDigits(u"01012345678"));
  EXPECT_FALSE(IsAllDigits(u"010-1234"));
  EXPECT_FALSE(IsAllDigits(u"+8210"));
  EXPECT_FALSE(IsAllDigits(u"０１０"));  // full-width digits
}

}  // namespace
