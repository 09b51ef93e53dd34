#include "store/text_normalize.h"

#include "store/message_record.h"

namespace {
constexpr char16_t kCR = 0x000D;
constexpr char16_t kLF = 0x000A;
constexpr int kLineColumns = 16;

bool IsWide(char16_t c) { return c > 0x0080; }
}  // namespace

std::u16string WrapText(std::u16string_view text) {
  std::u16string out;
  size_t lineStart = 0;
  int columns = 0;
  size_t crCount = 0;
  bool lineFeed = false;
  bool earlyWrap = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == kCR) {
      ++crCount;
      continue;
    }
    if (c == kLF) lineFeed = true;
    columns += IsWide(c) ? 2 : 1;
    // A wide character after column 15 would end at 17: break before it.
    if (columns == kLineColumns - 1 && i + 1 < text.size() && IsWide(text[i + 1])) earlyWrap = true;
    if (lineFeed || earlyWrap || columns >= kLineColumns) {
      // The piece drops as many characters as CRs were met, so a CR LF end keeps only the CR.
      out.append(text.substr(lineStart, i - lineStart + 1 - crCount));
      if (!lineFeed) out.push_back(kLF);
      lineStart = i + 1;
      lineFeed = earlyWrap = false;
      columns = 0;
      crCount = 0;
    }
  }
  if (lineStart < text.size()) out.append(text.substr(lineStart));
  if (out.size() > kTextChars - 1) out.resize(kTextChars - 1);
  return out;
}

std::u16string TrimNumber(std::u16string_view number) {
  size_t first = number.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  size_t last = number.find_last_not_of(u' ');
  return std::u16string(number.substr(first, last - first + 1));
}
