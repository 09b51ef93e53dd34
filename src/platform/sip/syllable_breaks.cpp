#include "platform/sip/syllable_breaks.h"

#include <hangul.h>

namespace platform::sip {
namespace {

void Append(std::u16string& out, const ucschar* s) {
  for (; s && *s; ++s) out += static_cast<char16_t>(*s);  // Hangul lies in the BMP
}

}  // namespace

bool KeysSpell(const std::vector<LetterKey>& keys, const std::u16string& text) {
  HangulInputContext* ic = hangul_ic_new("2");
  if (!ic) return true;  // nothing to ask: type as planned
  std::u16string out;
  for (const LetterKey& k : keys) {
    hangul_ic_process(ic, k.shift ? k.letter - 'a' + 'A' : k.letter);
    Append(out, hangul_ic_get_commit_string(ic));
  }
  Append(out, hangul_ic_get_preedit_string(ic));
  hangul_ic_delete(ic);
  return out == text;
}

}  // namespace platform::sip
