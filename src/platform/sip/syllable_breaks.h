// Where typed jamo would run together: the two-set automaton joins keys the text keeps apart
// ("가ㄴ" would become 간, "갈ㅂ" 갋), so typing must end the syllable there first.
#pragma once
#include <string>
#include <vector>

#include "platform/sip/two_set.h"

namespace platform::sip {

// True when the keys, fed to the two-set automaton from an empty start, give exactly `text`.
bool KeysSpell(const std::vector<LetterKey>& keys, const std::u16string& text);

}  // namespace platform::sip
