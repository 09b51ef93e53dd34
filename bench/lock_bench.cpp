// The lock screen under the finger, with the built skin, at 192 dpi on a 480 x 800 screen: one
// finger move that adds a dot (handled, painted and on the screen), against a repaint of the
// whole screen. presented_px is the area that reaches the screen for one step.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "kit/view_phone.h"
#include "platform/gdi/window_dc.h"
#include "platform/wm/loop.h"
#include "views/lock_view.h"

namespace {

constexpr int kWidth = bench::ViewPhone::kWidth, kHeight = bench::ViewPhone::kHeight;
// A gesture that adds a dot at every move after the first key.
constexpr int kGesture[] = {0, 1, 2, 5, 4, 3, 6, 7, 8};

struct Phone : bench::ViewPhone {
  Phone() : ViewPhone(u"LockBenchFrame") {
    lock = std::make_unique<parlo::LockView>(Context());
    lock->LoadPassword();
    lock->CreateViewWindow(frame, RECT{0, 0, kWidth, kHeight});
    platform::wm::PumpUntilIdle();
  }

  std::unique_ptr<parlo::LockView> lock;
};

Phone& ThePhone() {
  static Phone phone;
  return phone;
}

LPARAM At(int key) {
  const POINT p = ThePhone().lock->Layout().centres[key];
  return MAKELPARAM(p.x, p.y);
}

void Report(benchmark::State& state, std::vector<double>& ms, double pixels) {
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return;
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
  state.counters["max_ms"] = ms.back();
  state.counters["presented_px"] = pixels;
  state.counters["full_screen_px"] = kWidth * kHeight;
}

void BM_LockMoveAddsADot(benchmark::State& state) {
  Phone& phone = ThePhone();
  HWND view = phone.lock->Window();
  if (!phone.skin->Dot()) state.SkipWithError("the skin library was not found beside the benchmark");
  std::vector<double> ms;
  double pixels = 0;
  size_t next = std::size(kGesture);
  for (auto _ : state) {
    if (next == std::size(kGesture)) {
      // A fresh gesture, untimed: lift (a wrong pattern), let the wipe run, touch the first key.
      state.PauseTiming();
      SendMessageW(view, WM_LBUTTONUP, 0, At(kGesture[next - 1]));
      platform::wm::AdvanceClock(parlo::LockView::kWipeMs);
      SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, At(kGesture[0]));
      platform::wm::PumpUntilIdle();
      next = 1;
      state.ResumeTiming();
    }
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, At(kGesture[next]));
    RECT dirty{};
    GetUpdateRect(view, &dirty, FALSE);
    platform::wm::PumpUntilIdle();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    ms.push_back(seconds * 1000.0);
    pixels = static_cast<double>(dirty.right - dirty.left) * (dirty.bottom - dirty.top);
    if (phone.lock->Gesture().Entered().size() != next + 1) state.SkipWithError("the move added no dot");
    ++next;
  }
  SendMessageW(view, WM_LBUTTONUP, 0, At(kGesture[0]));
  platform::wm::AdvanceClock(parlo::LockView::kWipeMs);
  Report(state, ms, pixels);
}
BENCHMARK(BM_LockMoveAddsADot)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// For comparison: the same view put on the screen whole.
void BM_LockFullScreenPresent(benchmark::State& state) {
  Phone& phone = ThePhone();
  HWND view = phone.lock->Window();
  std::vector<double> ms;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    InvalidateRect(view, nullptr, FALSE);
    platform::wm::PumpUntilIdle();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    ms.push_back(seconds * 1000.0);
  }
  Report(state, ms, kWidth * kHeight);
}
BENCHMARK(BM_LockFullScreenPresent)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
