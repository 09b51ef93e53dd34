// The Korean two-set (2-beolsik) keyboard: which Latin letter key, with shift or not, types
// each jamo, and the keys that type a whole syllable.
#pragma once
#include <string>
#include <vector>

namespace platform::sip {

struct LetterKey {
  char letter;  // 'a'..'z', the key's Latin letter
  bool shift;
};

// The key of a jamo that has one (compatibility jamo, U+3131..U+3163); false for compound
// jamo (ㅘ, ㄳ, ...), which take two keys.
bool KeyForJamo(char16_t jamo, LetterKey* key);
// The jamo a key types: shift gives the doubled consonants and ㅒㅖ; other keys ignore it.
char16_t JamoForKey(char letter, bool shift);
// The keys that type a precomposed syllable or a jamo, compounds split ("닭" is ㄷㅏㄹㄱ);
// empty for anything else.
std::vector<LetterKey> KeysForHangul(char16_t ch);
bool IsHangulSyllable(char16_t ch);

}  // namespace platform::sip
