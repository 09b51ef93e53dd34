#include "views/list_scroller.h"

#include <cstdlib>

namespace parlo {

void ListScroller::RecomputeIndicators() {
  vertical.Recompute(offset.y, view.cy, content.cy);
  horizontal.Recompute(offset.x, view.cx, content.cx);
}

POINT ListScroller::FilterMove(POINT point) {
  POINT delta{last.x - point.x, last.y - point.y};
  last = point;
  if (threshold.x < 0 || std::abs(delta.x) <= threshold.x) delta.x = 0;
  if (threshold.y < 0 || std::abs(delta.y) <= threshold.y) delta.y = 0;
  return delta;
}

void ListScroller::ApplyMove(POINT delta) {
  moved = false;
  if (vertical.grab() != ScrollIndicator::kGrabNone) {
    // Dragging the thumb: the content follows in proportion.
    vertical.set_position(vertical.position() - delta.y);
    offset.y = static_cast<LONG>(RoundedDiv(static_cast<int64_t>(vertical.position()) * content.cy,
                                            view.cy - vertical.shortfall()));
  } else if (horizontal.grab() != ScrollIndicator::kGrabNone) {
    horizontal.set_position(horizontal.position() - delta.x);
    offset.x = static_cast<LONG>(RoundedDiv(static_cast<int64_t>(horizontal.position()) * content.cx,
                                            view.cx - horizontal.shortfall()));
  } else {
    lastDelta = delta;
    offset.x += delta.x;
    offset.y += delta.y;
    moved = true;
  }
}

bool ListScroller::Axis(bool release, bool yAxis, LONG& pos, LONG viewLen, LONG contentLen,
                        LONG delta, MotionCurve& curve) {
  if (pos < 0) {
    curve.Start(pos, 0, -4 * pos, 8 * pos, kBounceMs);
  } else if (pos + viewLen > contentLen) {
    if (viewLen < contentLen) {
      const int over = pos + viewLen - contentLen;
      curve.Start(pos, 0, -4 * over, 8 * over, kBounceMs);
    } else {
      curve.Start(pos, 0, -4 * pos, 8 * pos, kBounceMs);
    }
  } else if (release) {
    const int64_t interval = moveInterval ? moveInterval : kSameTickIntervalMs;
    const int v = static_cast<int>(static_cast<int64_t>(delta) * 1000 / interval);
    const int a = -v / 2;
    curve.Start(pos, pos + 2 * v + 2 * a, v, a, kFlingMs);
  } else if (yAxis && flingPending && releaseTime - pressTime > kFlingHoldLimitMs) {
    flingPending = false;
    return true;
  }
  return false;
}

bool ListScroller::BoundsAndFling(bool release) {
  if (Axis(release, true, offset.y, view.cy, content.cy, lastDelta.y, curveY)) return true;
  return Axis(release, false, offset.x, view.cx, content.cx, lastDelta.x, curveX);
}

bool ListScroller::OutOfBounds() const {
  auto out = [](LONG pos, LONG viewLen, LONG contentLen) {
    return pos < 0 || (pos > 0 && pos + viewLen > contentLen);
  };
  return out(offset.y, view.cy, content.cy) || out(offset.x, view.cx, content.cx);
}

uint32_t ListScroller::AnimationPeriod() const {
  const uint32_t period = lastPaintMs + lastPaintMs / 4;
  return period < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : period;
}

}  // namespace parlo
