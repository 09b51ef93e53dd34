// Finding a menu item by position or by command, shared by the menu calls and the tracker.
#pragma once
#include <cstddef>

#include "platform/ui/ui_objects.h"

namespace platform::ui {

struct MenuItemRef {
  Menu* menu = nullptr;
  size_t index = 0;
  explicit operator bool() const { return menu != nullptr; }
  MenuItem& item() const { return menu->items[index]; }
};

// MF_BYPOSITION looks in `menu` only; MF_BYCOMMAND also searches its pop-ups, depth first.
MenuItemRef LocateItem(HMENU menu, UINT item, UINT flags, int depth = 0);

}  // namespace platform::ui
