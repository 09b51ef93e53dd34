// The list's arithmetic without a window: rounding rule, indicator geometry, animation period,
// the rows' tops and the row at a content y. The curves and the move filter are seen through the
// list in kinetic_touch_test.
#include "view_fixture.h"
#include "views/list_motion.h"
#include "views/list_scroller.h"
#include "views/row_store.h"

using namespace parlo;

TEST(RoundedDiv, RoundsAwayFromZeroOnlyPastTheHalf) {
  // 1.67, 1.33, an exact half (truncated), negatives either side, and nothing for a zero divisor.
  const int cases[][3] = {{5, 3, 2}, {4, 3, 1}, {3, 2, 1}, {-3, 2, -1}, {-5, 3, -2},
                          {-4, 3, -1}, {5, -3, -2}, {0, 7, 0}, {7, 0, 0}};
  for (auto [n, d, q] : cases) EXPECT_EQ(RoundedDiv(n, d), q) << n << "/" << d;
}

TEST(ScrollIndicatorGeometry, HiddenWhenEverythingFitsElseNaturalLengthPositionAndPartsAndAtLeastSixteen) {
  ScrollIndicator s;
  for (auto [content, visible] : {std::pair{630, false}, {100, false}, {0, false}, {631, true}}) {
    s.Recompute(0, 630, content);
    EXPECT_EQ(s.visible(), visible) << content;
  }
  // Length 630 * 630 / 1200 = 330.75; position 630 * 300 / 1200 = 157.5, an exact half truncated.
  s.Recompute(300, 630, 1200);
  EXPECT_EQ(std::tuple(s.length(), s.shortfall(), s.position()), std::tuple(331, 0, 157));
  EXPECT_EQ((std::vector{s.PartAt(156), s.PartAt(157), s.PartAt(157 + 330), s.PartAt(157 + 331)}),
            (std::vector{ScrollIndicator::kGrabBefore, ScrollIndicator::kGrabThumb, ScrollIndicator::kGrabThumb,
                         ScrollIndicator::kGrabAfter}));
  // The thumb is never shorter than sixteen and stays inside.
  const int content = 120 * 100000;
  s.Recompute(content - 630, 630, content);
  EXPECT_EQ(std::pair(s.length(), s.shortfall()), std::pair(16, 16));  // natural length rounds to 0
  EXPECT_LE(s.position() + s.length(), 630);
  EXPECT_GE(s.position() + s.length(), 629);
}

TEST(ListScrollerMath, AnimationPeriodFollowsPaintTimeWithTheSystemMinimum) {
  ListScroller s;
  for (auto [paint, period] : {std::pair{40u, 50u}, {9u, 11u} /* 9 + 9/4 */, {0u, 10u}}) {
    s.lastPaintMs = paint;
    EXPECT_EQ(s.AnimationPeriod(), period) << paint;
  }
}

// The first pixel line of a row hits that row; above the first row (a bounce) hits the first;
// an empty store and rows of no height are never hit. The store holds the only reference to its
// rows and drops them, with the marks, on clear.
TEST(RowStoreTest, AContentYHitsTheRowItFallsInAndClearingDropsTheRows) {
  bool destroyed = false;  // outlives the store
  RowStore store;
  EXPECT_EQ(std::tuple(store.RowAtContentY(0), store.RowAtContentY(-10), store.At(0), store.TotalHeight()),
            std::tuple(-1, -1, nullptr, 0));
  viewtest::AddRow(store, 120, ListItem::kHitBody, &destroyed);
  for (int h : {50, 0, 200}) viewtest::AddRow(store, h);
  EXPECT_EQ(store.At(0)->RefCount(), 1);
  const int cases[][2] = {{0, 0}, {119, 0}, {120, 1}, {169, 1}, {170, 3}, {369, 3}, {370, -1}, {-40, 0}};
  for (auto [y, row] : cases) EXPECT_EQ(store.RowAtContentY(y), row) << y;
  EXPECT_EQ(std::tuple(store.Top(3), store.TotalHeight()), std::tuple(170, 370));
  // Remeasuring picks up changed heights.
  store.At(0)->height = 30;
  store.Remeasure();
  EXPECT_EQ(std::tuple(store.RowAtContentY(30), store.TotalHeight()), std::tuple(1, 280));
  store.cursor = 0;
  store.selection = {0};
  EXPECT_FALSE(destroyed);
  store.Clear();
  EXPECT_EQ(std::tuple(destroyed, store.cursor, store.selection.size()), std::tuple(true, -1, 0u));
}
