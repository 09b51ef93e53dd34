// The input method's conversion mode of the focused window, as the panel and typing use it:
// Hangul (IME_CMODE_NATIVE) or Latin.
#pragma once
#include <string>

#include "windef.h"

namespace platform::sip {

bool FocusedIsHangul();
// Through ImmSetConversionStatus on the focused window's context, which also commits what
// is being composed.
void SetFocusedHangul(bool hangul);
// The syllable being composed in the window's context (empty without one).
std::u16string CompositionOf(HWND hwnd);

}  // namespace platform::sip
