// Filled and outlined shapes, lines and single pixels.
#include <cmath>

#include "platform/gdi/raster.h"

using namespace platform;
using namespace platform::gdi;

namespace {

// [xl, xr) of row y inside the rounded rectangle (l, t, r, b) with corner ellipse ew x eh,
// taking the pixels whose centres lie inside the outline.
bool RoundSpan(int l, int t, int r, int b, int ew, int eh, int y, int* xl, int* xr) {
  if (y < t || y >= b || r <= l) return false;
  ew = std::min(ew, r - l);
  eh = std::min(eh, b - t);
  if (ew <= 1 || eh <= 1) {
    *xl = l;
    *xr = r;
    return true;
  }
  double rx = ew / 2.0, ry = eh / 2.0, cy = y + 0.5, dy;
  if (cy < t + ry) dy = t + ry - cy;
  else if (cy > b - ry) dy = cy - (b - ry);
  else {
    *xl = l;
    *xr = r;
    return true;
  }
  double k = 1.0 - (dy / ry) * (dy / ry);
  double dx = rx * std::sqrt(k > 0 ? k : 0);
  *xl = static_cast<int>(std::ceil(l + rx - dx - 0.5));
  *xr = static_cast<int>(std::floor(r - rx + dx - 0.5)) + 1;
  return *xl < *xr;
}

// The shared body of Rectangle, RoundRect and Ellipse: the pen draws a band of its width inside
// the shape's outline, the brush fills what lies within.
BOOL DrawRoundShape(HDC hdc, int left, int top, int right, int bottom, int ew, int eh) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  RECT d = dc->DevRect(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                            std::max(top, bottom)});
  const PenObject& pen = *dc->state.pen;
  const BrushObject& brush = *dc->state.brush;
  int pw = pen.null() ? 0 : pen.width;
  // Without a pen the shape is one pixel narrower and shorter, as the system documents.
  if (pw == 0) {
    d.right -= 1;
    d.bottom -= 1;
    ew = std::max(0, ew - 1);
    eh = std::max(0, eh - 1);
  }
  uint32_t penPixel = ToPixel(pen.color), brushPixel = ToPixel(brush.color);
  if (!brush.null) NotePainted(*dc, d);
  for (int y = d.top; y < d.bottom; ++y) {
    int ol, orr;
    if (!RoundSpan(d.left, d.top, d.right, d.bottom, ew, eh, y, &ol, &orr)) continue;
    int il = 0, ir = 0;
    bool inner = pw == 0 ? (il = ol, ir = orr, true)
                         : RoundSpan(d.left + pw, d.top + pw, d.right - pw, d.bottom - pw, ew - 2 * pw,
                                     eh - 2 * pw, y, &il, &ir);
    if (!inner) {
      if (pw) FillSpan(*dc, y, ol, orr, penPixel);
      continue;
    }
    if (!brush.null) FillSpan(*dc, y, il, ir, brushPixel);
    if (pw) {
      FillSpan(*dc, y, ol, il, penPixel);
      FillSpan(*dc, y, ir, orr, penPixel);
    }
  }
  return TRUE;
}

void PlotClipped(DcObject& dc, int x, int y, uint32_t pixel) { FillSpan(dc, y, x, x + 1, pixel); }

