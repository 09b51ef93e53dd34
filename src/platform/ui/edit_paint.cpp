// Drawing an EDIT: background, border, the visible rows with the selection and the composing
// syllable (underlined), the caret and the scroll bar.
#include <algorithm>

#include "platform/gdi/text_layout.h"
#include "platform/ui/edit_state.h"
#include "platform/ui/modal.h"

namespace platform::ui {
namespace {

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

struct Colours {
  COLORREF text, back, selText, selBack;
};

// The parent may choose the colours, as for any edit; disabled and read-only ones ask as static text.
Colours ColoursFor(HWND hwnd, HDC dc, bool enabled) {
  DWORD style = StyleOf(hwnd);
  Colours c{GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT), GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE),
            GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT)};
  SetTextColor(dc, c.text);
  SetBkColor(dc, c.back);
  HWND parent = GetParent(hwnd);
  UINT ask = enabled && !(style & ES_READONLY) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
  HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, ask, reinterpret_cast<WPARAM>(dc),
                                                                reinterpret_cast<LPARAM>(hwnd)))
                        : nullptr;
  if (brush) {
    c.text = GetTextColor(dc);
    c.back = GetBkColor(dc);
    LOGBRUSH lb{};
    if (GetObjectW(brush, sizeof(lb), &lb) == sizeof(lb)) c.back = lb.lbColor;
  }
  return c;
}

void DrawSpan(HDC dc, const EditBuffer& b, int from, int to, int x, int y, const RECT& clip, COLORREF colour,
              const COLORREF* fill) {
  if (to <= from) return;
  int width = gdi::SpanWidth(b.advances(), from, to);
  if (fill) {
    RECT r{x, y, x + width, y + b.lineHeight()};
    IntersectRect(&r, &r, &clip);
    FillSolid(dc, r, *fill);
  }
  SetTextColor(dc, colour);
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, b.shown().c_str() + from, static_cast<UINT>(to - from), nullptr);
}

void DrawScrollBar(HWND hwnd, HDC dc, const EditState& s) {
  RECT track = EditScrollBar(hwnd);
  FillSolid(dc, track, RGB(0xE8, 0xE8, 0xE8));
  RECT area = EditTextArea(hwnd);
  int visible = std::max(1, static_cast<int>((area.bottom - area.top) / s.buffer.lineHeight()));
  int rows = std::max(visible, static_cast<int>(s.buffer.rows().size()));
  int height = track.bottom - track.top;
  int thumbH = std::max(Px(8), height * visible / rows);
  int top = track.top + (height - thumbH) * s.firstRow / std::max(1, rows - visible);
  RECT thumb{track.left + 1, top, track.right - 1, std::min<LONG>(track.bottom, top + thumbH)};
  FillSolid(dc, thumb, RGB(0x90, 0x90, 0x90));
}

}  // namespace

int EditScrollBarWidth() { return Px(8); }

RECT EditScrollBar(HWND hwnd) {
  DWORD style = StyleOf(hwnd);
  if (!(style & ES_MULTILINE) || !(style & WS_VSCROLL)) return RECT{};
  RECT r{};
  GetClientRect(hwnd, &r);
  if (style & WS_BORDER) InflateRectBy(r, -std::max(1, Px(1)));
  r.left = std::max(r.left, r.right - EditScrollBarWidth());
  return r;
}

RECT EditTextArea(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  DWORD style = StyleOf(hwnd);
  int border = (style & WS_BORDER) ? std::max(1, Px(1)) : 0;
  InflateRectBy(r, -border);
  r.left += Px(2);
  r.right -= Px(2);
  if ((style & ES_MULTILINE) && (style & WS_VSCROLL)) r.right -= EditScrollBarWidth();
  r.top += (style & ES_MULTILINE) ? Px(1) : 0;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void PaintEdit(HWND hwnd, HDC dc, EditState& s) {
  DWORD style = StyleOf(hwnd);
  bool enabled = !(style & WS_DISABLED);
  bool focused = GetFocus() == hwnd;
  RECT client{};
  GetClientRect(hwnd, &client);
  HGDIOBJ oldFont = s.font ? SelectObject(dc, s.font) : nullptr;
  Colours c = ColoursFor(hwnd, dc, enabled);
  FillSolid(dc, client, c.back);
  SetBkMode(dc, TRANSPARENT);

  const EditBuffer& b = s.buffer;
  RECT area = EditTextArea(hwnd);
  bool multi = (style & ES_MULTILINE) != 0;
  int lh = b.lineHeight();
  int compStart = b.caret(), compEnd = compStart + static_cast<int>(s.composition.size());
  // Selection in shown positions: the composition sits at the caret and pushes what follows.
  auto shownPos = [&](int i) { return i > compStart ? i + (compEnd - compStart) : i; };
  bool showSel = b.HasSelection() && (focused || (style & ES_NOHIDESEL));
  int selFrom = showSel ? shownPos(b.selStart()) : 0, selTo = showSel ? shownPos(b.selEnd()) : 0;

  const auto& rows = b.rows();
  int first = multi ? s.firstRow : 0;
  for (int r = first; r < static_cast<int>(rows.size()); ++r) {
    int y = area.top + (r - first) * lh;
    if (y >= area.bottom) break;
    const EditRow& row = rows[static_cast<size_t>(r)];
    int x = area.left - (multi ? 0 : s.scrollX);
    // Cut the row where the selection and the composition begin and end.
    std::vector<int> cuts{row.start, row.drawnEnd};
    for (int p : {selFrom, selTo, compStart, compEnd})
      if (p > row.start && p < row.drawnEnd) cuts.push_back(p);
    std::sort(cuts.begin(), cuts.end());
    for (size_t k = 0; k + 1 < cuts.size(); ++k) {
      int from = cuts[k], to = cuts[k + 1];
      bool selected = from >= selFrom && to <= selTo && selFrom < selTo;
      int sx = x + gdi::SpanWidth(b.advances(), row.start, from);
      DrawSpan(dc, b, from, to, sx, y, area, selected ? c.selText : c.text, selected ? &c.selBack : nullptr);
      if (from >= compStart && to <= compEnd && compStart < compEnd) {
        RECT line{sx, y + lh - std::max(1, Px(1)), sx + gdi::SpanWidth(b.advances(), from, to), y + lh};
        IntersectRect(&line, &line, &area);
        FillSolid(dc, line, c.text);
      }
    }
  }

  if (focused && enabled && s.caretOn) {
    int caret = compEnd;
    int row = b.RowOf(caret);
    int y = area.top + (row - first) * lh;
    int x = area.left + b.XOf(caret) - (multi ? 0 : s.scrollX);
    RECT bar{x, y, x + std::max(1, Px(1)), y + lh};
    IntersectRect(&bar, &bar, &area);
    FillSolid(dc, bar, c.text);
  }
  if (style & WS_BORDER) FrameSolid(dc, client, enabled ? RGB(0, 0, 0) : RGB(0x80, 0x80, 0x80), std::max(1, Px(1)));
  if (multi && (style & WS_VSCROLL)) DrawScrollBar(hwnd, dc, s);
  if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace platform::ui
