// The rows of a list in display order, where each one starts, and the list's marked rows.
#pragma once
#include <cstdint>
#include <vector>

#include "views/list_item.h"

namespace parlo {

class RowStore {
 public:
  RowStore() = default;
  ~RowStore() { Clear(); }
  RowStore(const RowStore&) = delete;
  RowStore& operator=(const RowStore&) = delete;

  // Takes a reference on the row.
  void Append(ListItem* item);
  // Drops every row and forgets the cursor, selection, pressed and activated rows.
  void Clear();
  // Re-reads every row's height (after a row changed its own).
  void Remeasure();

  int Count() const { return static_cast<int>(rows_.size()); }
  bool IsValid(int index) const { return index >= 0 && index < Count(); }
  ListItem* At(int index) const { return IsValid(index) ? rows_[index] : nullptr; }
  // Content y of a row's top: the heights of the rows above it.
  int64_t Top(int index) const { return tops_[index]; }
  int64_t TotalHeight() const { return tops_.back(); }
  // The first row whose bottom is below y: row 0 for any y above the first row, -1 at or
  // below the last row's bottom.
  int RowAtContentY(int64_t y) const;

  std::vector<int> selection;
  bool singleSelection = true;
  int pressed = -1;
  int activated = -1;
  int cursor = -1;

 private:
  std::vector<ListItem*> rows_;
  std::vector<int64_t> tops_{0};  // tops_[i] = top of row i; tops_[Count()] = total height
};

}  // namespace parlo
