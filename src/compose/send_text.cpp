// Placeholder until the sending lands: every send fails. ByteLength is already the real rule,
// which the compose counter needs.
#include "compose/send_text.h"

namespace compose {
int ByteLength(std::u16string_view text) {
  int bytes = 0;
  for (char16_t c : text) bytes += c == u'\r' ? 0 : c < 129 ? 1 : 2;
  return bytes;
}
int CutPart(std::u16string_view, std::u16string*, int) { return 0; }
bool IsAllDigits(std::u16string_view) { return false; }
bool SendShortMessage(const std::u16string&, const std::u16string&, const std::u16string&) { return false; }
int SendComposedText(ComposedMessage&, MessageStore&, parlo::ContactBook&) { return SEND_FAILED; }
const WCHAR* SendResultText(int) { return u""; }
const WCHAR* SendResultTitle(int) { return u""; }
}  // namespace compose
