// The search key of a name and the key-group tables of the twelve-key pad.
#pragma once
#include "windef.h"

namespace parlo {

constexpr int kSearchKeyMax = 10;

// The 19 initial consonants, doubled ones folded to their single ones (ㄲ→ㄱ, ㄸ→ㄷ, ...).
extern const WCHAR kSimpleInitials[19];
// Rows 0-9: up to four letters and a terminating zero; the first letter is the row's lead letter.
extern const WCHAR kHangulRows[10][5];
extern const WCHAR kLatinRows[10][5];

// One unit per character of `text`, at most `max`: Latin letters lower-cased, digits kept, a
// Hangul syllable as its (simplified) initial consonant, anything else '*'. Terminated only when
// shorter than `max`. Returns the units written.
int MakeSearchKey(LPCWSTR text, WCHAR* key, int max);

// The letters that query letter `q` stands for (its row), or nullptr when no row leads with it.
// The table is chosen by the letter itself, so a query typed partly in each mode works.
const WCHAR* RowForLetter(WCHAR q);

}  // namespace parlo
