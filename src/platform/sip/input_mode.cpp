#include "platform/sip/input_mode.h"

#include "imm.h"
#include "windows.h"

namespace platform::sip {

bool FocusedIsHangul() {
  HWND focus = GetFocus();
  HIMC context = focus ? ImmGetContext(focus) : nullptr;
  if (!context) return false;
  DWORD conversion = 0, sentence = 0;
  bool native = ImmGetConversionStatus(context, &conversion, &sentence) && (conversion & IME_CMODE_NATIVE);
  ImmReleaseContext(focus, context);
  return native;
}

void SetFocusedHangul(bool hangul) {
  HWND focus = GetFocus();
  HIMC context = focus ? ImmGetContext(focus) : nullptr;
  if (!context) return;
  DWORD conversion = 0, sentence = 0;
  if (ImmGetConversionStatus(context, &conversion, &sentence)) {
    DWORD wanted = hangul ? (conversion | IME_CMODE_NATIVE) : (conversion & ~static_cast<DWORD>(IME_CMODE_NATIVE));
    if (wanted != conversion) ImmSetConversionStatus(context, wanted, sentence);
  }
  ImmReleaseContext(focus, context);
}

std::u16string CompositionOf(HWND hwnd) {
  HIMC context = ImmGetContext(hwnd);
  if (!context) return u"";
  std::u16string text;
  LONG bytes = ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0);
  if (bytes > 0) {
    text.resize(static_cast<size_t>(bytes) / sizeof(WCHAR));
    ImmGetCompositionStringW(context, GCS_COMPSTR, text.data(), static_cast<DWORD>(bytes));
  }
  ImmReleaseContext(hwnd, context);
  return text;
}

}  // namespace platform::sip
