// Text output and measurement: DrawTextW, ExtTextOutW, extents and metrics. Every text drawn
// also goes into the surface's text layer.
#include <cstring>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/screen_state.h"
#include "platform/gdi/text_layout.h"

using namespace platform;
using namespace platform::gdi;

namespace {

constexpr char16_t kEllipsis[] = u"...";

int Length(LPCWSTR text, int count) {
  if (!text) return 0;
  if (count >= 0) return count;
  int n = 0;
  while (text[n]) ++n;
  return n;
}

char32_t CodePointAt(const char16_t* s, int n, int i, int* units) {
  char32_t c = s[i];
  *units = 1;
  if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
    c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
    *units = 2;
  }
  return c;
}

// The clip for text: the DC's clip, narrowed to `limit` when given (device pixels).
std::vector<RECT> TextClip(const DcObject& dc, const RECT* limit) {
  if (!limit) return dc.state.clip;
  std::vector<RECT> out;
  for (const RECT& c : dc.state.clip) {
    RECT r = Intersect(c, *limit);
    if (!IsEmpty(r)) out.push_back(r);
  }
  return out;
}

void BlendGlyph(Surface& s, const std::vector<RECT>& clip, const Glyph& g, int gx, int gy, uint32_t pixel) {
  if (g.width == 0 || g.height == 0) return;
  RECT box{gx, gy, gx + g.width, gy + g.height};
  for (const RECT& c : clip) {
    RECT r = Intersect(box, c);
    if (IsEmpty(r)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      const uint8_t* cov = g.coverage.data() + static_cast<size_t>(y - gy) * g.width - gx;
      uint32_t* row = s.Row(y);
      for (int x = r.left; x < r.right; ++x) {
        uint32_t a = cov[x];
        if (a == 0) continue;
        row[x] = a == 255 ? pixel : Mix(row[x], pixel, a);
      }
    }
  }
}

// Draws s[0, n) with its top-left at device (x, y); `adv` gives each unit's advance.
void DrawGlyphRun(DcObject& dc, FontInstance& font, const char16_t* s, int n, const int* adv, int x, int y,
                  const std::vector<RECT>& clip, uint32_t pixel) {
  int baseline = y + font.metrics().ascent;
  for (int i = 0; i < n;) {
    int units;
    char32_t cp = CodePointAt(s, n, i, &units);
    const Glyph& g = font.GlyphFor(cp);
    BlendGlyph(*dc.surface, clip, g, x + g.left, baseline - g.top, pixel);
    for (int k = 0; k < units; ++k) x += adv[i + k];
    i += units;
  }
}

RECT ClippedBox(const std::vector<RECT>& clip, const RECT& r) {
  RECT box{0, 0, 0, 0};
  bool any = false;
  for (const RECT& c : clip) {
    RECT piece = Intersect(c, r);
    if (IsEmpty(piece)) continue;
    if (!any) box = piece;
    box.left = std::min(box.left, piece.left);
    box.top = std::min(box.top, piece.top);
    box.right = std::max(box.right, piece.right);
    box.bottom = std::max(box.bottom, piece.bottom);
    any = true;
  }
  return box;
}

