// Rows, their tops and the row found at a content y; reference counts.
#include "view_fixture.h"
#include "views/row_store.h"

using namespace parlo;

namespace viewtest {
namespace {

class RowStoreTest : public ViewTest {
 protected:
  RowStore store;
};

// The first pixel line of a row hits that row; above the first row (a bounce) hits the first;
// an empty store and rows of no height are never hit.
TEST_F(RowStoreTest, AContentYHitsTheRowItFallsIn) {
  EXPECT_EQ(store.RowAtContentY(0), -1);
  EXPECT_EQ(store.RowAtContentY(-10), -1);
  EXPECT_EQ(store.At(0), nullptr);
  EXPECT_EQ(store.TotalHeight(), 0);
  for (int h : {120, 50, 0, 200}) AddRow(store, h);
  const int cases[][2] = {{0, 0}, {119, 0}, {120, 1}, {169, 1}, {170, 3}, {369, 3}, {370, -1}, {-40, 0}};
  for (auto [y, row] : cases) EXPECT_EQ(store.RowAtContentY(y), row) << y;
  EXPECT_EQ(store.Top(3), 170);
  EXPECT_EQ(store.TotalHeight(), 370);
  // Remeasuring picks up changed heights.
  store.At(0)->height = 30;
  store.Remeasure();
  EXPECT_EQ(store.RowAtContentY(30), 1);
  EXPECT_EQ(store.TotalHeight(), 280);
}

TEST_F(RowStoreTest, TheStoreHoldsOneReferenceAndDropsItOnClear) {
  bool destroyed = false;
  auto* row = new TestRow(10, ListItem::kHitBody, &destroyed);
  store.Append(row);
  EXPECT_EQ(row->RefCount(), 2);
  row->Release();
  EXPECT_FALSE(destroyed);
  store.cursor = 0;
  store.selection = {0};
  store.Clear();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(store.cursor, -1);
  EXPECT_TRUE(store.selection.empty());
}

TEST_F(RowStoreTest, NewRowsStartAtSixtyDesignPixelsAndMarked) {
  auto* row = new ListItem();
  EXPECT_EQ(row->height, 120);
  EXPECT_EQ(row->state, static_cast<DWORD>(ListItem::kCreated));
  EXPECT_EQ(row->HitTest(0, RECT{0, 0, 480, 120}, POINT{5, 5}), ListItem::kHitBody);
  EXPECT_EQ(row->Release(), 0);
}

}  // namespace
}  // namespace viewtest
