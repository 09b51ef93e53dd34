// Cursor, selection and activation as the parent hears them, and the keyboard.
#include "list_fixture.h"

namespace listtest {
namespace {

using parlo::LN_ACTIVATE;
using parlo::LN_CURSORCHANGE;
using parlo::LN_SELCHANGE;

class Notify : public ListTest {
 protected:
  void Tap(int x, int y) {
    Down(x, y);
    Up(x, y);
  }
};

// A tap reports cursor, then selection, then activation; another row turns the old one off
// first; the selected row tapped again is activated again.
TEST_F(Notify, TapsReportCursorSelectionAndActivationInOrder) {
  Fill(10);
  const struct {
    int row;
    std::vector<Note> want;
  } taps[] = {
      {2, {{LN_CURSORCHANGE, 2, 1}, {LN_SELCHANGE, 2, 1}, {LN_ACTIVATE, 2, 1}}},
      {4,
       {{LN_CURSORCHANGE, 2, 0}, {LN_CURSORCHANGE, 4, 1}, {LN_SELCHANGE, 2, 0}, {LN_SELCHANGE, 4, 1},
        {LN_ACTIVATE, 2, 0}, {LN_ACTIVATE, 4, 1}}},
      {4, {{LN_ACTIVATE, 4, 0}, {LN_ACTIVATE, 4, 1}}},
  };
  for (const auto& t : taps) {
    notes().clear();
    Tap(100, t.row * kRow + 10);
    EXPECT_EQ(notes(), t.want) << t.row;
  }
  for (HWND from : noteWindows()) EXPECT_EQ(from, list());
  for (UINT_PTR id : noteIds()) EXPECT_EQ(id, static_cast<UINT_PTR>(kListId));
  const DWORD both = parlo::ListItem::kSelected | parlo::ListItem::kCursor;
  EXPECT_EQ(list_.RowAt(2)->state & both, 0u);
  EXPECT_EQ(list_.RowAt(4)->state & both, both);
}

TEST_F(Notify, SelectionIsSingle) {
  Fill(5);
  list_.Select(1);
  list_.Select(3);
  EXPECT_EQ(list_.FirstSelected(), 3);
  EXPECT_EQ(list_.RowAt(1)->state & parlo::ListItem::kSelected, 0u);
  list_.Select(-1);  // deselects and selects nothing
  EXPECT_EQ(list_.FirstSelected(), -1);
  const std::vector<Note> want{{LN_SELCHANGE, 1, 1}, {LN_SELCHANGE, 1, 0}, {LN_SELCHANGE, 3, 1},
                               {LN_SELCHANGE, 3, 0}};
  EXPECT_EQ(notes(), want);
}

TEST_F(Notify, InvalidIndicesAreIgnored) {
  Fill(3);
  list_.SetCursor(7);
  list_.Select(7);
  list_.Activate(7, true);
  EXPECT_TRUE(notes().empty());
  EXPECT_EQ(list_.CursorRow(), -1);
}

TEST_F(Notify, ArrowKeysStartAtEitherEndAndWrapAndEnterActivates) {
  Fill(0);
  Key(VK_UP);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(list_.CursorRow(), -1);  // an empty list keeps the cursor off
  EXPECT_TRUE(notes().empty());
  Fill(5);
  Key(VK_UP);  // with no cursor, up goes to the last row
  EXPECT_EQ(list_.CursorRow(), 4);
  EXPECT_EQ(notes(), (std::vector<Note>{{LN_CURSORCHANGE, 4, 1}}));
  for (auto [vk, row] : {std::pair{VK_DOWN, 0}, {VK_DOWN, 1}, {VK_UP, 0}, {VK_UP, 4}}) {
    Key(vk);
    EXPECT_EQ(list_.CursorRow(), row);
  }
  // Enter activates the cursor row without selecting it.
  notes().clear();
  Key(VK_RETURN);
  EXPECT_EQ(notes(), (std::vector<Note>{{LN_ACTIVATE, 4, 1}}));
  EXPECT_EQ(list_.FirstSelected(), -1);
}

TEST_F(Notify, CursorKeysScrollTheCursorRowIntoView) {
  Fill(30);
  for (int i = 0; i < 6; ++i) Key(VK_DOWN);  // row 5: 600..720, below a 630 window
  EXPECT_EQ(list_.CursorRow(), 5);
  EXPECT_EQ(Offset(), 720 - 630);
  Key(VK_UP);
  Key(VK_UP);
  Key(VK_UP);
  Key(VK_UP);
  Key(VK_UP);  // row 0: its top comes to the window's top
  EXPECT_EQ(Offset(), 0);
}

TEST_F(Notify, DeleteAllRowsForgetsCursorAndSelection) {
  Fill(5);
  Tap(100, 10);
  list_.DeleteAllRows();
  EXPECT_EQ(list_.CursorRow(), -1);
  EXPECT_EQ(list_.FirstSelected(), -1);
  EXPECT_EQ(list_.ActivatedRow(), -1);
  EXPECT_EQ(list_.RowCount(), 0);
}

// A list whose hook sees each record before the parent, as the derived lists' hooks do.
class HookedList : public parlo::KineticList {
 public:
  std::vector<Note> seen;
  size_t parentHadWhenHooked = 0;
  std::vector<Note>* parentLog = nullptr;

 protected:
  void OnNotify(parlo::ListNotify& n) override {
    seen.push_back({static_cast<int>(n.hdr.code), n.index, n.state});
    if (parentLog) parentHadWhenHooked = parentLog->size();
    KineticList::OnNotify(n);
  }
};

TEST_F(Notify, TheHookRunsBeforeTheParentHearsOfIt) {
  HookedList hooked;
  ASSERT_NE(hooked.Create(parent_, RECT{0, 100, 480, 730}, 77), nullptr);
  hooked.parentLog = &notes();
  auto* row = new TestRow(kRow);
  hooked.AppendRow(row);
  row->Release();
  hooked.EndFilling();
  notes().clear();
  hooked.Select(0);
  ASSERT_EQ(hooked.seen.size(), 1u);
  EXPECT_EQ(hooked.parentHadWhenHooked, 0u);
  ASSERT_EQ(notes().size(), 1u);
  EXPECT_EQ(noteIds().back(), 77u);
}

}  // namespace
}  // namespace listtest
