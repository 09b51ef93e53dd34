#include "views/list_item.h"

#include "draw/dpi.h"

namespace parlo {

ListItem::ListItem() : height(ScaleY(60)) {}
ListItem::~ListItem() = default;

LONG ListItem::AddRef() { return InterlockedIncrement(&refs_); }

LONG ListItem::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

int ListItem::HitTest(int, const RECT&, POINT) { return kHitBody; }

}  // namespace parlo
