// What an EDIT window keeps between messages, shared by its procedure and its painting.
#pragma once
#include <string>

#include "platform/ui/edit_buffer.h"
#include "windows.h"

namespace platform::ui {

struct EditState {
  explicit EditState(bool singleLine) : buffer(singleLine) {}
  EditBuffer buffer;
  HFONT font = nullptr;        // borrowed, as WM_SETFONT hands it over
  std::u16string composition;  // the syllable being composed, shown at the caret
  int firstRow = 0;            // multi-line: the top row shown
  int scrollX = 0;             // single-line: pixels scrolled to the left
  bool caretOn = true;         // blink phase
  bool modified = false;
  bool scrolling = false;      // the finger holds the scroll bar
};

// Where the text goes inside the client area: the border, a margin and the scroll bar left out.
RECT EditTextArea(HWND hwnd);
int EditScrollBarWidth();
// The scroll bar's track in client coordinates; empty when the edit has none.
RECT EditScrollBar(HWND hwnd);
void PaintEdit(HWND hwnd, HDC dc, EditState& s);

}  // namespace platform::ui
