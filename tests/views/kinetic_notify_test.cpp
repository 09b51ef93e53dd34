// Cursor, selection and activation as the parent hears them, and the keyboard.
#include "view_fixture.h"

namespace viewtest {
namespace {

using parlo::LN_ACTIVATE;
using parlo::LN_CURSORCHANGE;
using parlo::LN_SELCHANGE;
using Notify = ListTest;

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
    notes_.clear();
    Tap(100, t.row * kRow + 10);
    EXPECT_EQ(notes_, t.want) << t.row;
  }
  for (const NMHDR& h : noteHeaders_) EXPECT_EQ(std::pair(h.hwndFrom, h.idFrom), std::pair(list(), UINT_PTR{kListId}));
  const DWORD both = parlo::ListItem::kSelected | parlo::ListItem::kCursor;
  EXPECT_EQ(std::pair(list_.RowAt(2)->state & both, list_.RowAt(4)->state & both), std::pair(0u, both));
}

// One row is selected at a time; indices outside the list are ignored.
TEST_F(Notify, SelectionIsSingleInvalidIndicesAreIgnoredAndDeletingForgetsIt) {
  Fill(5);
  list_.Select(1);
  list_.Select(3);
  EXPECT_EQ(std::tuple(list_.FirstSelected(), list_.RowAt(1)->state & parlo::ListItem::kSelected), std::tuple(3, 0u));
  list_.Select(-1);  // deselects and selects nothing
  EXPECT_EQ(list_.FirstSelected(), -1);
  EXPECT_EQ(notes_, (std::vector<Note>{{LN_SELCHANGE, 1, 1}, {LN_SELCHANGE, 1, 0}, {LN_SELCHANGE, 3, 1},
                                       {LN_SELCHANGE, 3, 0}}));
  notes_.clear();
  list_.SetCursor(7);
  list_.Select(7);
  list_.Activate(7, true);
  EXPECT_EQ(std::pair(notes_.size(), list_.CursorRow()), std::pair(0ul, -1));
  // Deleting all rows forgets cursor, selection and activation.
  Tap(100, 10);
  list_.DeleteAllRows();
  EXPECT_EQ(std::tuple(list_.CursorRow(), list_.FirstSelected(), list_.ActivatedRow(), list_.RowCount()),
            std::tuple(-1, -1, -1, 0));
}

TEST_F(Notify, ArrowKeysStartAtEitherEndWrapAndScrollTheCursorRowIntoViewAndEnterActivates) {
  Fill(0);
  Key(VK_UP);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(std::pair(list_.CursorRow(), notes_.size()), std::pair(-1, 0ul));  // an empty list keeps the cursor off
  Fill(5);
  Key(VK_UP);  // with no cursor, up goes to the last row
  EXPECT_EQ(std::pair(list_.CursorRow(), notes_), std::pair(4, std::vector<Note>{{LN_CURSORCHANGE, 4, 1}}));
  for (auto [vk, row] : {std::pair{VK_DOWN, 0}, {VK_DOWN, 1}, {VK_UP, 0}, {VK_UP, 4}}) {
    Key(vk);
    EXPECT_EQ(list_.CursorRow(), row);
  }
  // Enter activates the cursor row without selecting it.
  notes_.clear();
  Key(VK_RETURN);
  EXPECT_EQ(std::pair(notes_, list_.FirstSelected()), std::pair(std::vector<Note>{{LN_ACTIVATE, 4, 1}}, -1));
  // The cursor keys scroll the cursor row into view.
  Fill(30);
  for (int i = 0; i < 6; ++i) Key(VK_DOWN);  // row 5: 600..720, below a 630 window
  EXPECT_EQ(std::pair(list_.CursorRow(), Offset()), std::pair(5, 720 - 630));
  for (int i = 0; i < 5; ++i) Key(VK_UP);  // row 0: its top comes to the window's top
  EXPECT_EQ(Offset(), 0);
}

// A list whose hook sees each record before the parent, as the derived lists' hooks do.
class HookedList : public parlo::KineticList {
 public:
  std::vector<Note>* parentLog = nullptr;
  std::vector<size_t> parentHadWhenHooked;

 protected:
  void OnNotify(parlo::ListNotify& n) override {
    parentHadWhenHooked.push_back(parentLog->size());
    KineticList::OnNotify(n);
  }
};

TEST_F(Notify, TheHookRunsBeforeTheParentHearsOfIt) {
  HookedList hooked;
  hooked.parentLog = &notes_;
  ASSERT_NE(hooked.Create(frame_, kListRect, 77), nullptr);
  AddRow(hooked, kRow);
  hooked.EndFilling();
  notes_.clear();
  hooked.Select(0);
  EXPECT_EQ(hooked.parentHadWhenHooked, std::vector<size_t>{0});
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_EQ(noteHeaders_.back().idFrom, 77u);
}

}  // namespace
}  // namespace viewtest
