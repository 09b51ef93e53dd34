#include "platform/gdi/text_layout.h"

namespace platform::gdi {

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000; }
bool IsLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

// True when a line may end between text[i - 1] and text[i].
bool CanBreakBefore(const std::u16string& t, int i) {
  char16_t a = t[static_cast<size_t>(i - 1)], b = t[static_cast<size_t>(i)];
  if (IsSpace(a) && !IsSpace(b)) return true;
  return IsWide(a) && IsWide(b);
}

int TrimmedEnd(const std::u16string& t, int start, int end) {
  while (end > start && IsSpace(t[static_cast<size_t>(end - 1)])) --end;
  return end;
}

void WrapParagraph(const std::u16string& t, const std::vector<int>& adv, int p0, int p1,
                   const BreakOptions& o, std::vector<TextLine>* out) {
  int pos = p0;
  bool first = true;
  while (first || pos < p1) {
    first = false;
    int width = 0, lastBreak = -1, i = pos;
    bool overflow = false;
    for (; i < p1; ++i) {
      if (i > pos && CanBreakBefore(t, i)) lastBreak = i;
      int w = adv[static_cast<size_t>(i)];
      // Spaces may hang past the edge; they are trimmed from the line anyway.
      if (i > pos && width + w > o.maxWidth && !IsSpace(t[static_cast<size_t>(i)])) {
        overflow = true;
        break;
      }
      width += w;
    }
    int end;
    if (!overflow) {
      end = p1;
    } else if (lastBreak > pos) {
      end = lastBreak;
    } else if (o.breakWords) {
      end = i;
    } else {
      // The word is wider than the line: it keeps a line of its own and runs past the edge.
      end = i;
      while (end < p1 && !CanBreakBefore(t, end)) ++end;
    }
    int drawnEnd = TrimmedEnd(t, pos, end);
    out->push_back(TextLine{pos, drawnEnd, SpanWidth(adv, pos, drawnEnd)});
    pos = end;
    while (pos < p1 && IsSpace(t[static_cast<size_t>(pos)])) ++pos;
  }
}

}  // namespace

bool IsWide(char16_t c) {
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xA960 && c <= 0xA97F) ||
         (c >= 0xAC00 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6);
}

int SpanWidth(const std::vector<int>& adv, int start, int end) {
  int w = 0;
  for (int i = start; i < end; ++i) w += adv[static_cast<size_t>(i)];
  return w;
}

std::vector<TextLine> BreakLines(const std::u16string& t, const std::vector<int>& adv, const BreakOptions& o) {
  std::vector<TextLine> lines;
  int n = static_cast<int>(t.size());
  if (o.singleLine) {
    lines.push_back(TextLine{0, n, SpanWidth(adv, 0, n)});
    return lines;
  }
  int p = 0;
  while (true) {
    int e = p;
    while (e < n && !IsLineEnd(t[static_cast<size_t>(e)])) ++e;
    if (o.wordBreak) WrapParagraph(t, adv, p, e, o, &lines);
    else lines.push_back(TextLine{p, e, SpanWidth(adv, p, e)});
    if (e >= n) break;
    // CR LF counts as one line end.
    if (t[static_cast<size_t>(e)] == u'\r' && e + 1 < n && t[static_cast<size_t>(e + 1)] == u'\n') ++e;
    p = e + 1;
    if (p >= n) break;  // a final line end opens no empty line
  }
  return lines;
}

std::u16string StripPrefixes(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size()) out += text[++i];
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace platform::gdi
