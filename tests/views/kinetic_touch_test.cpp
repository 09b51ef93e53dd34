// Dragging, tapping, flinging and springing back, through window messages on the virtual clock.
#include <algorithm>

#include "view_fixture.h"

namespace viewtest {
namespace {

using Touch = ListTest;

// Slow movement under the threshold is a tap however long. A drag released after half a second
// stays where it is; a quick flick coasts its velocity in two seconds: v = 30 * 1000 / 16 = 1875
// px/s, a = -937, so 2 * (1875 - 937) pixels further.
TEST_F(Touch, SlowMovementIsATapAndOnlyAQuickReleaseCoastsItsVelocityInTwoSecondsEvenWithMovesInOneTick) {
  Fill(10);
  Drag(100, 150, 30, 40, 200);  // 40 moves of 3 pixels (threshold 4) over eight seconds
  EXPECT_EQ(std::pair(Offset(), Animating()), std::pair(0, false));
  // The row under the finger at the release is activated and selected.
  EXPECT_EQ(std::pair(list_.ActivatedRow(), list_.FirstSelected()), std::pair(0, 0));

  const struct {
    int y1, steps;
    uint32_t stepMs;
    int released, coasted;
  } cases[] = {{260, 12, 50, 240, 240}, {350, 5, 16, 150, 150 + 1876}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stepMs);
    Fill(0);  // back to the top
    Fill(30);
    Drag(240, 500, c.y1, c.steps, c.stepMs, true);
    EXPECT_EQ(Offset(), c.released);
    if (c.coasted != c.released) {
      EXPECT_TRUE(Animating());
      Advance(1000);
      EXPECT_GT(Offset(), c.released);  // halfway
    }
    EXPECT_EQ(After(2000), std::pair(c.coasted, false));
  }
  // Moves within one tick still fling: the zero interval counts as 16 ms, the same coast.
  Fill(0);
  Fill(30);
  Down(240, 500);
  Advance(16);
  MoveTo(240, 470);
  MoveTo(240, 440);  // same tick as the move before
  Up(240, 440);
  EXPECT_EQ(Offset(), 60);
  EXPECT_EQ(After(2100), std::pair(60 + 1876, false));
}

// A slow drag (no coast) past an end, or any drag when all rows fit: back at that end half a
// second after the release, moving only towards it and never past it, and there it stays. A fling
// that coasts past the end is back there half a second after the release too.
TEST_F(Touch, PastAnEndTheRowsSpringBackInHalfASecondAfterADragOrAFling) {
  const struct {
    const char* what;
    int rows;
    bool fromTheEnd;
    int y0, y1, released, end;
  } cases[] = {
      {"all fit, pushed up", 3, false, 400, 250, 150, 0},
      {"all fit, pulled down", 3, false, 100, 250, -150, 0},
      {"past the top", 30, false, 100, 400, -300, 0},
      {"past the bottom", 30, true, 500, 300, 2970 + 200, 2970},  // 3600 high in a 630 window
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Fill(c.rows);
    if (c.fromTheEnd) {
      Key(VK_UP);  // the cursor goes to the last row and the list scrolls to the end
      ASSERT_EQ(Offset(), 3600 - 630);
    }
    Drag(240, c.y0, c.y1, 10, 100, true);
    EXPECT_EQ(Offset(), c.released);
    const int direction = c.released < c.end ? 1 : -1;
    int previous = Offset();
    for (int t = 10; t < 500; t += 10) {
      Advance(10);
      EXPECT_GE((Offset() - previous) * direction, 0) << t;
      EXPECT_LE((Offset() - c.end) * direction, 0) << t;
      previous = Offset();
    }
    EXPECT_EQ(After(10).first, c.end);
    const auto later = After(1000);
    EXPECT_EQ(later.first, c.end);
    // When all rows fit, the sideways curve of the release keeps the timer to its two seconds.
    EXPECT_TRUE(c.rows == 3 || !later.second);
  }

  ASSERT_EQ(Offset(), 2970);  // the last case leaves the list at its end
  Drag(240, 300, 500, 10, 100, true);  // a slow pull back from the end: no coast
  Advance(100);
  ASSERT_EQ(Offset(), 2970 - 200);
  Drag(240, 500, 350, 5, 16, true);  // a flick that coasts far past the end
  ASSERT_EQ(Offset(), 2920);
  int furthest = Offset();
  for (int t = 10; t <= 500; t += 10) {
    Advance(10);
    furthest = std::max(furthest, Offset());
  }
  EXPECT_GT(furthest, 2970);
  EXPECT_EQ(Offset(), 2970);
  EXPECT_EQ(After(2000), std::pair(2970, false));
}

TEST_F(Touch, ATouchOrLosingFocusStopsAFling) {
  Fill(30);
  for (bool touch : {true, false}) {
    SCOPED_TRACE(touch ? "touch" : "focus");
    Drag(240, 500, 350, 5, 16, true);
    Advance(200);
    ASSERT_TRUE(Animating());
    if (touch) {
      Down(240, 300);
    } else {
      SendMessageW(list(), WM_KILLFOCUS, 0, 0);
    }
    const int held = Offset();
    EXPECT_FALSE(Animating());
    EXPECT_EQ(After(1000), std::pair(held, false));
    if (touch) Up(240, 300);
  }
}

TEST_F(Touch, DraggingTheThumbScrollsAndActivatesNothing) {
  Fill(30);
  const int x = 480 - 2;  // inside the 12-pixel indicator strip
  const int thumb = list_.scroller().vertical.position() + 5;
  Down(x, thumb);
  EXPECT_EQ(list_.scroller().vertical.grab(), parlo::ScrollIndicator::kGrabThumb);
  notes_.clear();
  MoveTo(x, thumb + 63);  // the thumb moves 63 of 630 - shortfall pixels
  EXPECT_EQ(Offset(), 63 * 3600 / 630);
  Up(x, thumb + 63);
  for (const Note& n : notes_) EXPECT_TRUE(n.code != parlo::LN_ACTIVATE && n.code != parlo::LN_SELCHANGE) << n;
  EXPECT_FALSE(Animating());

  // Past the end, the list springs back to its last rows at release.
  Down(x, list_.scroller().vertical.position() + 5);
  MoveTo(x, 700);
  ASSERT_GT(Offset(), 3600 - 630);
  Up(x, 700);
  EXPECT_EQ(After(500).first, 3600 - 630);
  EXPECT_EQ(After(2000), std::pair(3600 - 630, false));
}

// Destroying the list releases its rows.
TEST_F(Touch, TapsBelowTheLastRowOrOnARowThatRefusesTheHitDoNothing) {
  Fill(2);
  Tap(100, 500);
  EXPECT_TRUE(notes_.empty());
  list_.DeleteAllRows();
  bool destroyed = false;
  AddRow(list_, kRow, 2, &destroyed);
  list_.EndFilling();
  Tap(100, 10);
  EXPECT_EQ(std::tuple(notes_.size(), list_.CursorRow(), list_.ActivatedRow()), std::tuple(0ul, -1, -1));
  EXPECT_FALSE(destroyed);
  DestroyWindow(list());
  EXPECT_EQ(std::pair(destroyed, list_.hwnd()), std::pair(true, HWND(nullptr)));
}

// A refill that shrinks the content brings the rows back; a resize recomputes the view.
TEST_F(Touch, RefillOrResizeRecomputesTheView) {
  Fill(30);
  Key(VK_UP);
  ASSERT_EQ(Offset(), 2970);
  Fill(6);
  EXPECT_EQ(Offset(), 720 - 630);
  Fill(4);  // 480 high: fits in 630
  EXPECT_FALSE(list_.scroller().vertical.visible());
  MoveWindow(list(), 0, 100, 480, 300, TRUE);
  EXPECT_EQ(std::tuple(list_.scroller().view.cy, list_.scroller().vertical.visible()), std::tuple(300, true));
}

}  // namespace
}  // namespace viewtest
