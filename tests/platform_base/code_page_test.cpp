// The phone's ANSI code page is Korean (949): Hangul takes two bytes, ASCII one.
#include <gtest/gtest.h>

#include <string>

#include "windows.h"

namespace {

std::string ToAnsi(const std::u16string& text, BOOL* usedDefault = nullptr) {
  const int size = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, usedDefault);
  std::string out(static_cast<size_t>(needed), '\0');
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), needed, nullptr, usedDefault), needed);
  return out;
}

TEST(CodePage, HangulIsTwoBytesOfCodePage949AndComesBack) {
  EXPECT_EQ(ToAnsi(u"010"), "010");
  EXPECT_EQ(ToAnsi(u"한a"), "\xC7\xD1" "a");
  EXPECT_EQ(ToAnsi(u"똠"), "\x8C\x63");  // a syllable outside EUC-KR, which 949 adds
  const std::string bytes = "\xC7\xD1" "a";
  WCHAR wide[4] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes.data(), 3, wide, 4), 2);
  EXPECT_EQ(std::u16string(wide, 2), u"한a");
}

TEST(CodePage, ACharacterTheCodePageLacksBecomesTheDefault) {
  BOOL usedDefault = FALSE;
  EXPECT_EQ(ToAnsi(u"a😀b", &usedDefault), "a?b");  // one character, though two units
  EXPECT_TRUE(usedDefault);
  WCHAR wide[4] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xC7", 1, wide, 4), 1);  // a lead byte alone
  EXPECT_EQ(wide[0], u'\uFFFD');
}

TEST(CodePage, SizesAndBuffersAsTheSystemCountsThem) {
  char buffer[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"한글", -1, nullptr, 0, nullptr, nullptr), 5);  // with the terminator
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"한글", -1, buffer, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"한", -1, buffer, 8, nullptr, nullptr), 4);
  EXPECT_STREQ(buffer, "\xED\x95\x9C");
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"a", 1, buffer, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a", 0, buffer, 8, nullptr, nullptr), 0);
}

}  // namespace
