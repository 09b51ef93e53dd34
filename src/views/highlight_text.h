// One line of text with one span drawn in another colour: the matched part of a contact's name
// or number while the user types on the keypad.
#pragma once
#include <windows.h>

namespace parlo {

// Draws `text` (`length` characters) in `rect` with [start, end) in `highlight` and the rest in
// the DC's text colour. Without `pieces`, or with no span (start and end both 0), the text is
// drawn whole. A span reaching past the text is cut to it.
void HighlightText(HDC dc, const RECT& rect, const WCHAR* text, int length, int start, int end,
                   COLORREF highlight, bool pieces);

}  // namespace parlo
