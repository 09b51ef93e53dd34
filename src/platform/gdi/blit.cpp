// Copies between surfaces: BitBlt, StretchBlt, PatBlt, TransparentImage, AlphaBlend. A copy
// hides the texts it paints over and brings the texts of its source along.
#include <cmath>
#include <cstring>

#include "platform/gdi/raster.h"

using namespace platform;
using namespace platform::gdi;

namespace {

RECT Normalised(int x, int y, int w, int h) {
  RECT r{x, y, x + w, y + h};
  if (r.right < r.left) std::swap(r.left, r.right);
  if (r.bottom < r.top) std::swap(r.top, r.bottom);
  return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// Texts of the source meeting `sRect` (source pixels) placed into `dRect` (destination pixels),
// scaled when the sizes differ, and kept only where the destination clip lets them show.
// `hidden` are the destination's texts the copy painted over: where it brings the same text
// to the same place again (a window repainting part of itself), the part it did not paint
// still shows that text, so the text stays whole.
void CarryRuns(DcObject& dst, std::vector<TextRun> runs, const RECT& sRect, const RECT& dRect,
               const std::vector<TextRun>& hidden) {
  if (runs.empty()) return;
  int sw = sRect.right - sRect.left, sh = sRect.bottom - sRect.top;
  int dw = dRect.right - dRect.left, dh = dRect.bottom - dRect.top;
  for (TextRun& run : runs) {
    RECT m;
    m.left = dRect.left + static_cast<LONG>(std::floor(double(run.rect.left - sRect.left) * dw / sw));
    m.top = dRect.top + static_cast<LONG>(std::floor(double(run.rect.top - sRect.top) * dh / sh));
    m.right = dRect.left + static_cast<LONG>(std::ceil(double(run.rect.right - sRect.left) * dw / sw));
    m.bottom = dRect.top + static_cast<LONG>(std::ceil(double(run.rect.bottom - sRect.top) * dh / sh));
    RECT box{0, 0, 0, 0};
    bool any = false;
    ForEachClipped(dst, Intersect(m, dRect), [&](const RECT& piece) {
      box = any ? Union(box, piece) : piece;
      any = true;
    });
    if (!any) continue;
    for (const TextRun& before : hidden)
      if (before.text == run.text && before.color == run.color && Inside(before.rect, m)) box = Union(box, before.rect);
    dst.surface->text().Add(TextRun{std::move(run.text), box, run.color});
  }
}

// Source pixels of a DC or bitmap handle, with the offset from logical to surface pixels.
struct Source {
  std::shared_ptr<Surface> surface;
  int dx = 0, dy = 0;
};

bool ResolveSource(HANDLE handle, Source* out) {
  auto o = FindObject(handle);
  if (!o) return false;
  if (o->kind == Kind::Dc) {
    auto* dc = static_cast<DcObject*>(o.get());
    out->surface = dc->surface;
    out->dx = dc->DevX(0);
    out->dy = dc->DevY(0);
    return true;
  }
  if (o->kind == Kind::Bitmap) {
    out->surface = static_cast<BitmapObject*>(o.get())->surface;
    return true;
  }
  return false;
}

// Walks every destination pixel of dRect inside the clip, nearest source pixel of sRect (both in
// surface pixels), and calls op(dst&, src). Pixels whose source lies off the surface are left.
template <typename Op>
void Transfer(DcObject& dst, const RECT& dRect, const Surface& srcIn, const RECT& sRect, Op op) {
  int dw = dRect.right - dRect.left, dh = dRect.bottom - dRect.top;
  int sw = sRect.right - sRect.left, sh = sRect.bottom - sRect.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  // Reading and writing the same surface: work from a copy of the source part.
  const Surface* src = &srcIn;
  std::unique_ptr<Surface> copy;
  RECT s = sRect;
  if (&srcIn == dst.surface.get()) {
    RECT inside = Intersect(sRect, srcIn.bounds());
    copy = std::make_unique<Surface>(sw, sh);
    for (int y = inside.top; y < inside.bottom; ++y)
      std::memcpy(copy->Row(y - sRect.top) + (inside.left - sRect.left), srcIn.Row(y) + inside.left,
                  static_cast<size_t>(inside.right - inside.left) * 4);
    src = copy.get();
    s = RECT{0, 0, sw, sh};
  }
  std::vector<int> xmap(static_cast<size_t>(dw));
  for (int i = 0; i < dw; ++i)
    xmap[static_cast<size_t>(i)] = s.left + static_cast<int>((int64_t(2 * i + 1) * sw) / (2 * dw));
  ForEachClipped(dst, dRect, [&](const RECT& piece) {
    for (int y = piece.top; y < piece.bottom; ++y) {
      int sy = s.top + static_cast<int>((int64_t(2 * (y - dRect.top) + 1) * sh) / (2 * dh));
      if (sy < 0 || sy >= src->height()) continue;
      const uint32_t* srow = src->Row(sy);
      uint32_t* drow = dst.surface->Row(y);
      for (int x = piece.left; x < piece.right; ++x) {
        int sx = xmap[static_cast<size_t>(x - dRect.left)];
        if (sx < 0 || sx >= src->width()) continue;
        op(drow[x], srow[sx]);
      }
    }
  });
}

// Straight copy at one scale: row by row, in the order that keeps overlapping copies right.
void CopyRows(DcObject& dst, RECT dRect, Surface& src, int sx, int sy) {
  // Keep to what the source has.
  RECT avail = Offset(src.bounds(), dRect.left - sx, dRect.top - sy);
  dRect = Intersect(dRect, avail);
  if (IsEmpty(dRect)) return;
  bool same = &src == dst.surface.get();
  ForEachClipped(dst, dRect, [&](const RECT& piece) {
    size_t bytes = static_cast<size_t>(piece.right - piece.left) * 4;
    int sxPiece = piece.left + (sx - dRect.left);
    int syBase = sy - dRect.top;
    if (same && syBase < 0) {
      for (int y = piece.bottom - 1; y >= piece.top; --y)
        std::memmove(dst.surface->Row(y) + piece.left, src.Row(y + syBase) + sxPiece, bytes);
    } else {
      for (int y = piece.top; y < piece.bottom; ++y)
        std::memmove(dst.surface->Row(y) + piece.left, src.Row(y + syBase) + sxPiece, bytes);
    }
  });
}

BOOL PatternOp(DcObject& dc, const RECT& d, DWORD rop) {
  uint32_t pixel;
  switch (rop) {
    case BLACKNESS: pixel = 0; break;
    case WHITENESS: pixel = 0xFFFFFF; break;
    case PATCOPY:
      if (dc.state.brush->null) return TRUE;
      pixel = ToPixel(dc.state.brush->color);
      break;
    case DSTINVERT:
      NotePainted(dc, d);
      ForEachClipped(dc, d, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y)
          for (int x = r.left; x < r.right; ++x) dc.surface->Row(y)[x] ^= 0xFFFFFF;
      });
      return TRUE;
    default:
      return FALSE;
  }
  NotePainted(dc, d);
  FillDeviceRect(dc, d, pixel);
  return TRUE;
}

