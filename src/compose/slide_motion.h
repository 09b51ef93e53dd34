// The slide bar's knob without its window: where it is, what a finger does to it, and how it
// glides home. The window turns the answers into a timer, a paint and a command.
#pragma once
#include "windef.h"

namespace compose {

// What letting go asks of the window.
enum class SlideRelease { kNothing, kSend, kClose };

class SlideMotion {
 public:
  static constexpr int kKnobHalfWidth = 70;
  static constexpr int kGlideStep = 30;     // pixels per timer tick on the way home
  static constexpr int kEndHysteresis = 5;  // moves shorter than this keep a reached end

  // A bar `width` x `height`: the knob's home is the middle 140 pixels, and the knob stops at
  // the bar's own edges.
  SlideMotion(int width, int height);

  // Finger down: a touch on the knob's home starts a drag there; any touch stops a glide.
  void Press(POINT p);
  // Finger moved; true when the knob moved.
  bool Move(POINT p);
  // Finger up: at the right end the bar locks itself and asks for the send; at the left end it
  // asks to close; elsewhere the knob starts gliding home.
  SlideRelease Release();
  // The finger was taken away (another window took the gesture): never sends, just goes home.
  void Cancel();
  // One glide step; the glide ends once the knob is home.
  void Tick();

  void SetLocked(bool locked) { locked_ = locked; }
  bool Locked() const { return locked_; }
  bool Dragging() const { return dragging_; }
  bool Gliding() const { return gliding_; }
  const RECT& Knob() const { return knob_; }
  const RECT& Home() const { return home_; }

 private:
  enum End { kNoEnd = 0, kRightEnd = 1, kLeftEnd = 2 };
  void GoHome();

  int width_;
  RECT leftHalf_;
  RECT home_;
  RECT knob_;
  int lastX_ = -1;
  bool dragging_ = false;
  bool gliding_ = false;
  int direction_ = 0;  // 1: glide left to home, -1: glide right to home
  End end_ = kNoEnd;
  bool locked_ = false;
};

}  // namespace compose
