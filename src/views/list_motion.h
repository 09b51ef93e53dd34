// The arithmetic of the finger-scrolled list: rounded division, the scroll indicator's
// geometry, one axis of an animation, and a millisecond stopwatch.
#pragma once
#include <cstdint>

namespace parlo {

// n / d truncated toward zero, then moved one away from zero when the remainder is more than
// half the divisor (exact halves stay truncated). 0 for d = 0.
int64_t RoundedDiv(int64_t n, int64_t d);

class ScrollIndicator {
 public:
  static constexpr int kMinLength = 16;
  enum Grab { kGrabNone = 0, kGrabBefore = 1, kGrabThumb = 2, kGrabAfter = 3 };

  // From the axis's (offset, view, content).
  void Recompute(int offset, int view, int content);
  // Which part of the indicator a pointer coordinate along the axis falls on.
  Grab PartAt(int coordinate) const;

  bool visible() const { return enabled_ && length_ != 0; }
  int length() const { return length_; }
  int position() const { return position_; }
  int shortfall() const { return shortfall_; }
  Grab grab() const { return grab_; }
  bool enabled() const { return enabled_; }

  void set_position(int position) { position_ = position; }
  void set_grab(Grab grab) { grab_ = grab; }
  void set_enabled(bool enabled) { enabled_ = enabled; }

 private:
  int length_ = 0;
  int position_ = 0;
  int shortfall_ = 0;
  Grab grab_ = kGrabNone;
  bool enabled_ = true;
};

// One axis of an animation: position = p0 + R((v + R(a t / 2000)) t / 1000), t in ms capped at T.
struct MotionCurve {
  int p0 = 0;
  int p1 = 0;  // where it is meant to end; kept for reference only
  int velocity = 0;      // pixels per second
  int acceleration = 0;  // pixels per second squared
  int duration = 0;      // milliseconds

  void Start(int start, int target, int v, int a, int t) {
    p0 = start;
    p1 = target;
    velocity = v;
    acceleration = a;
    duration = t;
  }
  int At(int64_t elapsedMs) const;
  bool Active(int64_t elapsedMs) const { return elapsedMs < duration; }
};

// Times against GetTickCount.
class Stopwatch {
 public:
  void Start(uint32_t now) {
    start_ = now;
    running_ = true;
    elapsed_ = 0;
  }
  void Stop(uint32_t now) {
    if (running_) elapsed_ = now - start_;
    running_ = false;
  }
  uint32_t Elapsed(uint32_t now) const { return running_ ? now - start_ : elapsed_; }
  bool running() const { return running_; }

 private:
  uint32_t start_ = 0;
  uint32_t elapsed_ = 0;
  bool running_ = false;
};

}  // namespace parlo
