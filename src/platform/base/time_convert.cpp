// Calendar conversions between SYSTEMTIME, FILETIME and automation dates.
#include <cmath>
#include <cstdint>

#include "winbase.h"

namespace {

// Days from 1601-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFrom1601(int y, int m, int d) {
  // Days from 1970-01-01 (Howard Hinnant's algorithm), then shifted.
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  int64_t days1970 = era * 146097 + static_cast<int64_t>(doe) - 719468;
  return days1970 + 134774;  // 1601-01-01 .. 1970-01-01
}

void CivilFromDays1601(int64_t days, int* y, unsigned* m, unsigned* d) {
  int64_t z = days - 134774 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int>(yy + (*m <= 2));
}

bool ValidSystemTime(const SYSTEMTIME& st) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12) return false;
  bool leap = (st.wYear % 4 == 0 && st.wYear % 100 != 0) || st.wYear % 400 == 0;
  int dim = kDays[st.wMonth - 1] + (st.wMonth == 2 && leap ? 1 : 0);
  return st.wDay >= 1 && st.wDay <= dim && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 &&
         st.wMilliseconds < 1000;
}

constexpr int64_t kTicksPerMs = 10000;
constexpr int64_t kTicksPerDay = 86400LL * 1000 * kTicksPerMs;
// Days from 1601-01-01 to 1899-12-30, the automation date's day 0.
constexpr int64_t kVariantEpochDays = 109205;

}  // namespace

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME ft) {
  if (!st || !ft || !ValidSystemTime(*st)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t days = DaysFrom1601(st->wYear, st->wMonth, st->wDay);
  int64_t ms = ((st->wHour * 60LL + st->wMinute) * 60 + st->wSecond) * 1000 + st->wMilliseconds;
  uint64_t v = static_cast<uint64_t>(days * kTicksPerDay + ms * kTicksPerMs);
  ft->dwLowDateTime = static_cast<DWORD>(v);
  ft->dwHighDateTime = static_cast<DWORD>(v >> 32);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* ft, LPSYSTEMTIME st) {
  if (!ft || !st) return FALSE;
  uint64_t v = (static_cast<uint64_t>(ft->dwHighDateTime) << 32) | ft->dwLowDateTime;
  if (v >= 0x8000000000000000ull) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t days = static_cast<int64_t>(v / kTicksPerDay);
  int64_t rem = static_cast<int64_t>(v % kTicksPerDay) / kTicksPerMs;
  int y;
  unsigned m, d;
  CivilFromDays1601(days, &y, &m, &d);
  if (y > 30827) return FALSE;
  st->wYear = static_cast<WORD>(y);
  st->wMonth = static_cast<WORD>(m);
  st->wDay = static_cast<WORD>(d);
  st->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st->wHour = static_cast<WORD>(rem / 3600000);
  st->wMinute = static_cast<WORD>(rem / 60000 % 60);
  st->wSecond = static_cast<WORD>(rem / 1000 % 60);
  st->wMilliseconds = static_cast<WORD>(rem % 1000);
  return TRUE;
}

int SystemTimeToVariantTime(LPSYSTEMTIME st, double* date) {
  if (!st || !date) return FALSE;
  SYSTEMTIME s = *st;
  s.wMilliseconds = 0;
  if (!ValidSystemTime(s)) return FALSE;
  int64_t days = DaysFrom1601(s.wYear, s.wMonth, s.wDay) - kVariantEpochDays;
  double frac = ((s.wHour * 60.0 + s.wMinute) * 60.0 + s.wSecond) / 86400.0;
  // Before day 0 the fraction counts away from zero, as automation dates do.
  *date = days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
  return TRUE;
}

int VariantTimeToSystemTime(double date, LPSYSTEMTIME st) {
  if (!st || !std::isfinite(date)) return FALSE;
  double whole = std::trunc(date);
  double frac = std::fabs(date - whole);
  int64_t secs = static_cast<int64_t>(std::llround(frac * 86400.0));
  int64_t days = static_cast<int64_t>(whole) + kVariantEpochDays;
  if (secs >= 86400) { secs -= 86400; days += 1; }
  if (days < 0) return FALSE;
  FILETIME ft;
  uint64_t v = static_cast<uint64_t>(days * kTicksPerDay + secs * 1000 * kTicksPerMs);
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return FileTimeToSystemTime(&ft, st);
}
