#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "platform/contacts/text_decode.h"
#include "platform/contacts/vcard.h"

using platform::contacts::ParseVCards;
using platform::contacts::VCardFile;

namespace {

// Each row: a card and what is read from it; an untyped number is the mobile one, a fax number
// is not a telephone number.
TEST(VCard, EachVersionsSpelling) {
  const std::string png = "\x89PNG\r\n\x1a\nsome picture bytes that are long enough to wrap", gif = "GIF89a-bytes";
  const std::string b64 = platform::contacts::EncodeBase64(png);
  struct Want {
    std::u16string name{}, company{}, categories{}, mobile{}, business{}, home{}, uid{};
    std::string photo{};
  };
  const struct {
    const char* what;
    std::string text;
    Want want;
  } cases[] = {
      {"2.1: 김철수 in EUC-KR, quoted-printable, cut by a soft line break",
       "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=EUC-KR;ENCODING=QUOTED-PRINTABLE:=B1=E8;=C3=\r\n=B6=BC=F6\r\n"
       "TEL;CELL:010-1234-5678\r\nEND:VCARD\r\n",
       {.name = u"김철수", .mobile = u"010-1234-5678"}},
      {"2.1: quoted-printable UTF-8 and bare types",
       "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=EC=9D=B4=EC=98=81=ED=9D=AC\n"
       "TEL;WORK;VOICE:02-555-0100\nTEL;HOME:031-777-0000\nTEL;CELL;PREF:010-2345-6789\nEND:VCARD\n",
       {.name = u"이영희", .mobile = u"010-2345-6789", .business = u"02-555-0100", .home = u"031-777-0000"}},
      {"2.1: unlabelled Korean bytes are EUC-KR",
       "BEGIN:VCARD\nVERSION:2.1\nFN:\xC0\xCC\xBF\xB5\xC8\xF1\nTEL:010\nEND:VCARD\n",
       {.name = u"이영희", .mobile = u"010"}},
      {"2.1: a photo in base64 on bare continuation lines",
       "BEGIN:VCARD\nVERSION:2.1\nFN:Pic\nPHOTO;ENCODING=BASE64;TYPE=PNG:" + b64.substr(0, 20) + "\n" +
           b64.substr(20, 30) + "\n  " + b64.substr(50) + "\n\nTEL;CELL:1\nEND:VCARD\n",
       {.name = u"Pic", .mobile = u"1", .photo = png}},
      {"3.0: the preferred number wins its slot",
       "BEGIN:VCARD\nVERSION:3.0\nFN:A\nTEL;TYPE=CELL:010-1\nTEL;TYPE=CELL,PREF:010-2\nTEL;TYPE=CELL:010-3\nEND:VCARD\n",
       {.name = u"A", .mobile = u"010-2"}},
      {"3.0: N without FN, Korean order", "BEGIN:VCARD\nVERSION:3.0\nN:박;민수;;;\nTEL:1\nEND:VCARD\n",
       {.name = u"박민수", .mobile = u"1"}},
      {"3.0: N without FN, Latin order", "BEGIN:VCARD\nVERSION:3.0\nN:Smith;John;;Mr.;\nTEL:2\nEND:VCARD\n",
       {.name = u"John Smith", .mobile = u"2"}},
      {"3.0: folded lines, escapes and type spellings",
       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:John\r\n  Smith\r\nORG:Acme\\, Inc.;Sales\r\nCATEGORIES:Family,Work\r\n"
       "TEL;TYPE=cell,voice:+82 10-3456-7890\r\nitem1.TEL;type=\"work,voice\":02-1234\r\n"
       "TEL;TYPE=HOME;TYPE=VOICE:031-1\r\nTEL;TYPE=WORK,FAX:02-9999\r\nEND:VCARD\r\n",
       {u"John Smith", u"Acme, Inc.", u"Family, Work", u"+82 10-3456-7890", u"02-1234", u"031-1"}},
      {"4.0: a photo as a data URI beside a tel URI",
       "BEGIN:VCARD\nVERSION:4.0\nFN:Kim Su\nTEL;VALUE=uri;TYPE=\"cell\":tel:+82-10-3456-7890\n"
       "PHOTO:data:image/gif;base64," + platform::contacts::EncodeBase64(gif) + "\nUID:urn:uuid:1234\nEND:VCARD\n",
       {.name = u"Kim Su", .mobile = u"+82-10-3456-7890", .uid = u"urn:uuid:1234", .photo = gif}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    VCardFile f = ParseVCards(c.text);
    ASSERT_EQ(f.cards.size(), 1u);
    const auto& g = f.cards[0];
    const Want& w = c.want;
    EXPECT_EQ(std::tie(g.name, g.company, g.categories, g.mobile, g.business, g.home, g.uid, g.photo),
              std::tie(w.name, w.company, w.categories, w.mobile, w.business, w.home, w.uid, w.photo));
  }
}

TEST(VCardRobustness, MalformedCardsAreSkippedNamedAndTheOthersLoad) {
  VCardFile f = ParseVCards(
      "BEGIN:VCARD\nVERSION:3.0\nFN:Good One\nTEL:1\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:Broken\nthis line has no colon\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:Unfinished\nTEL:2\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:Good Two\nTEL:3\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nNOTE:nothing\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:X\nPHOTO;ENCODING=b:@@@notbase64\nEND:VCARD\n"
      "BEGIN:VCARD\nFN:Cut at end\n");
  ASSERT_EQ(f.cards.size(), 3u);
  EXPECT_TRUE(f.cards[2].photo.empty()) << "a bad photo is dropped, the card kept";
  EXPECT_EQ(f.cards[0].name, u"Good One");
  EXPECT_EQ(f.cards[1].name, u"Good Two");
  ASSERT_EQ(f.skipped.size(), 4u);
  EXPECT_EQ(platform::contacts::DescribeProblem(f.skipped[0]),
            "card 2 (line 6, Broken): line 9 is not a property (no ':')");
  EXPECT_NE(platform::contacts::DescribeProblem(f.skipped[1]).find("Unfinished"), std::string::npos);
  EXPECT_EQ(f.skipped[2].reason, "no name and no phone number");
  EXPECT_EQ(f.skipped[3].reason, "no END:VCARD before the end of the file");
}

// Quoted-printable keeps broken escapes. Base64 comes back as it went at every padding, also folded
// anywhere (as photos are: a fold may cut a group of four at any place, also inside its padding),
// and what is not base64 is refused.
TEST(TextDecode, QuotedPrintableAndBase64) {
  EXPECT_EQ(platform::contacts::DecodeQuotedPrintable("a=3Db=ZZc="), "a=b=ZZc");
  const std::string bytes("\x00\xff photo bytes \x80", 16);
  std::string out;
  for (size_t size : {0, 14, 15, 16}) {
    const std::string text = platform::contacts::EncodeBase64(bytes.substr(0, size));
    for (std::string_view fold : {"", "\r\n ", "\n\t", " "})
      for (size_t at = 0; at <= text.size(); ++at) {
        std::string folded = text.substr(0, at) + std::string(fold) + text.substr(at);
        ASSERT_TRUE(platform::contacts::DecodeBase64(folded, &out)) << folded;
        EXPECT_EQ(out, bytes.substr(0, size)) << folded;
      }
  }
  for (const char* bad : {"ab*c", "a", "ab==cd"}) EXPECT_FALSE(platform::contacts::DecodeBase64(bad, &out)) << bad;
}

// A book of camera photos is read on several cores: each card must come out as it does alone,
// in order, with the line numbers of the file (its folded photo lines counted).
TEST(VCard, LargeBookReadsAsEachCardAlone) {
  std::string book;
  for (int i = 0; i < 40; ++i) {
    if (i == 17) book += "BEGIN:VCARD\r\nFN:Broken\r\nno colon here\r\nEND:VCARD\r\n";
    std::string photo(30000, static_cast<char>(i)), line = "PHOTO;ENCODING=b;TYPE=JPEG:" +
                                                           platform::contacts::EncodeBase64(photo);
    book += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Card " + std::to_string(i) + "\r\n" + line.substr(0, 75) + "\r\n";
    for (size_t at = 75; at < line.size(); at += 74) book += " " + line.substr(at, 74) + "\r\n";
    book += "TEL:" + std::to_string(i) + "\r\nEND:VCARD\r\n";
  }
  ASSERT_GT(book.size(), size_t{1} << 20);  // enough to be read on every core
  VCardFile f = ParseVCards(book, false);
  ASSERT_EQ(f.cards.size(), 40u);
  for (const auto& card : f.cards) {
    VCardFile alone = ParseVCards(std::string_view(book).substr(card.offset, card.length));
    ASSERT_EQ(alone.cards.size(), 1u);
    EXPECT_EQ(card.name, alone.cards[0].name);
    EXPECT_EQ(card.photo, alone.cards[0].photo);
    EXPECT_EQ(card.photo.size(), 30000u);
  }
  ASSERT_EQ(f.skipped.size(), 1u);
  size_t broken = book.find("no colon here");
  int line = 1 + static_cast<int>(std::count(book.begin(), book.begin() + static_cast<long>(broken), '\n'));
  EXPECT_EQ(f.skipped[0].index, 18);
  EXPECT_EQ(f.skipped[0].reason, "line " + std::to_string(line) + " is not a property (no ':')");
}

}  // namespace
