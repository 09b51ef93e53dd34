// Timers on the platform clock. A due timer yields one WM_TIMER when nothing else is queued;
// taking it schedules the next one an interval later, so missed periods never pile up.
#include <algorithm>
#include <vector>

#include "platform/base/clock.h"
#include "platform/wm/loop.h"
#include "platform/wm/queue.h"

namespace platform::wm {
namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT interval;
  TIMERPROC proc;
  uint64_t due;
};

std::vector<Timer> g_timers;  // in creation order: ties fire in that order
UINT_PTR g_nextThreadTimer = 1;

}  // namespace

void KillTimersFor(HWND hwnd) {
  g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                 g_timers.end());
}

bool TakeDueTimer(HWND filter, bool remove, MSG* out) {
  uint64_t now = clock::NowMs();
  Timer* best = nullptr;
  for (Timer& t : g_timers) {
    if (t.due > now || !MatchesWindow(filter, t.hwnd)) continue;
    if (t.hwnd && !Find(t.hwnd)) continue;
    if (!best || t.due < best->due) best = &t;
  }
  if (!best) return false;
  *out = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc),
             static_cast<DWORD>(now), {}};
  GetCursorPos(&out->pt);
  if (remove) best->due = now + best->interval;
  return true;
}

std::optional<uint64_t> NextTimerDue() {
  std::optional<uint64_t> next;
  for (const Timer& t : g_timers)
    if ((!t.hwnd || Find(t.hwnd)) && (!next || t.due < *next)) next = t.due;
  return next;
}

void AdvanceClock(uint32_t ms) {
  if (!OnUiThread()) {
    clock::Advance(ms);
    return;
  }
  uint64_t target = clock::NowMs() + ms;
  for (;;) {
    if (!PumpUntilIdle()) break;  // quitting: no more timers run
    auto next = NextTimerDue();
    if (!next || *next > target) break;
    clock::AdvanceTo(*next);
    if (!PumpUntilIdle()) break;
  }
  clock::AdvanceTo(target);
  PumpUntilIdle();
}

}  // namespace platform::wm

using namespace platform::wm;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  EnsureUiThread();
  if (hwnd && !Check(hwnd)) return 0;
  if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
  uint64_t due = platform::clock::NowMs() + elapse;
  for (Timer& t : g_timers) {
    if (t.hwnd == hwnd && t.id == id && (hwnd || id)) {
      t.interval = elapse;
      t.proc = proc;
      t.due = due;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  if (!hwnd) {
    // A thread timer gets an identifier of its own.
    for (;;) {
      id = g_nextThreadTimer++;
      bool used = std::any_of(g_timers.begin(), g_timers.end(),
                              [&](const Timer& t) { return !t.hwnd && t.id == id; });
      if (!used) break;
    }
  }
  g_timers.push_back(Timer{hwnd, id, elapse, proc, due});
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto it = std::find_if(g_timers.begin(), g_timers.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == g_timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  g_timers.erase(it);
  return TRUE;
}
