// Raising the on-screen keyboard over a program's window, until the screen has been handed to
// the display (a copy of the frame, as the SDL window uploads it).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gdi/screen.h"
#include "platform/wm/loop.h"
#include "sipapi.h"
#include "windows.h"

namespace {

void BM_ShowPanel(benchmark::State& state) {
  platform::gdi::CreateScreen(480, 800, 192, 192);
  std::vector<uint32_t> shown(480 * 800);
  platform::wm::SetPresentHook([&] { std::memcpy(shown.data(), platform::gdi::ScreenPixels(), shown.size() * 4); });
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"BenchProgram";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassW(&wc);
  HWND program = CreateWindowExW(0, u"BenchProgram", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
  SetFocus(program);
  platform::wm::PumpUntilIdle();
  for (auto _ : state) {
    SipShowIM(SIPF_ON);
    platform::wm::PumpUntilIdle();  // painted and presented
    state.PauseTiming();
    SipShowIM(SIPF_OFF);
    platform::wm::PumpUntilIdle();
    state.ResumeTiming();
  }
  platform::wm::SetPresentHook(nullptr);
  DestroyWindow(program);
}

}  // namespace

BENCHMARK(BM_ShowPanel)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
