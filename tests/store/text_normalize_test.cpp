// Line wrapping of message text and clean-up of numbers.
#include <gtest/gtest.h>

#include "store/text_normalize.h"

TEST(WrapText, LinesEndAtSixteenColumnsAndLineBreaksAreKeptOrShortened) {
  const struct {
    const char16_t* text;
    const char16_t* wrapped;
  } cases[] = {
      {u"가나다라마바사아", u"가나다라마바사아\n"},            // eight syllables fill a line
      {u"abcdefghijklmno가나", u"abcdefghijklmno\n가나"},      // a wide one would end at column 17
      {u"abcdefghijklmnopqr", u"abcdefghijklmnop\nqr"},        // sixteen narrow ones, then the rest
      {u"ab\ncd", u"ab\ncd"},                                  // a line feed ends a line, no extra one
      {u"ab\r\ncd", u"ab\rcd"},                                // CR LF becomes a lone CR
      {u"ab\rcd", u"ab\rcd"},                                  // a CR in the last line is kept
      {u"hi 안녕", u"hi 안녕"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapText(c.text), c.wrapped) << &c - cases;
}

TEST(WrapText, ALongTextIsCutTo259CharactersAfterWrapping) {
  std::u16string text(259, u'a');
  std::u16string out = WrapText(text);
  EXPECT_EQ(out.size(), 259u);
  // Every 17th character is a forced line feed, so less of the text survives.
  EXPECT_EQ(out.substr(0, 17), std::u16string(16, u'a') + u"\n");
  EXPECT_EQ(std::count(out.begin(), out.end(), u'a'), 259 - 15);
}

TEST(TrimNumber, OnlySpacesAtEitherEndAreRemoved) {
  EXPECT_EQ(TrimNumber(u"  010 1234  "), u"010 1234");
  EXPECT_EQ(TrimNumber(u"\t010 "), u"\t010");
  EXPECT_EQ(TrimNumber(u"    "), u"");
  EXPECT_EQ(TrimNumber(u""), u"");
  EXPECT_EQ(TrimNumber(u"5"), u"5");
}
