// Measuring and cutting a message: the byte count the counter shows, the parts it is sent in.
#include "compose/send_text.h"

namespace compose {
namespace {

bool IsPairAt(std::u16string_view text, size_t i) {
  return text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
         text[i + 1] < 0xE000;
}

}  // namespace

int ByteLength(std::u16string_view text) {
  int bytes = 0;
  for (char16_t c : text) bytes += c == u'\r' ? 0 : c < 129 ? 1 : 2;
  return bytes;
}

int CutPart(std::u16string_view text, std::u16string* part, int limit) {
  int bytes = 0;
  size_t taken = 0;
  while (taken < text.size()) {
    // A surrogate pair is one character of two units: it is never split either.
    const size_t units = IsPairAt(text, taken) ? 2 : 1;
    const int width = units == 2 ? 4 : text[taken] < 129 ? 1 : 2;
    if (bytes + width > limit) break;
    bytes += width;
    taken += units;
    if (bytes == limit) break;
  }
  if (part) part->assign(text.substr(0, taken));
  return static_cast<int>(taken);
}

bool IsAllDigits(std::u16string_view text) {
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

}  // namespace compose
