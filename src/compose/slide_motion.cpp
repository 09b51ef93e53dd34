#include "compose/slide_motion.h"

#include <cstdlib>

namespace compose {
namespace {

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

SlideMotion::SlideMotion(int width, int height)
    : width_(width),
      leftHalf_{0, 0, width / 2, height},
      home_{width / 2 - kKnobHalfWidth, 0, width / 2 + kKnobHalfWidth, height},
      knob_(home_) {}

void SlideMotion::Press(POINT p) {
  if (locked_) return;
  // The finger came back: a glide stops where it is. Letting go again restarts it unless this
  // touch takes the knob.
  gliding_ = false;
  if (!Inside(home_, p)) return;
  dragging_ = true;
  lastX_ = p.x;
  knob_ = home_;
  direction_ = 0;
  end_ = kNoEnd;
}

bool SlideMotion::Move(POINT p) {
  if (locked_) return false;
  if (gliding_) {
    gliding_ = false;
    lastX_ = p.x;
    return false;
  }
  if (!dragging_) return false;
  const int d = lastX_ - p.x;
  lastX_ = p.x;
  if (d == 0) return false;
  // A trembling finger at an end keeps the end.
  if (end_ != kNoEnd && std::abs(d) < kEndHysteresis) return false;
  end_ = kNoEnd;
  // The right end is the bar's own edge, whatever the track bitmap's width.
  const int knobWidth = knob_.right - knob_.left;
  const int rightmost = width_ - knobWidth;
  int left = knob_.left - d;
  if (d < 0 && left >= rightmost) {
    left = rightmost;
    end_ = kRightEnd;
  } else if (d > 0 && left <= 0) {
    left = 0;
    end_ = kLeftEnd;
  }
  knob_.left = left;
  knob_.right = left + knobWidth;
  direction_ = Inside(leftHalf_, p) ? -1 : 1;
  return true;
}

SlideRelease SlideMotion::Release() {
  dragging_ = false;
  if (locked_) return SlideRelease::kNothing;
  if (end_ != kNoEnd) {
    const SlideRelease what = end_ == kRightEnd ? SlideRelease::kSend : SlideRelease::kClose;
    // Deaf from here until the send is over, so one slide sends once.
    if (what == SlideRelease::kSend) locked_ = true;
    GoHome();
    return what;
  }
  if (direction_ != 0) gliding_ = true;
  return SlideRelease::kNothing;
}

void SlideMotion::Cancel() {
  if (!dragging_) return;
  dragging_ = false;
  end_ = kNoEnd;
  if (direction_ != 0) gliding_ = true;
}

void SlideMotion::Tick() {
  if (!gliding_) return;
  const int step = direction_ == -1 ? kGlideStep : direction_ == 1 ? -kGlideStep : 0;
  knob_.left += step;
  knob_.right += step;
  const bool home = step == 0 || (step > 0 ? knob_.left >= home_.left : knob_.left <= home_.left);
  if (home) {
    knob_ = home_;
    gliding_ = false;
    direction_ = 0;
  }
}

void SlideMotion::GoHome() {
  knob_ = home_;
  lastX_ = -1;
  direction_ = 0;
  end_ = kNoEnd;
}

}  // namespace compose
