// Line wrapping of message text and clean-up of numbers.
#include <gtest/gtest.h>

#include "store/text_normalize.h"

TEST(WrapText, EightSyllablesFillALineAndWrapAfterTheEighth) {
  EXPECT_EQ(WrapText(u"가나다라마바사아"), u"가나다라마바사아\n");
}

TEST(WrapText, AWideCharacterThatWouldEndAtColumn17StartsTheNextLine) {
  EXPECT_EQ(WrapText(u"abcdefghijklmno가나"), u"abcdefghijklmno\n가나");
}

TEST(WrapText, SixteenNarrowCharactersWrapBeforeTheRest) {
  EXPECT_EQ(WrapText(u"abcdefghijklmnopqr"), u"abcdefghijklmnop\nqr");
}

TEST(WrapText, ALineFeedEndsALineWithoutAnExtraOne) {
  EXPECT_EQ(WrapText(u"ab\ncd"), u"ab\ncd");
}

TEST(WrapText, CarriageReturnLineFeedBecomesALoneCarriageReturn) {
  EXPECT_EQ(WrapText(u"ab\r\ncd"), u"ab\rcd");
}

TEST(WrapText, ACarriageReturnInTheLastLineIsKept) {
  EXPECT_EQ(WrapText(u"ab\rcd"), u"ab\rcd");
}

TEST(WrapText, ShortAndEmptyTextStayAsTheyAre) {
  EXPECT_EQ(WrapText(u"hi 안녕"), u"hi 안녕");
  EXPECT_EQ(WrapText(u""), u"");
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
