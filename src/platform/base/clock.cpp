#include "platform/base/clock.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

#include "winbase.h"

namespace platform::clock {
namespace {

using Steady = std::chrono::steady_clock;

std::atomic<bool> g_virtual{false};
std::atomic<uint64_t> g_virtualMs{0};
// Local time of tick 0 in virtual mode, as 100 ns units since 1601 (FILETIME scale).
std::atomic<uint64_t> g_virtualBase{0};
const Steady::time_point g_realStart = Steady::now();
std::function<void(uint32_t)> g_sleepHook;

uint64_t FileTimeValue(const SYSTEMTIME& st) {
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

void UseReal() { g_virtual = false; }

void UseVirtual(const SYSTEMTIME& start) {
  g_virtualBase = FileTimeValue(start);
  g_virtualMs = 0;
  g_virtual = true;
}

bool IsVirtual() { return g_virtual; }

uint64_t NowMs() {
  if (g_virtual) return g_virtualMs;
  return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - g_realStart).count();
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME st{};
  if (g_virtual) {
    uint64_t v = g_virtualBase + g_virtualMs * 10000ull;
    FILETIME ft{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
    FileTimeToSystemTime(&ft, &st);
    return st;
  }
  auto now = std::chrono::system_clock::now();
  time_t t = std::chrono::system_clock::to_time_t(now);
  struct tm tm {};
  localtime_r(&t, &tm);
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  st.wMilliseconds = static_cast<WORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  return st;
}

void AdvanceTo(uint64_t ms) {
  if (!g_virtual) return;
  uint64_t cur = g_virtualMs;
  while (ms > cur && !g_virtualMs.compare_exchange_weak(cur, ms)) {
  }
}

void Advance(uint64_t ms) { AdvanceTo(NowMs() + ms); }

void SetVirtualSleepHook(std::function<void(uint32_t)> hook) { g_sleepHook = std::move(hook); }
const std::function<void(uint32_t)>& VirtualSleepHook() { return g_sleepHook; }

bool ParseLocalTime(const char* text, SYSTEMTIME* out) {
  int y, mo, d, h, mi, s;
  char tail;
  if (!text || std::sscanf(text, "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
    return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1601 || y > 9999 || mo < 1 || mo > 12 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
    return false;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int dim = kDays[mo - 1] + (mo == 2 && leap ? 1 : 0);
  if (d < 1 || d > dim) return false;
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(mo);
  st.wDay = static_cast<WORD>(d);
  st.wHour = static_cast<WORD>(h);
  st.wMinute = static_cast<WORD>(mi);
  st.wSecond = static_cast<WORD>(s);
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  FileTimeToSystemTime(&ft, &st);  // fills the day of the week
  *out = st;
  return true;
}

}  // namespace platform::clock

DWORD GetTickCount() { return static_cast<DWORD>(platform::clock::NowMs()); }
void GetLocalTime(LPSYSTEMTIME st) {
  if (st) *st = platform::clock::LocalNow();
}
void GetSystemTime(LPSYSTEMTIME st) { GetLocalTime(st); }

void Sleep(DWORD ms) {
  if (platform::clock::IsVirtual()) {
    const auto& hook = platform::clock::VirtualSleepHook();
    if (hook) hook(ms);
    else platform::clock::Advance(ms);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
