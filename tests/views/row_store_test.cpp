// Rows, their tops and the row found at a content y; reference counts.
#include "view_fixture.h"
#include "views/row_store.h"

using namespace parlo;

namespace viewtest {
namespace {

using RowStoreTest = ViewTest;

// The first pixel line of a row hits that row; above the first row (a bounce) hits the first;
// an empty store and rows of no height are never hit. The store holds the only reference to its
// rows and drops them, with the marks, on clear.
TEST_F(RowStoreTest, AContentYHitsTheRowItFallsInAndClearingDropsTheRows) {
  bool destroyed = false;  // outlives the store
  RowStore store;
  EXPECT_EQ(std::tuple(store.RowAtContentY(0), store.RowAtContentY(-10), store.At(0), store.TotalHeight()),
            std::tuple(-1, -1, nullptr, 0));
  AddRow(store, 120, ListItem::kHitBody, &destroyed);
  for (int h : {50, 0, 200}) AddRow(store, h);
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
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(std::tuple(store.cursor, store.selection.size()), std::tuple(-1, 0u));
}

}  // namespace
}  // namespace viewtest
