// Typing at the end of a 1,000-character multi-line edit: the key through the input method,
// the edit, EN_CHANGE to the parent, the synchronous repaint, and a present that copies the
// screen out as a display does.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/screen.h"
#include "platform/ui/controls.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "windows.h"

namespace {

int g_changes = 0;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) ++g_changes;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct TypingScreen {
  TypingScreen() {
    platform::gdi::CreateScreen(480, 800, 192, 192);
    platform::ui::RegisterSystemClasses();
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = u"TypingParent";
    RegisterClassW(&wc);
    frame.resize(480 * 800);
    platform::wm::SetPresentHook([this] {
      std::memcpy(frame.data(), platform::gdi::ScreenPixels(), frame.size() * sizeof(uint32_t));
    });
    parent = CreateWindowExW(0, u"TypingParent", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
    // The compose view's text field: border, scroll bar, multi-line, auto-scroll, want return.
    edit = CreateWindowExW(0, u"EDIT", u"", 0x56A01144, 4, 144, 472, 500, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(1001)), nullptr, nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -40;
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    std::u16string face = u"Tahoma";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    font = CreateFontIndirectW(&lf);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetFocus(edit);
    Reset();
  }
  ~TypingScreen() {
    DestroyWindow(parent);
    DeleteObject(font);
    platform::wm::SetPresentHook(nullptr);
  }
  void Reset() {
    std::u16string text;
    for (int i = 0; i < 1000; ++i) text += (i % 40 == 39) ? u' ' : (i % 2 ? u'가' : u'a');
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, EM_SETSEL, 1000, 1000);
    platform::wm::PumpUntilIdle();
  }
  void Mode(DWORD conversion) {
    HIMC himc = ImmGetContext(edit);
    ImmSetConversionStatus(himc, conversion, 0);
    ImmReleaseContext(edit, himc);
  }
  static void Key(UINT vk) {
    platform::wm::InjectKey(vk, true);
    platform::wm::PumpUntilIdle();
    platform::wm::InjectKey(vk, false);
    platform::wm::PumpUntilIdle();
  }
  HWND parent = nullptr, edit = nullptr;
  HFONT font = nullptr;
  std::vector<uint32_t> frame;
};

void Type(benchmark::State& state, DWORD conversion, const std::vector<UINT>& keys) {
  TypingScreen s;
  s.Mode(conversion);
  size_t i = 0;
  g_changes = 0;
  for (auto _ : state) {
    TypingScreen::Key(keys[i++ % keys.size()]);
    if (i % 64 == 0) {
      state.PauseTiming();
      s.Reset();
      state.ResumeTiming();
    }
  }
  if (conversion == IME_CMODE_ALPHANUMERIC && g_changes == 0) state.SkipWithError("no EN_CHANGE seen");
  state.counters["chars"] = GetWindowTextLengthW(s.edit);
}

// A Latin letter: WM_KEYDOWN, the input method passes it on, WM_CHAR inserts, EN_CHANGE.
void BM_TypeLatinAtEndOf1000(benchmark::State& state) { Type(state, IME_CMODE_ALPHANUMERIC, {'A'}); }
// Hangul jamo keys (ㅎ ㅏ ㄴ ...): each a composition step, every other one a commit with WM_CHAR.
void BM_TypeHangulAtEndOf1000(benchmark::State& state) {
  Type(state, IME_CMODE_NATIVE, {'G', 'K', 'S', 'K', 'R', 'N', 'R'});
}

BENCHMARK(BM_TypeLatinAtEndOf1000)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TypeHangulAtEndOf1000)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
