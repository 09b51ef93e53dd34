#include "views/list_motion.h"

#include <algorithm>

namespace parlo {

int64_t RoundedDiv(int64_t n, int64_t d) {
  if (d == 0) return 0;
  int64_t q = n / d;
  const int64_t r = n % d;
  const int64_t r2 = r < 0 ? -2 * r : 2 * r;
  const int64_t ad = d < 0 ? -d : d;
  if (r2 > ad) q += ((n < 0) == (d < 0)) ? 1 : -1;
  return q;
}

void ScrollIndicator::Recompute(int offset, int view, int content) {
  if (content <= 0 || view >= content) {
    length_ = 0;
    position_ = 0;
    shortfall_ = 0;
    return;
  }
  const int natural = static_cast<int>(RoundedDiv(static_cast<int64_t>(view) * view, content));
  shortfall_ = natural < kMinLength ? kMinLength - natural : 0;
  length_ = std::max(natural, kMinLength);
  position_ = static_cast<int>(RoundedDiv(static_cast<int64_t>(view - shortfall_) * offset, content));
}

ScrollIndicator::Grab ScrollIndicator::PartAt(int coordinate) const {
  if (coordinate < position_) return kGrabBefore;
  if (coordinate < position_ + length_) return kGrabThumb;
  return kGrabAfter;
}

int MotionCurve::At(int64_t elapsedMs) const {
  const int64_t t = std::min<int64_t>(std::max<int64_t>(elapsedMs, 0), duration);
  const int64_t speed = velocity + RoundedDiv(static_cast<int64_t>(acceleration) * t, 2000);
  return static_cast<int>(p0 + RoundedDiv(speed * t, 1000));
}

}  // namespace parlo
