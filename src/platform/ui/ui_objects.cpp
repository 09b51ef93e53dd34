#include "platform/ui/ui_objects.h"

namespace platform::ui {

HandleTable<UiObject>& UiObjects() {
  static HandleTable<UiObject> table(kTagMenu);
  return table;
}

Menu* FindMenu(HMENU menu) {
  UiObject* o = UiObjects().Peek(FromHandle(menu));
  if (!o || o->kind != UiKind::Menu) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return nullptr;
  }
  return static_cast<Menu*>(o);
}

Icon* FindIcon(HICON icon) {
  UiObject* o = UiObjects().Peek(FromHandle(icon));
  if (!o || o->kind != UiKind::Icon) {
    SetLastError(ERROR_INVALID_ICON_HANDLE);
    return nullptr;
  }
  return static_cast<Icon*>(o);
}

HMENU AddMenu(std::shared_ptr<Menu> menu) { return ToHandle<HMENU>(UiObjects().Add(std::move(menu))); }
HICON AddIcon(std::shared_ptr<Icon> icon) { return ToHandle<HICON>(UiObjects().Add(std::move(icon))); }

}  // namespace platform::ui
