// Cutting a message: where the parts of a text end (its byte count is checked through the compose counter).
#include <gtest/gtest.h>

#include <string>

#include "compose/send_text.h"

namespace {

using compose::CutPart;
using compose::IsAllDigits;

TEST(SendParts, APartEndsAtEightyBytesAndNeverSplitsACharacter) {
  struct Case {
    const char* what;
    std::u16string text;
    int taken;
  } cases[] = {
      {"80 ASCII", std::u16string(80, u'a'), 80},
      {"81 ASCII", std::u16string(81, u'a'), 80},
      {"40 syllables", std::u16string(40, u'가'), 40},
      {"41 syllables", std::u16string(41, u'가'), 40},
      {"79 ASCII and a syllable", std::u16string(79, u'a') + u"가", 79},
      {"a carriage return counts one here", u"\r" + std::u16string(80, u'a'), 80},
      {"a surrogate pair that would cross", std::u16string(78, u'a') + u"😀", 78},
      {"a surrogate pair that fits", std::u16string(76, u'a') + u"😀b", 78},
      {"shorter than a part", u"hi", 2},
  };
  for (const Case& c : cases) {
    std::u16string part;
    EXPECT_EQ(CutPart(c.text, &part, 80), c.taken) << c.what;
    EXPECT_EQ(part, c.text.substr(0, static_cast<size_t>(c.taken))) << c.what;
  }
}

TEST(SendParts, OnlyDecimalDigitsAreDigits) {
  for (const char16_t* digits : {u"", u"01012345678"}) EXPECT_TRUE(IsAllDigits(digits));
  for (const char16_t* other : {u"010-1234", u"+8210", u"０１０" /* full width */}) EXPECT_FALSE(IsAllDigits(other));
}

}  // namespace
