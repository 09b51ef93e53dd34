// The panel's keyboards: Hangul two-set, QWERTY and digits-and-symbols, each as rows of keys.
#pragma once
#include <string>
#include <vector>

#include "windef.h"

namespace platform::sip {

enum class Layout { kHangul, kLatin, kSymbols };
enum class KeyKind { kType, kShift, kSpace, kBackspace, kEnter, kMode, kHide };

struct KeyCap {
  std::string name;      // stable: the jamo or character typed, or "shift", "space", ...
  std::u16string label;  // what is drawn on it
  KeyKind kind = KeyKind::kType;
  UINT vk = 0;           // the hardware key it presses
  bool shift = false;    // pressed with shift
  int width = 2;         // in half key widths; a row holds 20
};

using KeyRows = std::vector<std::vector<KeyCap>>;

// `shifted`: the shift key is on (the doubled consonants and ㅒㅖ, capitals).
KeyRows RowsFor(Layout layout, bool shifted);
// The layout the mode key goes to next, and what it says about it.
Layout NextLayout(Layout layout);

}  // namespace platform::sip
