// One row of the message list: a conversation's picture, name, date line and preview.
#pragma once
#include <windows.h>

#include <string>

#include "views/list_item.h"

namespace parlo {

// The characters a short preview keeps (line breaks are skipped and do not count).
inline constexpr size_t kShortPreviewChars = 21;

// The preview of a message text: whole, or its first 21 characters that are not CR or LF.
std::u16string PreviewText(const WCHAR* text, bool whole);

class ConversationRow : public ListItem {
 public:
  ConversationRow();

  HBITMAP picture = nullptr;  // borrowed from the contact book; none: the skin's default
  int pictureWidth = 0;
  int pictureHeight = 0;
  std::u16string name;
  std::u16string dateLine;
  std::u16string preview;

 protected:
  ~ConversationRow() override = default;
};

}  // namespace parlo
