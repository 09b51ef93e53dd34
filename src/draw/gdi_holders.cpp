#include "draw/gdi_holders.h"

namespace parlo {
namespace {

int KindOf(HGDIOBJ object) {
  switch (GetObjectType(object)) {
    case OBJ_BITMAP: return 0;
    case OBJ_FONT: return 1;
    case OBJ_PEN: return 2;
    case OBJ_BRUSH: return 3;
    default: return -1;
  }
}

}  // namespace

void DcHolder::Reset(HDC dc) {
  if (dc_ && dc_ != dc) {
    RestoreSelections();
    DeleteDC(dc_);
  }
  if (dc_ != dc) {
    for (auto& o : original_) o = nullptr;
  }
  dc_ = dc;
}

HGDIOBJ DcHolder::Select(HGDIOBJ object) {
  if (!dc_ || !object) return nullptr;
  HGDIOBJ previous = SelectObject(dc_, object);
  const int kind = KindOf(object);
  if (previous && kind >= 0 && !original_[kind]) original_[kind] = previous;
  return previous;
}

void DcHolder::RestoreSelections() {
  if (!dc_) return;
  for (auto& o : original_) {
    if (o) SelectObject(dc_, o);
    o = nullptr;
  }
}

void MenuHolder::Reset(HMENU menu) {
  if (menu_ && menu_ != menu) DestroyMenu(menu_);
  menu_ = menu;
}

}  // namespace parlo
