// Input contexts, one per window, and the Imm* calls. A context's handle names its window, so
// the context of a destroyed window no longer resolves and every call on it is refused.
#include <algorithm>
#include <map>
#include <vector>

#include "platform/base/handle_table.h"
#include "platform/ui/ime.h"
#include "platform/ui/ime_composer.h"
#include "platform/wm/input.h"

namespace platform::ui {
namespace {

struct Context {
  DWORD conversion = IME_CMODE_ALPHANUMERIC;
  DWORD sentence = IME_SMODE_NONE;
};

// Never destroyed: a window destroyed while the process exits (an edit ending its composition as
// it loses the focus) still asks for its context after static destructors have run.
std::map<HWND, Context>& Contexts() {
  static auto* contexts = new std::map<HWND, Context>;
  return *contexts;
}

std::vector<std::pair<int, ConversionListener>>& Listeners() {
  static auto* listeners = new std::vector<std::pair<int, ConversionListener>>;
  return *listeners;
}

HWND WindowOf(HIMC himc) { return ToHandle<HWND>(FromHandle(himc)); }

// The context of a live window; contexts of windows gone since are forgotten on the way.
Context* Find(HIMC himc) {
  HWND hwnd = WindowOf(himc);
  if (!himc || !IsWindow(hwnd)) {
    if (himc) Contexts().erase(hwnd);
    return nullptr;
  }
  return &Contexts()[hwnd];
}

}  // namespace

void InstallInputMethod() { wm::SetKeyTranslator(ComposeKey); }

DWORD FocusedConversionMode() {
  HWND focus = GetFocus();
  if (!focus) return IME_CMODE_ALPHANUMERIC;
  auto it = Contexts().find(focus);
  return it == Contexts().end() ? IME_CMODE_ALPHANUMERIC : it->second.conversion;
}

int AddConversionListener(ConversionListener listener) {
  static int next = 0;
  Listeners().push_back({++next, std::move(listener)});
  return next;
}

void RemoveConversionListener(int id) {
  auto& l = Listeners();
  l.erase(std::remove_if(l.begin(), l.end(), [id](const auto& p) { return p.first == id; }), l.end());
}

}  // namespace platform::ui

using namespace platform::ui;

HIMC ImmGetContext(HWND hwnd) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HIMC himc = platform::ToHandle<HIMC>(platform::FromHandle(hwnd));
  Find(himc);
  return himc;
}

BOOL ImmReleaseContext(HWND hwnd, HIMC himc) { return IsWindow(hwnd) && Find(himc) ? TRUE : FALSE; }

BOOL ImmGetConversionStatus(HIMC himc, LPDWORD conversion, LPDWORD sentence) {
  Context* c = Find(himc);
  if (!c) return FALSE;
  if (conversion) *conversion = c->conversion;
  if (sentence) *sentence = c->sentence;
  return TRUE;
}

BOOL ImmSetConversionStatus(HIMC himc, DWORD conversion, DWORD sentence) {
  Context* c = Find(himc);
  if (!c) return FALSE;
  HWND hwnd = WindowOf(himc);
  bool changed = c->conversion != conversion;
  // Leaving Hangul mode ends the syllable being composed.
  if ((c->conversion & IME_CMODE_NATIVE) && !(conversion & IME_CMODE_NATIVE)) CompleteComposition(hwnd);
  c = Find(himc);
  if (!c) return FALSE;
  c->conversion = conversion;
  c->sentence = sentence;
  if (changed) {
    SendMessageW(hwnd, WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0);
    auto listeners = Listeners();  // a listener may remove itself
    for (auto& [id, listener] : listeners) listener(hwnd, conversion);
  }
  return TRUE;
}

LONG ImmGetCompositionStringW(HIMC himc, DWORD index, LPVOID buffer, DWORD bufferBytes) {
  if (!Find(himc)) return IMM_ERROR_GENERAL;
  HWND hwnd = WindowOf(himc);
  std::u16string s;
  if (index == GCS_COMPSTR) s = CompositionOf(hwnd);
  else if (index == GCS_RESULTSTR) s = ResultOf(hwnd);
  else return IMM_ERROR_NODATA;
  DWORD bytes = static_cast<DWORD>(s.size() * sizeof(char16_t));
  if (bufferBytes == 0 || !buffer) return static_cast<LONG>(bytes);
  DWORD n = std::min(bytes, bufferBytes) / sizeof(char16_t);
  std::copy(s.begin(), s.begin() + n, static_cast<char16_t*>(buffer));
  return static_cast<LONG>(n * sizeof(char16_t));
}

BOOL ImmNotifyIME(HIMC himc, DWORD action, DWORD index, DWORD value) {
  if (!Find(himc) || action != NI_COMPOSITIONSTR) return FALSE;
  HWND hwnd = WindowOf(himc);
  if (index == CPS_COMPLETE) CompleteComposition(hwnd);
  else if (index == CPS_CANCEL) CancelComposition(hwnd);
  else return FALSE;
  return TRUE;
}
