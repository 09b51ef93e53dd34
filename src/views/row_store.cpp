#include "views/row_store.h"

#include <algorithm>

namespace parlo {

void RowStore::Append(ListItem* item) {
  if (!item) return;
  item->AddRef();
  rows_.push_back(item);
  tops_.push_back(tops_.back() + std::max(item->height, 0));
}

void RowStore::Clear() {
  // Detach first: a row's destructor must never see a half-emptied list.
  std::vector<ListItem*> rows;
  rows.swap(rows_);
  tops_.assign(1, 0);
  selection.clear();
  pressed = activated = cursor = -1;
  for (ListItem* row : rows) row->Release();
}

void RowStore::Remeasure() {
  tops_.resize(1);
  // A negative height would unsort the tops; such a row takes no room.
  for (ListItem* row : rows_) tops_.push_back(tops_.back() + std::max(row->height, 0));
}

int RowStore::RowAtContentY(int64_t y) const {
  // tops_ is sorted, so the row is found in log time however long the list is.
  auto it = std::upper_bound(tops_.begin() + 1, tops_.end(), y);
  if (it == tops_.end()) return -1;
  return static_cast<int>(it - tops_.begin()) - 1;
}

}  // namespace parlo
