#include "views/conversation_row.h"

#include "draw/dpi.h"

namespace parlo {

std::u16string PreviewText(const WCHAR* text, bool whole) {
  if (!text) return {};
  if (whole) return text;
  std::u16string out;
  for (const WCHAR* p = text; *p && out.size() < kShortPreviewChars; ++p) {
    if (*p == u'\r' || *p == u'\n') continue;
    out.push_back(*p);
  }
  return out;
}

ConversationRow::ConversationRow() { height = ScaleY(60); }

}  // namespace parlo