void FillBackground(DcObject& dc, const std::vector<RECT>& clip, const RECT& r) {
  uint32_t pixel = ToPixel(dc.state.bkColor);
  for (const RECT& c : clip) {
    RECT piece = Intersect(c, r);
    if (IsEmpty(piece)) continue;
    dc.surface->text().RemoveTouching(piece);
    for (int y = piece.top; y < piece.bottom; ++y)
      FillPixels(dc.surface->Row(y) + piece.left, static_cast<size_t>(piece.right - piece.left), pixel);
  }
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// One line as it will be drawn: its own text (an ellipsis may replace its end).
struct ShownLine {
  std::u16string text;
  std::vector<int> adv;
  int width = 0;
  int sourceEnd = 0;  // where the shown part of the source text ends
  bool ellipsis = false;
};

ShownLine Shorten(const std::u16string& s, const std::vector<int>& adv, const TextLine& line, int maxWidth,
                  int ellipsisWidth, const std::vector<int>& ellipsisAdv, bool force) {
  ShownLine out;
  int end = line.end;
  if (force || line.width > maxWidth) {
    while (end > line.start && SpanWidth(adv, line.start, end) + ellipsisWidth > maxWidth) --end;
    // Keep surrogate pairs whole.
    if (end > line.start && s[static_cast<size_t>(end - 1)] >= 0xD800 && s[static_cast<size_t>(end - 1)] < 0xDC00) --end;
    out.ellipsis = true;
  }
  out.text = s.substr(static_cast<size_t>(line.start), static_cast<size_t>(end - line.start));
  out.adv.assign(adv.begin() + line.start, adv.begin() + end);
  out.sourceEnd = end;
  if (out.ellipsis) {
    out.text += kEllipsis;
    out.adv.insert(out.adv.end(), ellipsisAdv.begin(), ellipsisAdv.end());
  }
  for (int a : out.adv) out.width += a;
  return out;
}

}  // namespace

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || !rect || (!text && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int n = Length(text, count);
  std::u16string s(text ? text : u"", static_cast<size_t>(n));
  if (!(format & DT_NOPREFIX)) s = StripPrefixes(s);
  FontInstance& font = DcFont(*dc);
  const FontMetrics& m = font.metrics();
  int lineHeight = m.height + ((format & DT_EXTERNALLEADING) ? m.externalLeading : 0);
  std::vector<int> adv;
  Advances(font, s.data(), static_cast<int>(s.size()), &adv);

  BreakOptions options;
  options.singleLine = (format & DT_SINGLELINE) != 0;
  options.wordBreak = (format & DT_WORDBREAK) != 0;
  options.breakWords = (format & DT_EDITCONTROL) != 0;
  options.maxWidth = rect->right - rect->left;
  std::vector<TextLine> lines = BreakLines(s, adv, options);

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const TextLine& l : lines) widest = std::max(widest, l.width);
    int height = static_cast<int>(lines.size()) * lineHeight;
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }

  int boxHeight = rect->bottom - rect->top;
  bool cutLast = false;
  if (!options.singleLine && (format & (DT_EDITCONTROL | DT_END_ELLIPSIS)) && lines.size() > 1) {
    // A partly visible last line is left out; with an ellipsis the last whole line shows it.
    size_t fit = static_cast<size_t>(std::max(1, boxHeight / std::max(1, lineHeight)));
    if (fit < lines.size()) {
      lines.resize(fit);
      cutLast = (format & DT_END_ELLIPSIS) != 0;
    }
  }

  std::vector<int> ellipsisAdv;
  Advances(font, kEllipsis, 3, &ellipsisAdv);
  int ellipsisWidth = ellipsisAdv[0] + ellipsisAdv[1] + ellipsisAdv[2];
  std::vector<ShownLine> shown;
  bool shortened = cutLast;
  for (size_t i = 0; i < lines.size(); ++i) {
    bool last = i + 1 == lines.size();
    if (format & DT_END_ELLIPSIS) {
      shown.push_back(Shorten(s, adv, lines[i], options.maxWidth, ellipsisWidth, ellipsisAdv, last && cutLast));
      shortened = shortened || shown.back().ellipsis;
    } else {
      shown.push_back(Shorten(s, adv, lines[i], INT32_MAX, 0, ellipsisAdv, false));
    }
  }

  int textHeight = static_cast<int>(shown.size()) * lineHeight;
  int top = rect->top;
  if (options.singleLine && (format & DT_VCENTER)) top = FloorDiv(rect->top + rect->bottom - lineHeight, 2);
  else if (options.singleLine && (format & DT_BOTTOM)) top = rect->bottom - lineHeight;

  RECT deviceBox = dc->DevRect(*rect);
  std::vector<RECT> clip = TextClip(*dc, (format & DT_NOCLIP) ? nullptr : &deviceBox);
  uint32_t pixel = ToPixel(dc->state.textColor);
  RECT extent{0, 0, 0, 0};
  bool any = false;
  for (size_t i = 0; i < shown.size(); ++i) {
    const ShownLine& line = shown[i];
    int x = rect->left;
    if (format & DT_CENTER) x = FloorDiv(rect->left + rect->right - line.width, 2);
    else if (format & DT_RIGHT) x = rect->right - line.width;
    int y = top + static_cast<int>(i) * lineHeight;
    RECT box{dc->DevX(x), dc->DevY(y), dc->DevX(x) + line.width, dc->DevY(y) + lineHeight};
    if (dc->state.bkMode == OPAQUE) FillBackground(*dc, clip, box);
    DrawGlyphRun(*dc, font, line.text.data(), static_cast<int>(line.text.size()), line.adv.data(), box.left,
                 box.top, clip, pixel);
    if (line.width <= 0) continue;
    if (!any) extent = box;
    extent.left = std::min(extent.left, box.left);
    extent.top = std::min(extent.top, box.top);
    extent.right = std::max(extent.right, box.right);
    extent.bottom = std::max(extent.bottom, box.bottom);
    any = true;
  }
  if (any) {
    std::u16string runText = s;
    if (shortened) {
      // What the eye reads: the source up to the last shown character, then the ellipsis.
      runText.clear();
      for (size_t i = 0; i < shown.size(); ++i) {
        int from = lines[i].start;
        if (shown[i].ellipsis) {
          runText += s.substr(static_cast<size_t>(from), static_cast<size_t>(shown[i].sourceEnd - from));
          runText += kEllipsis;
        } else {
          // Up to the next line's start, keeping the source's spaces and line ends.
          int to = i + 1 < shown.size() ? lines[i + 1].start : lines[i].end;
          runText += s.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
        }
      }
    }
    RECT visible = ClippedBox(clip, extent);
    dc->surface->text().Add(TextRun{runText, visible, dc->state.textColor});
  }
  return (top - rect->top) + textHeight;
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const int* dx) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || (!text && count)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT deviceRect{0, 0, 0, 0};
  if (rect) deviceRect = dc->DevRect(*rect);
  if (rect && (options & ETO_OPAQUE)) {
    uint32_t pixel = ToPixel(dc->state.bkColor);
    NotePainted(*dc, deviceRect);
    FillDeviceRect(*dc, deviceRect, pixel);
  }
  if (count == 0) return TRUE;
  FontInstance& font = DcFont(*dc);
  int n = static_cast<int>(count);
  std::vector<int> adv;
  if (dx) adv.assign(dx, dx + n);
  else Advances(font, text, n, &adv);
  int width = 0;
  for (int a : adv) width += a;
  std::vector<RECT> clip = TextClip(*dc, rect && (options & ETO_CLIPPED) ? &deviceRect : nullptr);
  RECT box{dc->DevX(x), dc->DevY(y), dc->DevX(x) + width, dc->DevY(y) + font.metrics().height};
  if (dc->state.bkMode == OPAQUE) FillBackground(*dc, clip, box);
  DrawGlyphRun(*dc, font, text, n, adv.data(), box.left, box.top, clip, ToPixel(dc->state.textColor));
  RECT visible = ClippedBox(clip, box);
  dc->surface->text().Add(TextRun{std::u16string(text, static_cast<size_t>(n)), visible, dc->state.textColor});
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, int* fit, int* dx, LPSIZE size) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || count < 0 || (!text && count)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontInstance& font = DcFont(*dc);
  std::vector<int> adv;
  Advances(font, text, count, &adv);
  int total = 0, fitted = 0;
  bool fitting = true;
  for (int i = 0; i < count; ++i) {
    total += adv[static_cast<size_t>(i)];
    if (fitting && total <= maxExtent) fitted = i + 1;
    else fitting = false;
    if (dx) dx[i] = total;
  }
  if (fit) *fit = fitted;
  if (size) *size = SIZE{total, font.metrics().height};
  return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
  return GetTextExtentExPointW(hdc, text, count, 0, nullptr, nullptr, size);
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || !tm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontInstance& font = DcFont(*dc);
  const FontMetrics& m = font.metrics();
  const LOGFONTW& lf = dc->state.font->logfont;
  *tm = TEXTMETRICW{};
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = m.externalLeading;
  tm->tmAveCharWidth = m.aveCharWidth;
  tm->tmMaxCharWidth = m.maxCharWidth;
  tm->tmWeight = m.weight;
  tm->tmDigitizedAspectX = ScreenDpiX();
  tm->tmDigitizedAspectY = ScreenDpiY();
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFC;
  tm->tmDefaultChar = u'?';
  tm->tmBreakChar = u' ';
  tm->tmItalic = lf.lfItalic;
  tm->tmUnderlined = lf.lfUnderline;
  tm->tmStruckOut = lf.lfStrikeOut;
  tm->tmPitchAndFamily = FF_SWISS | 0x07;  // variable pitch, vector, TrueType
  tm->tmCharSet = lf.lfCharSet;
  return TRUE;
}

int GetTextFaceW(HDC hdc, int count, LPWSTR face) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return 0;
  const std::u16string& name = DcFont(*dc).faceName();
  if (!face) return static_cast<int>(name.size()) + 1;
  if (count <= 0) return 0;
  int n = std::min(count - 1, static_cast<int>(name.size()));
  std::memcpy(face, name.data(), static_cast<size_t>(n) * 2);
  face[n] = 0;
  return n;
}
