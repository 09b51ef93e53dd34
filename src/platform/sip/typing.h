// Text typed as a user types it: each character as the key strokes that give it, Hangul as
// its two-set jamo keys in Hangul mode, so the input method composes as it does for a user.
#pragma once
#include <string>

#include "windef.h"

namespace platform::sip {

// The US-layout key of a character, with shift or not; false when no key types it.
bool KeyForChar(char16_t ch, UINT* vk, bool* shift);

// Types `text` into the focused control and runs the messages it causes. `leaveComposing`
// keeps the last syllable uncommitted. Characters no key types arrive as WM_CHAR alone.
// False when nothing has the focus.
bool TypeText(const std::u16string& text, bool leaveComposing);

}  // namespace platform::sip
