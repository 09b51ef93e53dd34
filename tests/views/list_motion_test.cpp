// The list's arithmetic without a window: rounding rule, indicator geometry, curves.
#include <gtest/gtest.h>

#include "views/list_motion.h"
#include "views/list_scroller.h"

using namespace parlo;

TEST(RoundedDiv, RoundsAwayFromZeroOnlyPastTheHalf) {
  EXPECT_EQ(RoundedDiv(5, 3), 2);    // 1.67
  EXPECT_EQ(RoundedDiv(4, 3), 1);    // 1.33
  EXPECT_EQ(RoundedDiv(3, 2), 1);    // exact half stays truncated
  EXPECT_EQ(RoundedDiv(-3, 2), -1);
  EXPECT_EQ(RoundedDiv(-5, 3), -2);
  EXPECT_EQ(RoundedDiv(-4, 3), -1);
  EXPECT_EQ(RoundedDiv(5, -3), -2);
  EXPECT_EQ(RoundedDiv(0, 7), 0);
  EXPECT_EQ(RoundedDiv(7, 0), 0);
}

TEST(ScrollIndicatorGeometry, HiddenWhenEverythingFitsElseNaturalLengthPositionAndParts) {
  ScrollIndicator s;
  for (int content : {630, 100, 0}) {
    s.Recompute(0, 630, content);
    EXPECT_FALSE(s.visible()) << content;
  }
  s.Recompute(0, 630, 631);
  EXPECT_TRUE(s.visible());
  s.Recompute(300, 630, 1200);  // 630 * 630 / 1200 = 330.75
  EXPECT_EQ(s.length(), 331);
  EXPECT_EQ(s.shortfall(), 0);
  EXPECT_EQ(s.position(), 157);  // 630 * 300 / 1200 = 157.5: an exact half stays truncated
  EXPECT_EQ(s.PartAt(156), ScrollIndicator::kGrabBefore);
  EXPECT_EQ(s.PartAt(157), ScrollIndicator::kGrabThumb);
  EXPECT_EQ(s.PartAt(157 + 330), ScrollIndicator::kGrabThumb);
  EXPECT_EQ(s.PartAt(157 + 331), ScrollIndicator::kGrabAfter);
}

TEST(ScrollIndicatorGeometry, ThumbNeverShorterThanSixteenAndStaysInside) {
  ScrollIndicator s;
  const int content = 120 * 100000;
  s.Recompute(content - 630, 630, content);
  EXPECT_EQ(s.length(), 16);
  EXPECT_EQ(s.shortfall(), 16);  // natural length rounds to 0
  EXPECT_LE(s.position() + s.length(), 630);
  EXPECT_GE(s.position() + s.length(), 629);
}

TEST(MotionCurveEval, BounceEndsAtZeroAtHalfASecondAndStays) {
  MotionCurve c;
  const int p = -300;
  c.Start(p, 0, -4 * p, 8 * p, 500);
  EXPECT_EQ(c.At(0), -300);
  EXPECT_EQ(c.At(250), -75);  // p * (1 - 2t/1000)^2
  EXPECT_EQ(c.At(500), 0);
  EXPECT_EQ(c.At(5000), 0);
  EXPECT_TRUE(c.Active(499));
  EXPECT_FALSE(c.Active(500));
  for (int t = 0; t < 500; t += 10) EXPECT_LE(c.At(t), c.At(t + 10)) << t;  // no overshoot
}

TEST(MotionCurveEval, FlingTravelsItsVelocityInTwoSeconds) {
  MotionCurve c;
  c.Start(100, 100 + 2 * 1875 - 1875, 1875, -937, 2000);
  // 2 * (v + a) with a = -v/2 truncated toward zero: 2 * (1875 - 937).
  EXPECT_EQ(c.At(2000), 100 + 1876);
  EXPECT_EQ(c.At(9999), c.At(2000));
  EXPECT_GT(c.At(1000), 100);
}

TEST(ListScrollerMath, AnimationPeriodFollowsPaintTimeWithTheSystemMinimum) {
  ListScroller s;
  s.lastPaintMs = 40;
  EXPECT_EQ(s.AnimationPeriod(), 50u);
  s.lastPaintMs = 9;
  EXPECT_EQ(s.AnimationPeriod(), 11u);  // 9 + 9/4
  s.lastPaintMs = 0;
  EXPECT_EQ(s.AnimationPeriod(), 10u);
}

TEST(ListScrollerMath, MovesWithinTheThresholdAreDropped) {
  ListScroller s;
  s.threshold = POINT{-1, 4};
  s.last = POINT{100, 100};
  POINT d = s.FilterMove(POINT{150, 96});  // x off; 4 is not more than the threshold
  EXPECT_EQ(d.x, 0);
  EXPECT_EQ(d.y, 0);
  EXPECT_EQ(s.last.y, 96);  // the position is taken even when the step is dropped
  d = s.FilterMove(POINT{150, 91});
  EXPECT_EQ(d.y, 5);
}

TEST(ListScrollerMath, ZeroSampleIntervalStillFlings) {
  ListScroller s;
  s.view = SIZE{480, 630};
  s.content = SIZE{480, 6000};
  s.offset = POINT{0, 1000};
  s.lastDelta = POINT{0, 40};
  s.moveInterval = 0;
  EXPECT_FALSE(s.BoundsAndFling(true));
  EXPECT_EQ(s.curveY.velocity, 40 * 1000 / 16);
  EXPECT_EQ(s.curveY.duration, 2000);
}
