#include "compose/forward_text.h"

namespace compose {

std::u16string ForwardedText(std::u16string_view text) {
  if (!text.empty() && text.back() == u'\n') text.remove_suffix(1);
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out += u'\r';
    out += text[i];
  }
  return out;
}

}  // namespace compose
