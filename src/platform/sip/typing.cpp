#include "platform/sip/typing.h"

#include "platform/sip/input_mode.h"
#include "platform/sip/panel.h"
#include "platform/sip/two_set.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "winuser.h"

namespace platform::sip {
namespace {

// A mode switch takes effect after the keys already pressed, as the user's would.
void EnsureHangul(bool hangul) {
  wm::PumpUntilIdle();
  if (FocusedIsHangul() != hangul) SetFocusedHangul(hangul);
}

}  // namespace

bool KeyForChar(char16_t ch, UINT* vk, bool* shift) {
  if (ch == u'\n') ch = u'\r';
  for (UINT k = 1; k < 256; ++k)
    for (bool s : {false, true})
      if (k != VK_BACK && k != VK_ESCAPE && k != VK_TAB && (k < VK_NUMPAD0 || k > VK_NUMPAD9) &&
          wm::CharForKey(k, s) == ch) {
        *vk = k;
        *shift = s;
        return true;
      }
  return false;
}

bool TypeText(const std::u16string& text, bool leaveComposing) {
  if (!GetFocus()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;  // one Enter for CR LF
    std::vector<LetterKey> jamo = KeysForHangul(c);
    UINT vk = 0;
    bool shift = false;
    if (!jamo.empty()) {
      EnsureHangul(true);
      for (const LetterKey& k : jamo) PressKey(static_cast<UINT>(k.letter - 'a' + 'A'), k.shift);
    } else if (KeyForChar(c, &vk, &shift)) {
      if (vk >= 'A' && vk <= 'Z') EnsureHangul(false);  // in Hangul mode these keys are jamo
      PressKey(vk, shift);
    } else {
      wm::InjectChar(c);
    }
  }
  wm::PumpUntilIdle();
  // Switching the mode and back commits the syllable still being composed.
  if (!leaveComposing && HaveInputMethod() && FocusedIsHangul()) {
    SetFocusedHangul(false);
    SetFocusedHangul(true);
    wm::PumpUntilIdle();
  }
  return true;
}

}  // namespace platform::sip