bool NeedsSource(DWORD rop) {
  return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT || rop == NOTSRCCOPY;
}

template <typename Op>
void ApplyRop(DWORD rop, Op&& with) {
  switch (rop) {
    case SRCPAINT: with([](uint32_t& d, uint32_t s) { d = (d | s) & 0xFFFFFF; }); break;
    case SRCAND: with([](uint32_t& d, uint32_t s) { d = d & s & 0xFFFFFF; }); break;
    case SRCINVERT: with([](uint32_t& d, uint32_t s) { d = (d ^ s) & 0xFFFFFF; }); break;
    case NOTSRCCOPY: with([](uint32_t& d, uint32_t s) { d = ~s & 0xFFFFFF; }); break;
    default: with([](uint32_t& d, uint32_t s) { d = s; }); break;
  }
}

}  // namespace

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return FALSE;
  return PatternOp(*dc, dc->DevRect(Normalised(x, y, width, height)), rop);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  DcObject* dc = PeekDc(dest);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!NeedsSource(rop)) return PatternOp(*dc, dc->DevRect(Normalised(x, y, width, height)), rop);
  DcObject* sdc = PeekDc(src);
  if (!sdc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (width <= 0 || height <= 0) return TRUE;
  RECT d = dc->DevRect(RECT{x, y, x + width, y + height});
  int sx = sdc->DevX(srcX), sy = sdc->DevY(srcY);
  std::shared_ptr<Surface> keep = sdc->surface;  // the source may be the destination
  RECT avail = Offset(keep->bounds(), d.left - sx, d.top - sy);
  RECT painted = Intersect(d, avail);
  if (IsEmpty(painted)) return TRUE;
  // Texts first read from the source, then those hidden at the destination go, then the
  // carried ones arrive (source and destination may be the same surface).
  RECT sRect = Offset(painted, sx - d.left, sy - d.top);
  std::vector<TextRun> carried = keep->text().Meeting(sRect);
  std::vector<TextRun> hidden = RunsUnder(*dc, painted);
  NotePainted(*dc, painted);
  if (rop == SRCCOPY) {
    CopyRows(*dc, painted, *keep, sRect.left, sRect.top);
  } else {
    ApplyRop(rop, [&](auto op) { Transfer(*dc, painted, *keep, sRect, op); });
  }
  CarryRuns(*dc, std::move(carried), sRect, painted, hidden);
  return TRUE;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop) {
  if (width == srcWidth && height == srcHeight)
    return BitBlt(dest, x, y, width, height, src, srcX, srcY, rop);
  DcObject* dc = PeekDc(dest);
  if (!dc) return FALSE;
  if (!NeedsSource(rop)) return PatternOp(*dc, dc->DevRect(Normalised(x, y, width, height)), rop);
  DcObject* sdc = PeekDc(src);
  if (!sdc || width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) return FALSE;
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return TRUE;
  RECT d = dc->DevRect(RECT{x, y, x + width, y + height});
  RECT s = sdc->DevRect(RECT{srcX, srcY, srcX + srcWidth, srcY + srcHeight});
  std::shared_ptr<Surface> keep = sdc->surface;
  std::vector<TextRun> carried = keep->text().Meeting(s);
  std::vector<TextRun> hidden = RunsUnder(*dc, d);
  NotePainted(*dc, d);
  ApplyRop(rop, [&](auto op) { Transfer(*dc, d, *keep, s, op); });
  CarryRuns(*dc, std::move(carried), s, d, hidden);
  return TRUE;
}

