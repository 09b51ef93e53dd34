#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/base/handle_table.h"
#include "platform/base/text.h"
#include "windows.h"

TEST(TimeConvert, FileTimeRoundTripKeepsEveryField) {
  SYSTEMTIME st{2024, 3, 0, 5, 14, 7, 9, 250};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  SYSTEMTIME back{};
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(back.wYear, 2024);
  EXPECT_EQ(back.wMonth, 3);
  EXPECT_EQ(back.wDay, 5);
  EXPECT_EQ(back.wDayOfWeek, 2);  // a Tuesday
  EXPECT_EQ(back.wHour, 14);
  EXPECT_EQ(back.wMinute, 7);
  EXPECT_EQ(back.wSecond, 9);
  EXPECT_EQ(back.wMilliseconds, 250);
}

TEST(TimeConvert, FileTimeEpochAndInvalidDates) {
  SYSTEMTIME epoch{1601, 1, 0, 1, 0, 0, 0, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &ft));
  EXPECT_EQ(ft.dwLowDateTime, 0u);
  EXPECT_EQ(ft.dwHighDateTime, 0u);
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
  EXPECT_EQ(back.wDay, 31);
  EXPECT_EQ(back.wHour, 12);
  EXPECT_EQ(back.wMilliseconds, 0);
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
  EXPECT_EQ(now.wDay, 6);
  EXPECT_EQ(now.wHour, 0);
  EXPECT_EQ(now.wSecond, 0);
  EXPECT_EQ(now.wMilliseconds, 500);
  EXPECT_FALSE(platform::clock::ParseLocalTime("2024-02-30 00:00:00", &now));
  EXPECT_FALSE(platform::clock::ParseLocalTime("yesterday", &now));
}

TEST(SafeStrings, CopyTruncatesAndTerminates) {
  WCHAR buf[4];
  EXPECT_EQ(StringCchCopyW(buf, 4, u"abcdef"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(StringCchCopyW(buf, 4, u"ab"), S_OK);
  EXPECT_EQ(std::u16string(buf), u"ab");
}

TEST(SafeStrings, FormatterHandlesWidthsAndWideStrings) {
  WCHAR buf[64];
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

TEST(HandleTable, StaleAndForeignHandlesDoNotResolve) {
  platform::HandleTable<int> windows(platform::kTagWindow);
  platform::HandleTable<int> gdi(platform::kTagGdi);
  uint32_t h = windows.Add(std::make_shared<int>(7));
  ASSERT_NE(h, 0u);
  EXPECT_EQ(*windows.Get(h), 7);
  EXPECT_EQ(gdi.Get(h), nullptr);
  windows.Remove(h);
  uint32_t h2 = windows.Add(std::make_shared<int>(8));
  EXPECT_EQ(h2 & 0xFFFFF, h & 0xFFFFF);  // same slot reused
  EXPECT_EQ(windows.Get(h), nullptr);      // but the old handle is stale
  EXPECT_EQ(*windows.Get(h2), 8);
}
