#include "shell/command_line.h"

#include <string_view>
#include <vector>

namespace {

// Tokens at every single space: adjacent spaces give empty tokens, no quoting. Text after the
// last space only counts when it is not empty.
std::vector<std::u16string_view> SplitAtSpaces(std::u16string_view text) {
  std::vector<std::u16string_view> tokens;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u' ') {
      tokens.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) tokens.push_back(text.substr(start));
  return tokens;
}

bool SameWord(std::u16string_view token, std::u16string_view word) {
  if (token.size() != word.size()) return false;
  return _wcsnicmp(token.data(), word.data(), word.size()) == 0;
}

}  // namespace

ViewMode ParseCommandLine(LPCWSTR commandLine, WCHAR* number) {
  if (!commandLine || !*commandLine) return VM_LIST;
  std::vector<std::u16string_view> tokens = SplitAtSpaces(commandLine);
  if (tokens.size() == 1) {
    if (SameWord(tokens[0], u"-new")) return VM_COMPOSE;
    if (SameWord(tokens[0], u"-recent")) return VM_THREAD_FIRST;
    if (SameWord(tokens[0], u"-contacts")) return VM_CONTACTS;
    return VM_LIST;
  }
  if (tokens.size() == 2 && (SameWord(tokens[0], u"-new") || SameWord(tokens[0], u"1"))) {
    StringCchCopyNW(number, kNumberChars, tokens[1].data(), tokens[1].size());
    return VM_COMPOSE_TO_NUMBER;
  }
  return VM_LIST;
}
