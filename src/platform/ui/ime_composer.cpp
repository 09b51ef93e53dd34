#include "platform/ui/ime_composer.h"

#include <hangul.h>

namespace platform::ui {
namespace {

struct Composer {
  HangulInputContext* automaton = hangul_ic_new("2");  // the two-set (2-beolsik) layout
  HWND owner = nullptr;       // the window composing, while `composing` is not empty
  std::u16string composing;   // GCS_COMPSTR
  HWND resultOwner = nullptr;
  std::u16string result;      // GCS_RESULTSTR
};

Composer& TheComposer() {
  static Composer composer;
  return composer;
}

std::u16string ToUtf16(const ucschar* s) {
  std::u16string out;
  for (; s && *s; ++s) {
    if (*s < 0x10000) {
      out += static_cast<char16_t>(*s);
    } else {
      ucschar v = *s - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    }
  }
  return out;
}

// Tells `hwnd` what the automaton did: `committed` leaves the composition, then `now` is composed.
void Report(HWND hwnd, const std::u16string& committed, const std::u16string& now) {
  Composer& c = TheComposer();
  bool open = !c.composing.empty();
  if (!committed.empty()) {
    if (!open) SendMessageW(hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
    c.composing.clear();
    c.result = committed;
    c.resultOwner = hwnd;
    SendMessageW(hwnd, WM_IME_COMPOSITION, committed.back(), GCS_RESULTSTR);
    SendMessageW(hwnd, WM_IME_ENDCOMPOSITION, 0, 0);
    for (char16_t ch : committed) {
      if (!IsWindow(hwnd)) break;
      SendMessageW(hwnd, WM_CHAR, ch, 1);
    }
    open = false;
  }
  if (!IsWindow(hwnd)) {
    c.composing.clear();
    hangul_ic_reset(c.automaton);
    return;
  }
  if (!now.empty()) {
    if (!open) SendMessageW(hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
    c.owner = hwnd;
    c.composing = now;
    SendMessageW(hwnd, WM_IME_COMPOSITION, now.back(), GCS_COMPSTR);
  } else if (open) {
    // Emptied (backspace over the last jamo) or cancelled: a composition message without flags.
    c.composing.clear();
    SendMessageW(hwnd, WM_IME_COMPOSITION, 0, 0);
    SendMessageW(hwnd, WM_IME_ENDCOMPOSITION, 0, 0);
  }
}

// The composition of a window that lost it (destroyed, or the keys went elsewhere) is committed
// to it if it still exists.
void SettleStaleOwner(HWND keyTarget) {
  Composer& c = TheComposer();
  if (c.composing.empty() || c.owner == keyTarget) return;
  if (IsWindow(c.owner)) {
    CompleteComposition(c.owner);
  } else {
    c.composing.clear();
    hangul_ic_reset(c.automaton);
  }
}

bool IsModifier(UINT vk) {
  switch (vk) {
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT: case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL:
    case VK_MENU: case VK_LMENU: case VK_RMENU: case VK_CAPITAL: case VK_PROCESSKEY:
      return true;
  }
  return false;
}

bool Down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

bool ComposeKey(const MSG& key) {
  HWND hwnd = key.hwnd;
  UINT vk = static_cast<UINT>(key.wParam);
  if (!hwnd || IsModifier(vk)) return false;
  SettleStaleOwner(hwnd);
  Composer& c = TheComposer();
  if (vk == VK_HANGUL) {
    HIMC himc = ImmGetContext(hwnd);
    DWORD conversion = 0, sentence = 0;
    if (!ImmGetConversionStatus(himc, &conversion, &sentence)) return true;
    ImmSetConversionStatus(himc, conversion ^ IME_CMODE_NATIVE, sentence);
    ImmReleaseContext(hwnd, himc);
    return true;
  }
  HIMC himc = ImmGetContext(hwnd);
  DWORD conversion = 0, sentence = 0;
  bool hangul = ImmGetConversionStatus(himc, &conversion, &sentence) && (conversion & IME_CMODE_NATIVE);
  ImmReleaseContext(hwnd, himc);
  bool letter = vk >= 'A' && vk <= 'Z' && !Down(VK_CONTROL) && !Down(VK_MENU);
  if (hangul && letter) {
    int ascii = Down(VK_SHIFT) ? static_cast<int>(vk) : static_cast<int>(vk) + 32;
    if (hangul_ic_process(c.automaton, ascii)) {
      Report(hwnd, ToUtf16(hangul_ic_get_commit_string(c.automaton)), ToUtf16(hangul_ic_get_preedit_string(c.automaton)));
      return true;
    }
  }
  if (vk == VK_BACK && !c.composing.empty() && hangul_ic_backspace(c.automaton)) {
    Report(hwnd, u"", ToUtf16(hangul_ic_get_preedit_string(c.automaton)));
    return true;
  }
  // Any other key ends the syllable first, then does what it does.
  CompleteComposition(hwnd);
  return false;
}

void CompleteComposition(HWND hwnd) {
  Composer& c = TheComposer();
  if (c.composing.empty() || c.owner != hwnd) return;
  std::u16string flushed = ToUtf16(hangul_ic_flush(c.automaton));
  if (flushed.empty()) flushed = c.composing;
  Report(hwnd, flushed, u"");
}

void CancelComposition(HWND hwnd) {
  Composer& c = TheComposer();
  if (c.composing.empty() || c.owner != hwnd) return;
  hangul_ic_reset(c.automaton);
  Report(hwnd, u"", u"");
}

std::u16string CompositionOf(HWND hwnd) {
  Composer& c = TheComposer();
  return c.owner == hwnd ? c.composing : std::u16string();
}

std::u16string ResultOf(HWND hwnd) {
  Composer& c = TheComposer();
  return c.resultOwner == hwnd ? c.result : std::u16string();
}

}  // namespace platform::ui
