#include "platform/device/processes/command_line.h"

namespace platform::device {

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
  std::vector<std::u16string> args;
  std::u16string current;
  bool inArg = false, quoted = false;
  size_t i = 0;
  while (i < line.size()) {
    char16_t c = line[i];
    if (!quoted && (c == u' ' || c == u'\t')) {
      if (inArg) args.push_back(std::move(current));
      current.clear();
      inArg = false;
      ++i;
      continue;
    }
    inArg = true;
    if (c == u'\\') {
      size_t n = 0;
      while (i < line.size() && line[i] == u'\\') ++n, ++i;
      if (i < line.size() && line[i] == u'"') {
        current.append(n / 2, u'\\');
        if (n % 2) {
          current.push_back(u'"');
          ++i;
        }
        // An even run leaves the quote for the next turn, where it toggles.
      } else {
        current.append(n, u'\\');
      }
      continue;
    }
    if (c == u'"') {
      if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
        current.push_back(u'"');
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current.push_back(c);
    ++i;
  }
  if (inArg) args.push_back(std::move(current));
  return args;
}

}  // namespace platform::device
