// The scrolling state of one list and the decisions that need no window: how a move scrolls,
// and which curve each axis follows after a release or at an animation step.
#pragma once
#include <windows.h>

#include <cstdint>

#include "draw/gdi_holders.h"
#include "views/list_motion.h"

namespace parlo {

struct ListScroller {
  static constexpr int kBounceMs = 500;
  static constexpr int kFlingMs = 2000;
  // A drag held longer than this before the release does not coast.
  static constexpr uint32_t kFlingHoldLimitMs = 500;
  // Two move samples in the same tick: assume one frame of a 60 Hz touch panel between them,
  // so a quick flick still coasts instead of dividing by zero.
  static constexpr uint32_t kSameTickIntervalMs = 16;

  POINT offset{0, 0};
  POINT last{0, 0};
  SIZE content{0, 0};
  SIZE view{0, 0};
  POINT lastDelta{0, 0};
  POINT threshold{-1, 4};
  SIZE thickness{0, 0};  // cx: the vertical indicator's width; cy: the horizontal one's height
  ScrollIndicator vertical;
  ScrollIndicator horizontal;

  bool timerRunning = false;
  bool moved = false;
  bool flingPending = true;

  uint32_t lastPaintMs = 0;
  uint32_t lastMoveTime = 0;
  uint32_t stopTime = 0;
  uint32_t moveInterval = 0;
  uint32_t releaseTime = 0;
  uint32_t pressTime = 0;
  Stopwatch paintWatch;
  Stopwatch animationWatch;
  MotionCurve curveX;
  MotionCurve curveY;
  BitmapHolder indicatorBitmap;

  void RecomputeIndicators();

  // The part of a move event that scrolls: per axis, 0 when that axis is off or the step is
  // within its threshold. Updates the last pointer position.
  POINT FilterMove(POINT point);
  // Applies a filtered move (thumb drag or content drag); sets `moved` for a content drag.
  void ApplyMove(POINT delta);

  // Starts the curves. On release a within-bounds axis starts its fling; on a step it keeps its
  // curve, except the half-second rule on y. Returns true when the step must stop at once.
  bool BoundsAndFling(bool release);

  // The content is scrolled past either end on either axis.
  bool OutOfBounds() const;

  // The animation period: the last paint time and a quarter, never under the system minimum.
  uint32_t AnimationPeriod() const;

 private:
  // 0 = keep the curve; 1 = stop reported.
  bool Axis(bool release, bool yAxis, LONG& pos, LONG view, LONG content, LONG delta, MotionCurve& curve);
};

}  // namespace parlo
