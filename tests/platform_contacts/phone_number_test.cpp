#include <gtest/gtest.h>

#include "platform/contacts/phone_number.h"

using platform::contacts::CanonicalPhoneNumber;
using platform::contacts::SamePhoneNumber;

TEST(PhoneNumber, FormattingIsIgnored) {
  EXPECT_TRUE(SamePhoneNumber(u"010-1234-5678", u"01012345678"));
  EXPECT_TRUE(SamePhoneNumber(u"(010) 1234.5678", u"010 1234 5678"));
}

TEST(PhoneNumber, KoreanCountryCodeMatchesTheNationalNumber) {
  EXPECT_TRUE(SamePhoneNumber(u"+82 10-1234-5678", u"010-1234-5678"));
  EXPECT_TRUE(SamePhoneNumber(u"+82 (0)10 1234 5678", u"010-1234-5678"));
  EXPECT_TRUE(SamePhoneNumber(u"0082-10-1234-5678", u"01012345678"));
  EXPECT_EQ(CanonicalPhoneNumber(u"+82-2-555-0100"), u"025550100");
}

TEST(PhoneNumber, DifferentNumbersDoNotMatch) {
  EXPECT_FALSE(SamePhoneNumber(u"010-1234-5678", u"010-1234-5679"));
  EXPECT_FALSE(SamePhoneNumber(u"1234-5678", u"010-1234-5678"));  // a part is not the number
  EXPECT_FALSE(SamePhoneNumber(u"+1 555 0100", u"5550100"));      // another country keeps its code
  EXPECT_FALSE(SamePhoneNumber(u"", u""));
  EXPECT_FALSE(SamePhoneNumber(u"--", u"()"));
}
