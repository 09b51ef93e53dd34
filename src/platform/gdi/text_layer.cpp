#include "platform/gdi/text_layer.h"

#include <algorithm>

namespace platform::gdi {

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (IsEmpty(r)) r = RECT{0, 0, 0, 0};
  return r;
}

RECT Offset(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

void TextLayer::Add(TextRun run) {
  if (IsEmpty(run.rect) || run.text.empty()) return;
  // Text drawn again in exactly the same place replaces what was there (repaints without a fill).
  std::erase_if(runs_, [&](const TextRun& r) {
    return r.rect.left == run.rect.left && r.rect.top == run.rect.top && r.rect.right == run.rect.right &&
           r.rect.bottom == run.rect.bottom;
  });
  runs_.push_back(std::move(run));
}

void TextLayer::RemoveTouching(const RECT& painted) {
  if (IsEmpty(painted) || runs_.empty()) return;
  std::erase_if(runs_, [&](const TextRun& r) { return !IsEmpty(Intersect(r.rect, painted)); });
}

std::vector<TextRun> TextLayer::Meeting(const RECT& area) const {
  std::vector<TextRun> out;
  for (const TextRun& r : runs_)
    if (!IsEmpty(Intersect(r.rect, area))) out.push_back(r);
  return out;
}

}  // namespace platform::gdi
