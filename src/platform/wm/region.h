// A region as a list of disjoint rectangles: enough for update regions and visible areas.
#pragma once
#include <vector>

#include "windef.h"

namespace platform::wm {

using Rects = std::vector<RECT>;

bool RectEmpty(const RECT& r);
bool Intersect(const RECT& a, const RECT& b, RECT* out);
RECT Offset(RECT r, int dx, int dy);

// Adds `r` to `region`, keeping the rectangles disjoint.
void AddRect(Rects& region, const RECT& r);
void SubtractRect(Rects& region, const RECT& r);
void IntersectRect(Rects& region, const RECT& r);
Rects IntersectRegions(const Rects& a, const Rects& b);
RECT Bounds(const Rects& region);  // empty rectangle for an empty region

}  // namespace platform::wm
