// One row of the conversation view. Row k shows record k of the open conversation; the row
// keeps no pointer to the record, which the model may delete.
#pragma once
#include "views/list_item.h"

namespace parlo {

class MessageRow : public ListItem {
 public:
  MessageRow(int width, int rowHeight) : width(width) { height = rowHeight; }

  int width;  // the bubble width in the bubble layout, 0 in the plain layout

 protected:
  ~MessageRow() override = default;
};

}  // namespace parlo
