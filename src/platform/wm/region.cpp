#include "platform/wm/region.h"

#include <algorithm>

namespace platform::wm {

bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Intersect(const RECT& a, const RECT& b, RECT* out) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (RectEmpty(r)) {
    *out = RECT{0, 0, 0, 0};
    return false;
  }
  *out = r;
  return true;
}

RECT Offset(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

namespace {
// Pieces of `a` outside `b`: at most four bands.
void Cut(const RECT& a, const RECT& b, Rects& out) {
  RECT i;
  if (!Intersect(a, b, &i)) {
    out.push_back(a);
    return;
  }
  if (a.top < i.top) out.push_back({a.left, a.top, a.right, i.top});
  if (i.bottom < a.bottom) out.push_back({a.left, i.bottom, a.right, a.bottom});
  if (a.left < i.left) out.push_back({a.left, i.top, i.left, i.bottom});
  if (i.right < a.right) out.push_back({i.right, i.top, a.right, i.bottom});
}
}  // namespace

void SubtractRect(Rects& region, const RECT& r) {
  if (RectEmpty(r)) return;
  Rects out;
  out.reserve(region.size() + 4);
  for (const RECT& a : region) Cut(a, r, out);
  region.swap(out);
}

void AddRect(Rects& region, const RECT& r) {
  if (RectEmpty(r)) return;
  Rects pieces{r};
  for (const RECT& existing : region) SubtractRect(pieces, existing);
  region.insert(region.end(), pieces.begin(), pieces.end());
}

void IntersectRect(Rects& region, const RECT& r) {
  Rects out;
  for (const RECT& a : region) {
    RECT i;
    if (Intersect(a, r, &i)) out.push_back(i);
  }
  region.swap(out);
}

Rects IntersectRegions(const Rects& a, const Rects& b) {
  Rects out;
  for (const RECT& x : a)
    for (const RECT& y : b) {
      RECT i;
      if (Intersect(x, y, &i)) out.push_back(i);
    }
  return out;
}

RECT Bounds(const Rects& region) {
  if (region.empty()) return RECT{0, 0, 0, 0};
  RECT b = region.front();
  for (const RECT& r : region) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

}  // namespace platform::wm
