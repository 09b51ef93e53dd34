#include <gtest/gtest.h>

#include <tuple>

#include "platform/base/clock.h"
#include "platform/base/text.h"
#include "windows.h"

auto Fields(const SYSTEMTIME& t) {
  return std::tuple(t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

TEST(TimeConvert, FileTimeRoundTripKeepsEveryFieldFromTheEpochAndRefusesInvalidDates) {
  SYSTEMTIME st{2024, 3, 0, 5, 14, 7, 9, 250};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  SYSTEMTIME back{};
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(Fields(back), Fields(SYSTEMTIME{2024, 3, 2, 5, 14, 7, 9, 250}));  // a Tuesday
  SYSTEMTIME epoch{1601, 1, 0, 1, 0, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &ft));
  EXPECT_EQ(std::tuple(ft.dwLowDateTime, ft.dwHighDateTime), std::tuple(0u, 0u));
  SYSTEMTIME feb30{2023, 2, 0, 30, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&feb30, &ft));
}

TEST(TimeConvert, VariantTimeDropsMillisecondsAndCountsFrom1899) {
  SYSTEMTIME st{1899, 12, 0, 31, 12, 0, 0, 999};
  double d = 0;
  ASSERT_TRUE(SystemTimeToVariantTime(&st, &d));
  EXPECT_DOUBLE_EQ(d, 1.5);
  SYSTEMTIME back{};
  ASSERT_TRUE(VariantTimeToSystemTime(d, &back));
  EXPECT_EQ(std::tuple(back.wDay, back.wHour, back.wMilliseconds), std::tuple(31, 12, 0));
}

TEST(Clock, VirtualClockMovesOnlyWhenTold) {
  SYSTEMTIME start;
  ASSERT_TRUE(platform::clock::ParseLocalTime("2024-03-05 23:59:59", &start));
  platform::clock::UseVirtual(start);
  EXPECT_EQ(GetTickCount(), 0u);
  platform::clock::Advance(1500);
  EXPECT_EQ(GetTickCount(), 1500u);
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(std::tuple(now.wDay, now.wHour, now.wSecond, now.wMilliseconds), std::tuple(6, 0, 0, 500));
  for (const char* bad : {"2024-02-30 00:00:00", "yesterday"}) EXPECT_FALSE(platform::clock::ParseLocalTime(bad, &now));
}

TEST(SafeStrings, CopyAndFormatTruncateTerminateAndHandleWidthsAndWideStrings) {
  WCHAR buf[64];
  EXPECT_EQ(StringCchCopyW(buf, 4, u"abcdef"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(StringCchCopyW(buf, 4, u"ab"), S_OK);
  EXPECT_EQ(std::u16string(buf), u"ab");
  StringCchPrintfW(buf, 64, u"%04d%02d%02d%02d%02d%02d%03d", 2024, 3, 5, 14, 7, 9, 2);
  EXPECT_EQ(std::u16string(buf), u"20240305140709002");
  StringCchPrintfW(buf, 64, u"%s\n(%d개)", u"김철수", 12);
  EXPECT_EQ(std::u16string(buf), u"김철수\n(12개)");
  StringCchPrintfW(buf, 8, u"%d", 123456789);
  EXPECT_EQ(std::u16string(buf), u"1234567");
}

TEST(Utf, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(platform::Utf8ToUtf16("\xea\xb9\x80"), u"김");
  EXPECT_EQ(platform::Utf8ToUtf16("a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(platform::Utf8ToUtf16("\xe0\x80\x80"), u"\uFFFD");  // overlong
  EXPECT_EQ(platform::Utf16ToUtf8(u"김\U0001F600"), "\xea\xb9\x80\xf0\x9f\x98\x80");
}