// One-pixel line, Bresenham, the last point left out as the system does.
void ThinLine(DcObject& dc, int x0, int y0, int x1, int y1, uint32_t pixel) {
  int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  while (!(x0 == x1 && y0 == y1)) {
    PlotClipped(dc, x0, y0, pixel);
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

// A wide pen: every pixel whose centre lies within width/2 of the segment, so the ends are
// round (the system's geometric pens default to round caps and joins). Even widths centre the
// stroke on the pixel grid lines so the band is exactly `width` pixels across.
void WideLine(DcObject& dc, int x0, int y0, int x1, int y1, int width, uint32_t pixel) {
  double off = (width % 2) ? 0.5 : 0.0;
  double ax = x0 + off, ay = y0 + off, bx = x1 + off, by = y1 + off;
  double radius = width / 2.0, r2 = radius * radius;
  double vx = bx - ax, vy = by - ay, len2 = vx * vx + vy * vy;
  int minY = static_cast<int>(std::floor(std::min(ay, by) - radius)) - 1;
  int maxY = static_cast<int>(std::ceil(std::max(ay, by) + radius)) + 1;
  int minX = static_cast<int>(std::floor(std::min(ax, bx) - radius)) - 1;
  int maxX = static_cast<int>(std::ceil(std::max(ax, bx) + radius)) + 1;
  for (int y = minY; y <= maxY; ++y) {
    int start = -1;
    for (int x = minX; x <= maxX + 1; ++x) {
      bool in = false;
      if (x <= maxX) {
        double px = x + 0.5 - ax, py = y + 0.5 - ay;
        double t = len2 > 0 ? (px * vx + py * vy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        double ex = px - t * vx, ey = py - t * vy;
        in = ex * ex + ey * ey <= r2;
      }
      if (in && start < 0) start = x;
      if (!in && start >= 0) {
        FillSpan(dc, y, start, x, pixel);
        start = -1;
      }
    }
  }
}

void StrokeLine(DcObject& dc, POINT from, POINT to) {
  const PenObject& pen = *dc.state.pen;
  if (pen.null()) return;
  uint32_t pixel = ToPixel(pen.color);
  int x0 = dc.DevX(from.x), y0 = dc.DevY(from.y), x1 = dc.DevX(to.x), y1 = dc.DevY(to.y);
  if (pen.width <= 1) ThinLine(dc, x0, y0, x1, y1, pixel);
  else WideLine(dc, x0, y0, x1, y1, pen.width, pixel);
}

uint32_t BrushPixel(HBRUSH brush, bool* ok) {
  uintptr_t v = reinterpret_cast<uintptr_t>(brush);
  *ok = true;
  // The system accepts a system colour index + 1 in place of a brush.
  if (v > 0 && v <= 64) return ToPixel(GetSysColor(static_cast<int>(v) - 1));
  auto b = Find<BrushObject>(brush, Kind::Brush);
  if (!b) {
    *ok = false;
    return 0;
  }
  if (b->null) *ok = false;
  return ToPixel(b->color);
}

}  // namespace

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || !rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  bool ok;
  uint32_t pixel = BrushPixel(brush, &ok);
  if (!ok) return FindObject(brush) || reinterpret_cast<uintptr_t>(brush) <= 64 ? 1 : 0;
  RECT d = dc->DevRect(*rect);
  NotePainted(*dc, d);
  FillDeviceRect(*dc, d, pixel);
  return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return DrawRoundShape(hdc, left, top, right, bottom, 0, 0);
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  return DrawRoundShape(hdc, left, top, right, bottom, width, height);
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return DrawRoundShape(hdc, left, top, right, bottom, std::abs(right - left), std::abs(bottom - top));
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.position;
  dc->state.position = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return FALSE;
  StrokeLine(*dc, dc->state.position, POINT{x, y});
  dc->state.position = POINT{x, y};
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || !points || count < 2) return FALSE;
  for (int i = 1; i < count; ++i) StrokeLine(*dc, points[i - 1], points[i]);
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return CLR_INVALID;
  int dx = dc->DevX(x), dy = dc->DevY(y);
  bool inside = false;
  for (const RECT& c : dc->state.clip)
    if (dx >= c.left && dx < c.right && dy >= c.top && dy < c.bottom) inside = true;
  if (!inside) return CLR_INVALID;
  dc->surface->Row(dy)[dx] = ToPixel(color);
  return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return CLR_INVALID;
  int dx = dc->DevX(x), dy = dc->DevY(y);
  for (const RECT& c : dc->state.clip)
    if (dx >= c.left && dx < c.right && dy >= c.top && dy < c.bottom)
      return ToColorRef(dc->surface->Row(dy)[dx]);
  return CLR_INVALID;
}
