// Menus, icons and cursors share one handle table, so a menu handle passed where an icon is
// expected (or a stale one) resolves to nothing.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/base/handle_table.h"
#include "platform/ui/resources.h"
#include "windows.h"

namespace platform::ui {

enum class UiKind { Menu, Icon };

struct UiObject {
  explicit UiObject(UiKind k) : kind(k) {}
  virtual ~UiObject() = default;
  UiKind kind;
};

struct MenuItem {
  UINT flags = 0;  // MF_SEPARATOR, MF_POPUP, MF_CHECKED, MF_GRAYED, MF_DISABLED
  UINT id = 0;
  std::u16string text;
  HMENU popup = nullptr;  // owned by this menu
};

struct Menu : UiObject {
  Menu() : UiObject(UiKind::Menu) {}
  bool isPopup = false;
  std::vector<MenuItem> items;
};

struct Icon : UiObject {
  Icon() : UiObject(UiKind::Icon) {}
  IconImage image;
  WORD systemCursor = 0;  // IDC_* ordinal for the system's shared cursors
  bool shared = false;    // system cursors and loaded resource icons are never destroyed
};

HandleTable<UiObject>& UiObjects();

// nullptr for 0, stale or foreign handles (and sets the system's error code).
Menu* FindMenu(HMENU menu);
Icon* FindIcon(HICON icon);
HMENU AddMenu(std::shared_ptr<Menu> menu);
HICON AddIcon(std::shared_ptr<Icon> icon);

}  // namespace platform::ui
