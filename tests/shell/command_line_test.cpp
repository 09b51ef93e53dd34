#include <gtest/gtest.h>

#include <iterator>
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

TEST(CommandLine, ModesAndNumbers) {
  WCHAR number[kNumberChars] = {};
  EXPECT_EQ(ParseCommandLine(nullptr, number), VM_LIST);  // absent
  const std::u16string longNumber(300, u'7');
  const struct {
    std::u16string line;
    ViewMode mode;
    std::u16string number;
  } cases[] = {
      {u"", VM_LIST, u""},
      // Single options match in any case; anything else alone gives the list.
      {u"-NEW", VM_COMPOSE, u""},
      {u"-new", VM_COMPOSE, u""},
      {u"-Recent", VM_THREAD_FIRST, u""},
      {u"-CONTACTS", VM_CONTACTS, u""},
      {u"-newer", VM_LIST, u""},
      {u"new", VM_LIST, u""},
      {u"1", VM_LIST, u""},
      // -new or 1 before a number addresses it; a number after anything else gives the list.
      {u"-new 0101234", VM_COMPOSE_TO_NUMBER, u"0101234"},
      {u"1 0101234", VM_COMPOSE_TO_NUMBER, u"0101234"},
      {u"-NeW 5", VM_COMPOSE_TO_NUMBER, u"5"},
      {u"-recent 0101", VM_LIST, u""},
      {u"-contacts 0101", VM_LIST, u""},
      {u"2 0101", VM_LIST, u""},
      // Every space separates tokens: two spaces leave an empty one between them, a leading
      // space an empty first one; a trailing space adds none.
      {u"-new  0101234", VM_LIST, u""},
      {u" -new", VM_LIST, u""},
      {u"-new ", VM_COMPOSE, u""},
      {u"-new 0101 ", VM_COMPOSE_TO_NUMBER, u"0101"},
      {u"-new a b", VM_LIST, u""},
      // No quoting is recognised.
      {u"\"-new\"", VM_LIST, u""},
      {u"-new \"010\"", VM_COMPOSE_TO_NUMBER, u"\"010\""},
      // A long number is cut to 259 characters.
      {u"-new " + longNumber, VM_COMPOSE_TO_NUMBER, longNumber.substr(0, 259)},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    Parsed p = Parse(cases[i].line);
    EXPECT_EQ(p.mode, cases[i].mode) << "case " << i;
    EXPECT_EQ(p.number, cases[i].number) << "case " << i;
  }
}

TEST(CommandLine, OtherModesLeaveTheNumberBufferAlone) {
  WCHAR number[kNumberChars] = u"keep";
  ParseCommandLine(u"-recent", number);
  ParseCommandLine(u"-new  0101", number);
  EXPECT_EQ(std::u16string(number), u"keep");
}

}  // namespace
