#include "compose/compose_counter.h"

#include <windows.h>

#include "compose/send_text.h"

namespace compose {

int PageCount(int bytes) {
  if (bytes <= 0) return 0;
  return bytes / kPageBytes + (bytes % kPageBytes ? 1 : 0);
}

ComposeCount CountComposed(std::u16string_view text, int extra) {
  if (static_cast<int>(text.size()) + extra < 1) return {};
  const int bytes = ByteLength(text) + extra;
  return {bytes, PageCount(bytes)};
}

std::u16string CounterText(const ComposeCount& count) {
  WCHAR text[32];
  StringCchPrintfW(text, 32, u"%d자/%d쪽", count.bytes, count.pages);
  return text;
}

}  // namespace compose
