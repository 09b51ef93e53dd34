// Line wrapping of message text and clean-up of numbers.
#include <gtest/gtest.h>

#include "store/text_normalize.h"

// Lines end at sixteen columns, line breaks are kept or shortened, and a long text is cut to 259
// characters after wrapping, so the forced line feeds leave less of it.
TEST(WrapText, LinesEndAtSixteenColumnsAndTheTextAt259Characters) {
  std::u16string cut;
  for (int line = 0; line < 15; ++line) cut += std::u16string(16, u'a') + u"\n";
  const struct {
    std::u16string text, wrapped;
  } cases[] = {
      {u"가나다라마바사아", u"가나다라마바사아\n"},            // eight syllables fill a line
      {u"abcdefghijklmno가나", u"abcdefghijklmno\n가나"},      // a wide one would end at column 17
      {u"abcdefghijklmnopqr", u"abcdefghijklmnop\nqr"},        // sixteen narrow ones, then the rest
      {u"ab\ncd", u"ab\ncd"},                                  // a line feed ends a line, no extra one
      {u"ab\r\ncd", u"ab\rcd"},                                // CR LF becomes a lone CR
      {u"ab\rcd", u"ab\rcd"},                                  // a CR in the last line is kept
      {u"hi 안녕", u"hi 안녕"},
      {u"", u""},
      {std::u16string(259, u'a'), cut + u"aaaa"},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapText(c.text), c.wrapped) << &c - cases;
}

TEST(TrimNumber, OnlySpacesAtEitherEndAreRemoved) {
  EXPECT_EQ(TrimNumber(u"  010 1234  "), u"010 1234");
  EXPECT_EQ(TrimNumber(u"\t010 "), u"\t010");
  EXPECT_EQ(TrimNumber(u"    "), u"");
  EXPECT_EQ(TrimNumber(u""), u"");
  EXPECT_EQ(TrimNumber(u"5"), u"5");
}
