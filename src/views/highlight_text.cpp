#include "views/highlight_text.h"

#include <algorithm>

namespace parlo {
namespace {

constexpr UINT kFormat = DT_NOPREFIX | DT_VCENTER;
constexpr int kPieceChars = 128;

// Draws [from, to) of `text` from `x`; returns where the next piece starts. The last piece of a
// line may reach the rectangle's right edge.
int DrawPiece(HDC dc, const RECT& rect, int x, const WCHAR* text, int from, int to, bool last) {
  if (to <= from) return x;
  WCHAR piece[kPieceChars];
  const int n = std::min(to - from, kPieceChars - 1);
  for (int i = 0; i < n; ++i) piece[i] = text[from + i];
  piece[n] = 0;
  SIZE size{0, 0};
  int fit = 0;
  GetTextExtentExPointW(dc, piece, n, rect.right - rect.left, &fit, nullptr, &size);
  RECT r{x, rect.top, last ? rect.right : std::min<LONG>(x + size.cx, rect.right), rect.bottom};
  DrawTextW(dc, piece, n, &r, kFormat);
  return x + size.cx;
}

int DrawHighlighted(HDC dc, const RECT& rect, int x, const WCHAR* text, int from, int to, COLORREF highlight,
                    bool last) {
  const COLORREF previous = SetTextColor(dc, highlight);
  x = DrawPiece(dc, rect, x, text, from, to, last);
  SetTextColor(dc, previous);
  return x;
}

}  // namespace

void HighlightText(HDC dc, const RECT& rect, const WCHAR* text, int length, int start, int end,
                   COLORREF highlight, bool pieces) {
  if (!text) return;
  length = std::max(length, 0);
  if (!pieces || (start == 0 && end == 0)) {
    RECT r = rect;
    DrawTextW(dc, text, length, &r, kFormat);
    return;
  }
  // Ranges come from the last search; they must never reach outside the text drawn now.
  end = std::clamp(end, 0, length);
  start = std::clamp(start, 0, end);
  int x = rect.left;
  if (start == 0) {
    x = DrawHighlighted(dc, rect, x, text, 0, end, highlight, false);
    DrawPiece(dc, rect, x, text, end, length, false);
  } else if (end == length) {
    x = DrawPiece(dc, rect, x, text, 0, start, false);
    DrawHighlighted(dc, rect, x, text, start, length, highlight, false);
  } else {
    x = DrawPiece(dc, rect, x, text, 0, start, false);
    x = DrawHighlighted(dc, rect, x, text, start, end, highlight, false);
    DrawPiece(dc, rect, x, text, end, length, true);
  }
}

}  // namespace parlo
