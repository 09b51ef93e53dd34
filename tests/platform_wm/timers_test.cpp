// Timers on the virtual clock: due order, replacement, no pile-up, Sleep on the UI thread.
#include <thread>
#include <tuple>

#include "kit/last_error.h"
#include "platform/base/clock.h"
#include "wm_fixture.h"

namespace wmtest {
namespace {

using platform::wm::AdvanceClock;
using platform::wm::PumpUntilIdle;

class Timers : public WmTest {
 protected:
  // (timer id, tick when it ran) for every WM_TIMER of `w`.
  std::vector<std::pair<UINT_PTR, DWORD>> fired_;
  DWORD t0_ = 0;

  HWND TimedWindow() {
    HWND w = Top(u"t");
    OnMessage(w, [this](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT*) {
      if (msg == WM_TIMER) fired_.emplace_back(wp, GetTickCount() - t0_);
      return msg == WM_TIMER;
    });
    PumpUntilIdle();
    t0_ = GetTickCount();
    return w;
  }
};

// Each timer runs at its own period, timers interleave by due time, and the same id replaces.
TEST_F(Timers, AdvanceRunsEachTimerAtItsOwnTimes) {
  using Fired = std::vector<std::pair<UINT_PTR, DWORD>>;
  const struct {
    std::vector<std::pair<UINT_PTR, UINT>> timers;
    Fired fired;
  } cases[] = {{{{1, 40}}, {{1, 40}, {1, 80}}},
               {{{1, 30}, {2, 50}}, {{1, 30}, {2, 50}, {1, 60}}},
               {{{1, 70}, {1, 30}}, {{1, 30}, {1, 60}}}};
  for (const auto& c : cases) {
    fired_.clear();
    HWND w = TimedWindow();
    for (auto [id, period] : c.timers) EXPECT_EQ(SetTimer(w, id, period, nullptr), id);
    AdvanceClock(80);
    EXPECT_EQ(fired_, c.fired);
    EXPECT_EQ(GetTickCount() - t0_, 80u);
    DestroyWindow(w);
  }
}

// Nothing fires before the period is up, and time that jumped without the loop running gives one
// firing, not one per missed period; a killed timer (also from its own handler, or with its
// window) stops.
TEST_F(Timers, FiresOnlyWhenDueWithoutPileUpAndStopsWhenKilled) {
  HWND w = TimedWindow();
  SetTimer(w, 1, 40, nullptr);
  for (int i = 0; i < 3; ++i) PumpUntilIdle();
  AdvanceClock(39);
  EXPECT_TRUE(fired_.empty());
  platform::clock::Advance(400);
  PumpUntilIdle();
  EXPECT_EQ(fired_.size(), 1u);
  AdvanceClock(39);
  EXPECT_EQ(fired_.size(), 1u);  // the next one is a whole period after it ran
  AdvanceClock(1);
  EXPECT_EQ(fired_.size(), 2u);
  EXPECT_TRUE(KillTimer(w, 1));
  AdvanceClock(200);
  EXPECT_EQ(fired_.size(), 2u);
  EXPECT_EQ(std::tuple(KillTimer(w, 1), KillTimer(w, 99)), std::tuple(FALSE, FALSE));
  int count = 0;
  OnMessage(w, [&](HWND h, UINT msg, WPARAM wp, LPARAM, LRESULT*) {
    if (msg == WM_TIMER) KillTimer(h, wp), ++count;
    return msg == WM_TIMER;
  });
  SetTimer(w, 5, 10, nullptr);
  AdvanceClock(100);
  EXPECT_EQ(count, 1);
  // Destroying the window kills its timers; a gone window gets none.
  SetTimer(w, 1, 40, nullptr);
  DestroyWindow(w);
  AdvanceClock(100);
  EXPECT_EQ(std::tuple(count, KillTimer(w, 1)), std::tuple(1, FALSE));
  EXPECT_EQ(parlo_test::WithError(SetTimer(w, 1, 40, nullptr)), std::tuple(0u, DWORD(ERROR_INVALID_WINDOW_HANDLE)));
}

TEST_F(Timers, TimerProcIsCalledInsteadOfTheWindowAndSleepRunsTimersOnlyOnTheUiThread) {
  static std::vector<std::pair<HWND, UINT_PTR>> calls;
  calls.clear();
  HWND w = TimedWindow();
  SetTimer(w, 9, 20, [](HWND h, UINT msg, UINT_PTR id, DWORD) {
    if (msg == WM_TIMER) calls.emplace_back(h, id);
  });
  UINT_PTR threadTimer = SetTimer(nullptr, 0, 50, [](HWND h, UINT, UINT_PTR id, DWORD) { calls.emplace_back(h, id); });
  ASSERT_NE(threadTimer, 0u);
  AdvanceClock(50);
  EXPECT_TRUE(fired_.empty());
  EXPECT_EQ(calls, (std::vector<std::pair<HWND, UINT_PTR>>{{w, 9}, {w, 9}, {nullptr, threadTimer}}));
  EXPECT_TRUE(KillTimer(nullptr, threadTimer));
  // Sleep on the UI thread runs the timers; on other threads it only moves the clock.
  w = TimedWindow();
  SetTimer(w, 1, 40, nullptr);
  Sleep(100);
  EXPECT_EQ(std::tuple(fired_.size(), GetTickCount() - t0_), std::tuple(2u, 100u));
  std::thread other([] { Sleep(100); });
  other.join();
  EXPECT_EQ(std::tuple(fired_.size(), GetTickCount() - t0_), std::tuple(2u, 200u));
  PumpUntilIdle();
  EXPECT_EQ(fired_.size(), 3u);
}

}  // namespace
}  // namespace wmtest
