// The clean-ups the store applies to every message text and number it reads.
#include <cstdlib>

#include "fuzz_bytes.h"
#include "store/message_record.h"
#include "store/text_normalize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text = parlo_fuzz::Utf16(data, size);
  std::u16string wrapped = WrapText(text);
  if (wrapped.size() > kTextChars - 1) std::abort();
  std::u16string trimmed = TrimNumber(text);
  if (!trimmed.empty() && (trimmed.front() == u' ' || trimmed.back() == u' ')) std::abort();
  return 0;
}
