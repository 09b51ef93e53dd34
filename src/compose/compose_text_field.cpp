#include "compose/compose_text_field.h"

#include <imm.h>
#include <sipapi.h>

#include "views/view_mode.h"

namespace compose {
namespace {

// Every EDIT shares the class procedure, so one saved pointer serves every text field.
WNDPROC g_editProc = nullptr;

bool IsComposing(HWND hwnd) {
  HIMC himc = ImmGetContext(hwnd);
  const LONG bytes = ImmGetCompositionStringW(himc, GCS_COMPSTR, nullptr, 0);
  ImmReleaseContext(hwnd, himc);
  return bytes > 0;
}

LRESULT CALLBACK TextFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The edit takes each message first, so the recount reads the text as it now stands.
  const LRESULT result = CallWindowProcW(g_editProc, hwnd, message, wParam, lParam);
  switch (message) {
    case WM_IME_COMPOSITION:
      if (lParam & GCS_COMPSTR) {
        if (IsComposing(hwnd)) SendMessageW(GetParent(hwnd), UM_RECOUNT, 2, 0);
      } else if (lParam == 0) {
        SendMessageW(GetParent(hwnd), UM_RECOUNT, 0, 0);
      }
      break;
    case WM_CHAR:
      SendMessageW(GetParent(hwnd), UM_RECOUNT, 0, 0);
      break;
  }
  return result;
}

}  // namespace

void SubclassTextField(HWND edit, HFONT font) {
  if (!edit) return;
  const auto previous = reinterpret_cast<WNDPROC>(SetWindowLongW(edit, GWL_WNDPROC,
                                                                  reinterpret_cast<LONG_PTR>(&TextFieldProc)));
  if (previous != &TextFieldProc) g_editProc = previous;
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void SwitchInputMode(HWND field, bool hangul) {
  HIMC himc = ImmGetContext(field);
  DWORD conversion = 0, sentence = 0;
  if (ImmGetConversionStatus(himc, &conversion, &sentence)) {
    conversion &= ~static_cast<DWORD>(3);
    if (hangul) conversion |= IME_CMODE_NATIVE;
    ImmSetConversionStatus(himc, conversion, sentence);
  }
  ImmReleaseContext(field, himc);
  SipShowIM(SIPF_ON);
}

}  // namespace compose
