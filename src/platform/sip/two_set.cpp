#include "platform/sip/two_set.h"

#include <cctype>

namespace platform::sip {
namespace {

struct JamoLetter {
  char16_t jamo;
  char letter;
  bool shift;
};

constexpr JamoLetter kKeys[] = {
    {u'ㄱ', 'r', false}, {u'ㄲ', 'r', true},  {u'ㄴ', 's', false}, {u'ㄷ', 'e', false}, {u'ㄸ', 'e', true},
    {u'ㄹ', 'f', false}, {u'ㅁ', 'a', false}, {u'ㅂ', 'q', false}, {u'ㅃ', 'q', true},  {u'ㅅ', 't', false},
    {u'ㅆ', 't', true},  {u'ㅇ', 'd', false}, {u'ㅈ', 'w', false}, {u'ㅉ', 'w', true},  {u'ㅊ', 'c', false},
    {u'ㅋ', 'z', false}, {u'ㅌ', 'x', false}, {u'ㅍ', 'v', false}, {u'ㅎ', 'g', false}, {u'ㅏ', 'k', false},
    {u'ㅐ', 'o', false}, {u'ㅑ', 'i', false}, {u'ㅒ', 'o', true},  {u'ㅓ', 'j', false}, {u'ㅔ', 'p', false},
    {u'ㅕ', 'u', false}, {u'ㅖ', 'p', true},  {u'ㅗ', 'h', false}, {u'ㅛ', 'y', false}, {u'ㅜ', 'n', false},
    {u'ㅠ', 'b', false}, {u'ㅡ', 'm', false}, {u'ㅣ', 'l', false},
};

// Compound jamo and the two jamo typed for them.
constexpr char16_t kCompounds[][3] = {
    {u'ㄳ', u'ㄱ', u'ㅅ'}, {u'ㄵ', u'ㄴ', u'ㅈ'}, {u'ㄶ', u'ㄴ', u'ㅎ'}, {u'ㄺ', u'ㄹ', u'ㄱ'}, {u'ㄻ', u'ㄹ', u'ㅁ'},
    {u'ㄼ', u'ㄹ', u'ㅂ'}, {u'ㄽ', u'ㄹ', u'ㅅ'}, {u'ㄾ', u'ㄹ', u'ㅌ'}, {u'ㄿ', u'ㄹ', u'ㅍ'}, {u'ㅀ', u'ㄹ', u'ㅎ'},
    {u'ㅄ', u'ㅂ', u'ㅅ'}, {u'ㅘ', u'ㅗ', u'ㅏ'}, {u'ㅙ', u'ㅗ', u'ㅐ'}, {u'ㅚ', u'ㅗ', u'ㅣ'}, {u'ㅝ', u'ㅜ', u'ㅓ'},
    {u'ㅞ', u'ㅜ', u'ㅔ'}, {u'ㅟ', u'ㅜ', u'ㅣ'}, {u'ㅢ', u'ㅡ', u'ㅣ'},
};

// A syllable's parts, in the order of the Unicode syllable block.
constexpr char16_t kInitials[] = u"ㄱㄲㄴㄷㄸㄹㅁㅂㅃㅅㅆㅇㅈㅉㅊㅋㅌㅍㅎ";
constexpr char16_t kMedials[] = u"ㅏㅐㅑㅒㅓㅔㅕㅖㅗㅘㅙㅚㅛㅜㅝㅞㅟㅠㅡㅢㅣ";
constexpr char16_t kFinals[] = u" ㄱㄲㄳㄴㄵㄶㄷㄹㄺㄻㄼㄽㄾㄿㅀㅁㅂㅄㅅㅆㅇㅈㅊㅋㅌㅍㅎ";  // first: none

constexpr char16_t kFirstSyllable = 0xAC00, kLastSyllable = 0xD7A3;

bool AddJamo(char16_t jamo, std::vector<LetterKey>& out) {
  LetterKey key;
  if (KeyForJamo(jamo, &key)) {
    out.push_back(key);
    return true;
  }
  for (const auto& c : kCompounds)
    if (c[0] == jamo) return AddJamo(c[1], out) && AddJamo(c[2], out);
  return false;
}

}  // namespace

bool KeyForJamo(char16_t jamo, LetterKey* key) {
  for (const JamoLetter& k : kKeys)
    if (k.jamo == jamo) {
      *key = LetterKey{k.letter, k.shift};
      return true;
    }
  return false;
}

char16_t JamoForKey(char letter, bool shift) {
  letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  char16_t plain = 0;
  for (const JamoLetter& k : kKeys) {
    if (k.letter != letter) continue;
    if (k.shift == shift) return k.jamo;
    if (!k.shift) plain = k.jamo;
  }
  return plain;
}

bool IsHangulSyllable(char16_t ch) { return ch >= kFirstSyllable && ch <= kLastSyllable; }

std::vector<LetterKey> KeysForHangul(char16_t ch) {
  std::vector<LetterKey> out;
  if (IsHangulSyllable(ch)) {
    int index = ch - kFirstSyllable;
    AddJamo(kInitials[index / (21 * 28)], out);
    AddJamo(kMedials[index / 28 % 21], out);
    if (index % 28) AddJamo(kFinals[index % 28], out);
    return out;
  }
  if (!AddJamo(ch, out)) out.clear();
  return out;
}

}  // namespace platform::sip
