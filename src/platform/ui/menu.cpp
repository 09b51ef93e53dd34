// Menu handles and their items: the data side of menus; drawing and tracking are in
// popup_menu.cpp.
#include <algorithm>

#include "platform/ui/menu_access.h"
#include "platform/ui/ui_objects.h"

namespace platform::ui {
namespace {

constexpr int kMaxDepth = 16;  // a menu cannot nest deeper than this (and never in itself)

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT |
                            MF_MENUBARBREAK | MF_MENUBREAK;

HMENU NewMenu(bool popup) {
  auto m = std::make_shared<Menu>();
  m->isPopup = popup;
  return AddMenu(std::move(m));
}

bool Contains(HMENU tree, HMENU target, int depth) {
  if (tree == target) return true;
  if (depth > kMaxDepth) return true;  // treat runaway nesting as a cycle
  Menu* m = FindMenu(tree);
  if (!m) return false;
  for (const MenuItem& it : m->items)
    if (it.popup && Contains(it.popup, target, depth + 1)) return true;
  return false;
}

HMENU Build(const std::vector<MenuTemplateItem>& items, bool popup) {
  HMENU menu = NewMenu(popup);
  for (const MenuTemplateItem& t : items) {
    if (t.flags & MF_POPUP) {
      HMENU sub = Build(t.popup, true);
      AppendMenuW(menu, t.flags, reinterpret_cast<UINT_PTR>(sub), t.text.c_str());
    } else {
      AppendMenuW(menu, t.flags, t.id, t.text.c_str());
    }
  }
  return menu;
}

void DestroyTree(HMENU menu, int depth) {
  std::shared_ptr<UiObject> o = UiObjects().Remove(platform::FromHandle(menu));
  if (!o || o->kind != UiKind::Menu || depth > kMaxDepth) return;
  for (const MenuItem& it : static_cast<Menu*>(o.get())->items)
    if (it.popup) DestroyTree(it.popup, depth + 1);
}

bool MakeItem(UINT flags, UINT_PTR idNewItem, LPCWSTR text, HMENU owner, MenuItem* out) {
  MenuItem item;
  item.flags = flags & (kStateBits | MF_SEPARATOR | MF_POPUP);
  if (flags & MF_POPUP) {
    HMENU sub = reinterpret_cast<HMENU>(idNewItem);
    Menu* m = FindMenu(sub);
    if (!m || Contains(sub, owner, 0)) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return false;
    }
    m->isPopup = true;
    item.popup = sub;
    item.id = static_cast<UINT>(platform::FromHandle(sub));
  } else {
    item.id = static_cast<UINT>(idNewItem);
  }
  if (!(flags & MF_SEPARATOR) && text && !(flags & (MF_BITMAP | MF_OWNERDRAW))) item.text = text;
  *out = std::move(item);
  return true;
}

}  // namespace

MenuItemRef LocateItem(HMENU menu, UINT item, UINT flags, int depth) {
  Menu* m = FindMenu(menu);
  if (!m) return {};
  if (flags & MF_BYPOSITION) {
    if (item >= m->items.size()) return {};
    return {m, static_cast<size_t>(item)};
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& it = m->items[i];
    if (!it.popup && !(it.flags & MF_SEPARATOR) && it.id == item) return {m, i};
  }
  if (depth >= kMaxDepth) return {};
  for (size_t i = 0; i < m->items.size(); ++i) {
    if (!m->items[i].popup) continue;
    MenuItemRef found = LocateItem(m->items[i].popup, item, flags, depth + 1);
    if (found) return found;
  }
  // A pop-up item can be named by its menu handle, as the system allows.
  for (size_t i = 0; i < m->items.size(); ++i)
    if (m->items[i].popup && m->items[i].id == item) return {m, i};
  return {};
}

}  // namespace platform::ui

using namespace platform::ui;

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
  WORD id = 0;
  if (!ResourceOrdinal(name, &id)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto set = ResourcesFor(instance);
  auto it = set->menus.find(id);
  if (it == set->menus.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return Build(it->second.items, false);
}

BOOL DestroyMenu(HMENU menu) {
  if (!FindMenu(menu)) return FALSE;
  DestroyTree(menu, 0);
  return TRUE;
}

BOOL IsMenu(HMENU menu) {
  UiObject* o = UiObjects().Peek(platform::FromHandle(menu));
  return o && o->kind == UiKind::Menu;
}

HMENU GetSubMenu(HMENU menu, int position) {
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
  return m->items[position].popup;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
  Menu* m = FindMenu(menu);
  if (!m) return FALSE;
  MenuItem item;
  if (!MakeItem(flags, idNewItem, newItem, menu, &item)) return FALSE;
  m->items.push_back(std::move(item));
  return TRUE;
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
  Menu* m = FindMenu(menu);
  if (!m) return FALSE;
  Menu* target = m;
  size_t index = m->items.size();
  if (flags & MF_BYPOSITION) {
    if (position < m->items.size()) index = position;  // -1 or past the end appends
  } else {
    MenuItemRef ref = LocateItem(menu, position, MF_BYCOMMAND);
    if (!ref) {
      SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
      return FALSE;
    }
    target = ref.menu;
    index = ref.index;
  }
  MenuItem item;
  if (!MakeItem(flags, idNewItem, newItem, menu, &item)) return FALSE;
  target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  MenuItemRef ref = LocateItem(menu, position, flags);
  if (!ref) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  ref.menu->items.erase(ref.menu->items.begin() + static_cast<std::ptrdiff_t>(ref.index));
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  MenuItemRef ref = LocateItem(menu, position, flags);
  if (!ref) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  HMENU popup = ref.item().popup;
  ref.menu->items.erase(ref.menu->items.begin() + static_cast<std::ptrdiff_t>(ref.index));
  if (popup) DestroyTree(popup, 0);
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT idCheckItem, UINT check) {
  MenuItemRef ref = LocateItem(menu, idCheckItem, check);
  if (!ref) return static_cast<DWORD>(-1);
  MenuItem& it = ref.item();
  DWORD previous = it.flags & MF_CHECKED;
  it.flags = (it.flags & ~MF_CHECKED) | (check & MF_CHECKED);
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT idEnableItem, UINT enable) {
  MenuItemRef ref = LocateItem(menu, idEnableItem, enable);
  if (!ref) return -1;
  MenuItem& it = ref.item();
  BOOL previous = static_cast<BOOL>(it.flags & (MF_GRAYED | MF_DISABLED));
  it.flags = (it.flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
  MenuItemRef ref = LocateItem(menu, id, flags);
  if (!ref) return static_cast<UINT>(-1);
  const MenuItem& it = ref.item();
  UINT state = it.flags & (kStateBits | MF_SEPARATOR | MF_POPUP);
  if (it.popup) {
    Menu* sub = FindMenu(it.popup);
    UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
    state = (count << 8) | (state & 0xFF);
  }
  return state;
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = FindMenu(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return static_cast<UINT>(-1);
  const MenuItem& it = m->items[position];
  if (it.popup) return static_cast<UINT>(-1);
  return it.id;
}

int GetMenuStringW(HMENU menu, UINT idItem, LPWSTR text, int cchMax, UINT flags) {
  MenuItemRef ref = LocateItem(menu, idItem, flags);
  if (!ref) return 0;
  const std::u16string& s = ref.item().text;
  if (!text || cchMax <= 0) return static_cast<int>(s.size());
  int n = std::min<int>(static_cast<int>(s.size()), cchMax - 1);
  std::copy_n(s.data(), n, text);
  text[n] = 0;
  return n;
}
