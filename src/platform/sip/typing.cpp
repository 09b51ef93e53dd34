#include "platform/sip/typing.h"

#include "platform/sip/input_mode.h"
#include "platform/sip/panel.h"
#include "platform/sip/syllable_breaks.h"
#include "platform/sip/two_set.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "winuser.h"

namespace platform::sip {
namespace {

// The Hangul typed since the composition last ended, and its keys.
struct Run {
  std::vector<LetterKey> keys;
  std::u16string text;
  void Clear() {
    keys.clear();
    text.clear();
  }
};

// A mode switch takes effect after the keys already pressed, as the user's would; it ends the
// syllable being composed.
void EnsureHangul(bool hangul, Run& run) {
  wm::PumpUntilIdle();
  if (FocusedIsHangul() == hangul) return;
  SetFocusedHangul(hangul);
  run.Clear();
}

// Switching the mode and back commits the syllable still being composed.
void EndSyllable(Run& run) {
  wm::PumpUntilIdle();
  if (FocusedIsHangul()) {
    SetFocusedHangul(false);
    SetFocusedHangul(true);
    wm::PumpUntilIdle();
  }
  run.Clear();
}

void TypeHangul(char16_t c, const std::vector<LetterKey>& keys, Run& run) {
  EnsureHangul(true, run);
  std::vector<LetterKey> joined = run.keys;
  joined.insert(joined.end(), keys.begin(), keys.end());
  if (!run.text.empty() && !KeysSpell(joined, run.text + c)) {
    EndSyllable(run);
    joined = keys;
  }
  for (const LetterKey& k : keys) PressKey(static_cast<UINT>(k.letter - 'a' + 'A'), k.shift);
  run.keys = std::move(joined);
  run.text += c;
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
  Run run;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;  // one Enter for CR LF
    std::vector<LetterKey> jamo = KeysForHangul(c);
    UINT vk = 0;
    bool shift = false;
    if (!jamo.empty()) {
      TypeHangul(c, jamo, run);
      continue;
    }
    if (KeyForChar(c, &vk, &shift)) {
      if (vk >= 'A' && vk <= 'Z') EnsureHangul(false, run);  // in Hangul mode these keys are jamo
      PressKey(vk, shift);
    } else {
      EndSyllable(run);  // a character without a key must not land before the syllable
      wm::InjectChar(c);
    }
    run.Clear();  // any other key ends the syllable
  }
  if (leaveComposing) wm::PumpUntilIdle();
  else EndSyllable(run);
  return true;
}

}  // namespace platform::sip
