// Painting a KineticList: rows into an off-screen image, the translucent indicator over them,
// one BitBlt to the window.
#include <algorithm>

#include "draw/dpi.h"
#include "views/kinetic_list.h"

namespace parlo {
namespace {

bool Meets(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void FillWith(HDC dc, const RECT& rect, COLORREF color, BrushHolder& brush, COLORREF& brushColor) {
  if (!brush || brushColor != color) {
    brush.Reset(CreateSolidBrush(color));
    brushColor = color;
  }
  FillRect(dc, &rect, brush.Get());
}

}  // namespace

void KineticList::Paint() {
  ListScroller& s = scroller_;
  s.paintWatch.Start(GetTickCount());
  PaintHolder paint(hwnd_);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (!paint.dc() || width <= 0 || height <= 0) return;

  if (!image_ || imageSize_.cx != width || imageSize_.cy != height) {
    image_.Reset(CreateCompatibleBitmap(paint.dc(), width, height));
    imageSize_ = SIZE{width, height};
  }
  DcHolder memory(CreateCompatibleDC(paint.dc()));
  memory.Select(image_.Get());
  SetTextColor(memory.Get(), textColor);
  SetBkColor(memory.Get(), background);

  const RECT& dirty = paint.area();
  const RECT area{std::max(dirty.left, client.left), std::max(dirty.top, client.top),
                  std::min(dirty.right, client.right), std::min(dirty.bottom, client.bottom)};

  const int first = rows_.RowAtContentY(s.offset.y);
  int64_t y = client.top;
  if (first >= 0) {
    y = rows_.Top(first) - s.offset.y;
    if (y > client.top)
      FillWith(memory.Get(), RECT{client.left, client.top, client.right, static_cast<LONG>(y)}, fill,
               fillBrush_, fillBrushColor_);
    // Only rows that meet the paint area are drawn; the walk ends below the window.
    for (int i = first; i < rows_.Count() && y < client.bottom; ++i) {
      const int rowHeight = std::max(rows_.At(i)->height, 0);
      const RECT rect{client.left, static_cast<LONG>(y), client.right, static_cast<LONG>(y + rowHeight)};
      if (Meets(rect, area)) PaintRow(memory.Get(), i, rect);
      y += rowHeight;
    }
  }
  if (y < client.bottom)
    FillWith(memory.Get(), RECT{client.left, static_cast<LONG>(y), client.right, client.bottom}, fill,
             fillBrush_, fillBrushColor_);

  PaintOverlay(memory.Get());
  if (s.vertical.visible() && s.view.cy < s.content.cy) PaintIndicator(memory.Get(), paint.dc());

  if (!BitBlt(paint.dc(), 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY)) {
    GetLastError();  // nothing to do but skip this frame
    return;
  }
  s.lastPaintMs = s.paintWatch.Elapsed(GetTickCount());
}

void KineticList::PaintIndicator(HDC memory, HDC reference) {
  ListScroller& s = scroller_;
  const int t = s.thickness.cx;
  const int h = s.view.cy;
  if (t <= 0 || h <= 0) return;
  if (!s.indicatorBitmap) s.indicatorBitmap.Reset(CreateCompatibleBitmap(reference, t, h));
  if (!s.indicatorBitmap) return;

  DcHolder dc(CreateCompatibleDC(reference));
  dc.Select(s.indicatorBitmap.Get());
  const RECT all{0, 0, t, h};
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  dc.Select(GetStockObject(GRAY_BRUSH));
  dc.Select(GetStockObject(BLACK_PEN));
  const int top = s.vertical.position();
  RoundRect(dc.Get(), t / 8, top, t - t / 8, top + s.vertical.length(), 4, 4);

  BLENDFUNCTION blend{AC_SRC_OVER, 0, 128, 0};
  AlphaBlend(memory, s.view.cx - t, 0, t, h, dc.Get(), 0, 0, t, h, blend);
}

void KineticList::PaintRow(HDC dc, int index, const RECT& rect) {
  // The plain row: its text on the background, the cursor row in grey.
  const ListItem* row = rows_.At(index);
  const bool cursor = row->state & ListItem::kCursor;
  BrushHolder brush(CreateSolidBrush(cursor ? grey : background));
  FillRect(dc, &rect, brush.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, cursor ? background : textColor);
  RECT text = rect;
  text.left += ScaleX(4);
  text.right -= ScaleX(4);
  DrawTextW(dc, row->text.c_str(), static_cast<int>(row->text.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace parlo