BOOL TransparentImage(HDC dest, int x, int y, int width, int height, HANDLE src, int srcX, int srcY,
                      int srcWidth, int srcHeight, COLORREF transparent) {
  DcObject* dc = PeekDc(dest);
  Source source;
  if (!dc || !ResolveSource(src, &source)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT d = dc->DevRect(RECT{x, y, x + width, y + height});
  RECT s{srcX + source.dx, srcY + source.dy, srcX + source.dx + srcWidth, srcY + source.dy + srcHeight};
  uint32_t key = ToPixel(transparent);
  std::vector<TextRun> carried = source.surface->text().Meeting(s);
  std::vector<TextRun> hidden = RunsUnder(*dc, d);
  NotePainted(*dc, d);
  Transfer(*dc, d, *source.surface, s, [key](uint32_t& dp, uint32_t sp) {
    if ((sp & 0xFFFFFF) != key) dp = sp & 0xFFFFFF;
  });
  CarryRuns(*dc, std::move(carried), s, d, hidden);
  return TRUE;
}

BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                    int srcWidth, int srcHeight, UINT transparent) {
  if (!PeekDc(src)) return FALSE;
  return TransparentImage(dest, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, transparent);
}

BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, BLENDFUNCTION blend) {
  DcObject* dc = PeekDc(dest);
  DcObject* sdc = PeekDc(src);
  if (!dc || !sdc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (blend.BlendOp != AC_SRC_OVER || width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT d = dc->DevRect(RECT{x, y, x + width, y + height});
  RECT s = sdc->DevRect(RECT{srcX, srcY, srcX + srcWidth, srcY + srcHeight});
  std::shared_ptr<Surface> keep = sdc->surface;
  // The source rectangle must lie on the source surface.
  RECT b = keep->bounds();
  if (s.left < b.left || s.top < b.top || s.right > b.right || s.bottom > b.bottom) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return TRUE;
  uint32_t a = blend.SourceConstantAlpha;
  bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
  // Only an opaque blend replaces what was there; a translucent one leaves the texts below readable.
  bool opaque = a == 255 && !perPixel;
  std::vector<TextRun> carried, hidden;
  if (opaque) {
    carried = keep->text().Meeting(s);
    hidden = RunsUnder(*dc, d);
    NotePainted(*dc, d);
  }
  if (!perPixel) {
    Transfer(*dc, d, *keep, s, [a](uint32_t& dp, uint32_t sp) { dp = Mix(dp, sp & 0xFFFFFF, a); });
  } else {
    // Premultiplied source: dst = src * a + dst * (1 - srcAlpha * a).
    Transfer(*dc, d, *keep, s, [a](uint32_t& dp, uint32_t sp) {
      uint32_t sa = ((sp >> 24) * a + 127) / 255;
      uint32_t out = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t sc = ((sp >> shift) & 0xFF) * a / 255;
        uint32_t dcn = (dp >> shift) & 0xFF;
        uint32_t v = sc + (dcn * (255 - sa) + 127) / 255;
        out |= (v > 255 ? 255 : v) << shift;
      }
      dp = out;
    });
  }
  if (opaque) CarryRuns(*dc, std::move(carried), s, d, hidden);
  return TRUE;
}

BOOL GradientFill(HDC hdc, TRIVERTEX* vertices, ULONG vertexCount, void* mesh, ULONG meshCount, ULONG mode) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || !vertices || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
  for (ULONG i = 0; i < meshCount; ++i) {
    if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount) return FALSE;
    TRIVERTEX v0 = vertices[rects[i].UpperLeft], v1 = vertices[rects[i].LowerRight];
    bool vertical = mode == GRADIENT_FILL_RECT_V;
    // Colours run from the vertex on the low side to the one on the high side.
    if (vertical ? v0.y > v1.y : v0.x > v1.x) std::swap(v0, v1);
    RECT d = dc->DevRect(RECT{std::min(v0.x, v1.x), std::min(v0.y, v1.y), std::max(v0.x, v1.x),
                              std::max(v0.y, v1.y)});
    if (IsEmpty(d)) continue;
    int n = vertical ? d.bottom - d.top : d.right - d.left;
    auto colour = [&](int k) {
      auto ch = [&](int c0, int c1) {
        int64_t v = c0 + (int64_t(c1) - c0) * k / n;  // 16-bit channel, truncated
        return static_cast<uint32_t>(v >> 8) & 0xFF;
      };
      return (ch(v0.Red, v1.Red) << 16) | (ch(v0.Green, v1.Green) << 8) | ch(v0.Blue, v1.Blue);
    };
    NotePainted(*dc, d);
    if (vertical) {
      for (int y = d.top; y < d.bottom; ++y) FillSpan(*dc, y, d.left, d.right, colour(y - d.top));
    } else {
      std::vector<uint32_t> row(static_cast<size_t>(n));
      for (int k = 0; k < n; ++k) row[static_cast<size_t>(k)] = colour(k);
      ForEachClipped(*dc, d, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y)
          std::memcpy(dc->surface->Row(y) + r.left, row.data() + (r.left - d.left),
                      static_cast<size_t>(r.right - r.left) * 4);
      });
    }
  }
  return TRUE;
}
