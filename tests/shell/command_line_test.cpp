#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "shell/command_line.h"

namespace {

// Only a number handed over is written: the other modes leave the buffer as it was.
TEST(CommandLine, ModesAndNumbers) {
  const std::u16string untouched(kNumberChars - 1, u'#');
  WCHAR number[kNumberChars] = {};
  EXPECT_EQ(ParseCommandLine(nullptr, number), VM_LIST);  // absent
  const std::u16string longNumber(300, u'7');
  const struct {
    std::u16string line;
    ViewMode mode;
    std::u16string number = u"";  // only for a number handed over
  } cases[] = {
      {u"", VM_LIST},
      // Single options match in any case; anything else alone gives the list.
      {u"-NEW", VM_COMPOSE},
      {u"-new", VM_COMPOSE},
      {u"-Recent", VM_THREAD_FIRST},
      {u"-CONTACTS", VM_CONTACTS},
      {u"-newer", VM_LIST},
      {u"new", VM_LIST},
      {u"1", VM_LIST},
      // -new or 1 before a number addresses it; a number after anything else gives the list.
      {u"-new 0101234", VM_COMPOSE_TO_NUMBER, u"0101234"},
      {u"1 0101234", VM_COMPOSE_TO_NUMBER, u"0101234"},
      {u"-NeW 5", VM_COMPOSE_TO_NUMBER, u"5"},
      {u"-recent 0101", VM_LIST},
      {u"-contacts 0101", VM_LIST},
      {u"2 0101", VM_LIST},
      // Every space separates tokens: two spaces leave an empty one between them, a leading
      // space an empty first one; a trailing space adds none.
      {u"-new  0101234", VM_LIST},
      {u" -new", VM_LIST},
      {u"-new ", VM_COMPOSE},
      {u"-new 0101 ", VM_COMPOSE_TO_NUMBER, u"0101"},
      {u"-new a b", VM_LIST},
      // No quoting is recognised.
      {u"\"-new\"", VM_LIST},
      {u"-new \"010\"", VM_COMPOSE_TO_NUMBER, u"\"010\""},
      // A long number is cut to 259 characters.
      {u"-new " + longNumber, VM_COMPOSE_TO_NUMBER, longNumber.substr(0, 259)},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::copy(untouched.begin(), untouched.end(), number);
    EXPECT_EQ(ParseCommandLine(cases[i].line.c_str(), number), cases[i].mode) << "case " << i;
    EXPECT_EQ(std::u16string(number), cases[i].mode == VM_COMPOSE_TO_NUMBER ? cases[i].number : untouched)
        << "case " << i;
  }
}

}  // namespace
