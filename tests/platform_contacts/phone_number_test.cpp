#include <gtest/gtest.h>

#include "platform/contacts/phone_number.h"

using platform::contacts::CanonicalPhoneNumber;
using platform::contacts::SamePhoneNumber;

// Formatting is ignored and the Korean country code matches the national number; a part of a
// number, another country's number and empty numbers do not match.
TEST(PhoneNumber, SameNumberWhateverItsSpelling) {
  const struct {
    const char16_t *a, *b;
    bool same;
  } cases[] = {
      {u"010-1234-5678", u"01012345678", true},       {u"(010) 1234.5678", u"010 1234 5678", true},
      {u"+82 10-1234-5678", u"010-1234-5678", true},   {u"+82 (0)10 1234 5678", u"010-1234-5678", true},
      {u"0082-10-1234-5678", u"01012345678", true},    {u"010-1234-5678", u"010-1234-5679", false},
      {u"1234-5678", u"010-1234-5678", false},         {u"+1 555 0100", u"5550100", false},
      {u"", u"", false},                               {u"--", u"()", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SamePhoneNumber(c.a, c.b), c.same) << "case " << (&c - cases);
  EXPECT_EQ(CanonicalPhoneNumber(u"+82-2-555-0100"), u"025550100");
}
