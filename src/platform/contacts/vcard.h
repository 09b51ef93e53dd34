// Reading vCards as phones and address books export them: 2.1 (quoted-printable, EUC-KR or
// UTF-8, base64 photos), 3.0 and 4.0 (folded lines, TYPE in any spelling, data: URI photos).
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform::contacts {

struct VCard {
  int index = 0;     // 1-based position in the file, counting skipped cards
  int line = 0;      // line of its BEGIN:VCARD
  std::string raw;   // the card's own text, BEGIN to END, kept as written
  size_t offset = 0, length = 0;  // where that text is in the parsed bytes, BEGIN to the end of END
  std::u16string uid;
  std::u16string name;  // FN, else built from N
  std::u16string firstName, lastName;
  std::u16string company;
  std::u16string categories;  // pieces joined with ", "
  std::u16string mobile, business, home;
  std::string photo;  // the picture file's bytes; empty when none or undecodable
};

struct VCardProblem {
  int index = 0;
  int line = 0;
  std::u16string name;  // as far as it could be read
  std::string reason;
  std::string raw;  // its text as written, so a store can keep what it could not read
};

struct VCardFile {
  std::vector<VCard> cards;
  std::vector<VCardProblem> skipped;
};

// `keepText`: fill each card's and problem's `raw`; without it only where each card is.
VCardFile ParseVCards(std::string_view bytes, bool keepText = true);

// "card 3 (line 17, 김철수): no END:VCARD" — one line that names the card for a warning.
std::string DescribeProblem(const VCardProblem& problem);

// The display name from N when a card has no FN: Korean names family then given without a space,
// others given then family.
std::u16string NameFromParts(std::u16string_view family, std::u16string_view given);

}  // namespace platform::contacts
