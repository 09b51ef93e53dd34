#include <gtest/gtest.h>

#include <string>

#include "shell/command_line.h"

namespace {

struct Parsed {
  ViewMode mode;
  std::u16string number;
};

Parsed Parse(const std::u16string& line) {
  WCHAR number[kNumberChars];
  for (WCHAR& c : number) c = u'#';
  number[kNumberChars - 1] = 0;
  ViewMode mode = ParseCommandLine(line.c_str(), number);
  return {mode, mode == VM_COMPOSE_TO_NUMBER ? std::u16string(number) : std::u16string()};
}

TEST(CommandLine, EmptyOrAbsentGivesTheList) {
  WCHAR number[kNumberChars] = {};
  EXPECT_EQ(ParseCommandLine(nullptr, number), VM_LIST);
  EXPECT_EQ(ParseCommandLine(u"", number), VM_LIST);
}

TEST(CommandLine, SingleOptionsMatchInAnyCase) {
  EXPECT_EQ(Parse(u"-NEW").mode, VM_COMPOSE);
  EXPECT_EQ(Parse(u"-new").mode, VM_COMPOSE);
  EXPECT_EQ(Parse(u"-Recent").mode, VM_THREAD_FIRST);
  EXPECT_EQ(Parse(u"-CONTACTS").mode, VM_CONTACTS);
}

TEST(CommandLine, UnknownSingleTokensGiveTheList) {
  EXPECT_EQ(Parse(u"-newer").mode, VM_LIST);
  EXPECT_EQ(Parse(u"new").mode, VM_LIST);
  EXPECT_EQ(Parse(u"1").mode, VM_LIST);
}

TEST(CommandLine, NewOrOneBeforeANumberAddressesIt) {
  Parsed a = Parse(u"-new 0101234");
  EXPECT_EQ(a.mode, VM_COMPOSE_TO_NUMBER);
  EXPECT_EQ(a.number, u"0101234");
  Parsed b = Parse(u"1 0101234");
  EXPECT_EQ(b.mode, VM_COMPOSE_TO_NUMBER);
  EXPECT_EQ(b.number, u"0101234");
  EXPECT_EQ(Parse(u"-NeW 5").number, u"5");
}

TEST(CommandLine, ANumberAfterAnythingElseGivesTheList) {
  EXPECT_EQ(Parse(u"-recent 0101").mode, VM_LIST);
  EXPECT_EQ(Parse(u"-contacts 0101").mode, VM_LIST);
  EXPECT_EQ(Parse(u"2 0101").mode, VM_LIST);
}

TEST(CommandLine, EverySpaceSeparatesTokens) {
  // Two spaces leave an empty token between them: three tokens.
  EXPECT_EQ(Parse(u"-new  0101234").mode, VM_LIST);
  // A leading space makes an empty first token.
  EXPECT_EQ(Parse(u" -new").mode, VM_LIST);
  // A trailing space adds no token.
  EXPECT_EQ(Parse(u"-new ").mode, VM_COMPOSE);
  Parsed trailing = Parse(u"-new 0101 ");
  EXPECT_EQ(trailing.mode, VM_COMPOSE_TO_NUMBER);
  EXPECT_EQ(trailing.number, u"0101");
  EXPECT_EQ(Parse(u"-new a b").mode, VM_LIST);
}

TEST(CommandLine, NoQuotingIsRecognised) {
  EXPECT_EQ(Parse(u"\"-new\"").mode, VM_LIST);
  Parsed quoted = Parse(u"-new \"010\"");
  EXPECT_EQ(quoted.number, u"\"010\"");
}

TEST(CommandLine, ALongNumberIsCutTo259Characters) {
  std::u16string number(300, u'7');
  Parsed p = Parse(u"-new " + number);
  EXPECT_EQ(p.mode, VM_COMPOSE_TO_NUMBER);
  EXPECT_EQ(p.number, number.substr(0, 259));
}

TEST(CommandLine, OtherModesLeaveTheNumberBufferAlone) {
  WCHAR number[kNumberChars] = u"keep";
  ParseCommandLine(u"-recent", number);
  ParseCommandLine(u"-new  0101", number);
  EXPECT_EQ(std::u16string(number), u"keep");
}

}  // namespace
