#include "platform/gdi/raster.h"

#include <cstring>

namespace platform::gdi {

void FillPixels(uint32_t* p, size_t n, uint32_t pixel) {
  if (n == 0) return;
  uint8_t b = pixel & 0xFF;
  if (pixel == b * 0x01010101u) {
    std::memset(p, b, n * 4);
    return;
  }
  // Doubling copies: a few memcpy calls instead of a store per pixel.
  p[0] = pixel;
  size_t done = 1;
  while (done < n) {
    size_t k = std::min(done, n - done);
    std::memcpy(p + done, p, k * 4);
    done += k;
  }
}

void FillDeviceRect(DcObject& dc, const RECT& deviceRect, uint32_t pixel) {
  Surface& s = *dc.surface;
  ForEachClipped(dc, deviceRect, [&](const RECT& r) {
    size_t n = static_cast<size_t>(r.right - r.left);
    uint32_t* first = s.Row(r.top) + r.left;
    FillPixels(first, n, pixel);
    for (int y = r.top + 1; y < r.bottom; ++y) std::memcpy(s.Row(y) + r.left, first, n * 4);
  });
}

void NotePainted(DcObject& dc, const RECT& deviceRect) {
  TextLayer& layer = dc.surface->text();
  if (layer.runs().empty()) return;
  ForEachClipped(dc, deviceRect, [&](const RECT& r) { layer.RemoveTouching(r); });
}

std::vector<TextRun> RunsUnder(const DcObject& dc, const RECT& deviceRect) {
  std::vector<TextRun> under;
  for (const TextRun& run : dc.surface->text().runs()) {
    bool touched = false;
    ForEachClipped(dc, Intersect(run.rect, deviceRect), [&](const RECT&) { touched = true; });
    if (touched) under.push_back(run);
  }
  return under;
}

}  // namespace platform::gdi
