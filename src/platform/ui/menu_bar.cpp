// The shell's menu bar: a strip at the bottom of the screen with a left and a right button.
// A plain button sends its command to the parent; a drop-down button opens a pop-up of the
// bar's menu above itself.
#include <algorithm>
#include <memory>

#include "aygshell.h"
#include "platform/ui/modal.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_objects.h"

namespace platform::ui {
namespace {

constexpr LPCWSTR kClassName = u"menu_worker";  // the shell's own class name for it

struct BarButton {
  UINT command = 0;
  int popupIndex = -1;
  std::u16string label;
  RECT rect{};
};

struct MenuBarState {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  HMENU menu = nullptr;  // owned
  std::vector<BarButton> buttons;
  int pressed = -1;
};

MenuBarState* StateOf(HWND hwnd) { return reinterpret_cast<MenuBarState*>(GetWindowLongW(hwnd, GWL_USERDATA)); }

void LayOut(MenuBarState* s, int width, int height) {
  // Two buttons share the bar half and half, as on the phone; more share it evenly.
  int n = static_cast<int>(s->buttons.size());
  if (n == 0) return;
  int slots = std::max(2, n);
  for (int i = 0; i < n; ++i) {
    int slot = n == 1 ? 1 : i;  // a lone button sits on the right, where the menu lives
    s->buttons[i].rect = RECT{width * slot / slots, 0, width * (slot + 1) / slots, height};
  }
}

void Paint(MenuBarState* s, HDC dc) {
  RECT client{};
  GetClientRect(s->hwnd, &client);
  FillSolid(dc, client, RGB(0x30, 0x30, 0x30));
  FillSolid(dc, RECT{0, 0, client.right, std::max(1, Px(1))}, RGB(0x80, 0x80, 0x80));
  UiFont font(12, true);
  HGDIOBJ old = SelectObject(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < s->buttons.size(); ++i) {
    const BarButton& b = s->buttons[i];
    RECT r = b.rect;
    if (static_cast<int>(i) == s->pressed) FillSolid(dc, RECT{r.left, r.top + Px(1), r.right, r.bottom}, RGB(0x1F, 0x4E, 0x8C));
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    if (!b.label.empty())
      DrawTextW(dc, b.label.c_str(), static_cast<int>(b.label.size()), &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    if (b.popupIndex >= 0) {
      // A small upward triangle marks the drop-down.
      int x = r.right - Px(14), y = (r.top + r.bottom) / 2 + Px(2);
      for (int k = 0; k < Px(4); ++k) FillSolid(dc, RECT{x - k, y - k, x + k + 1, y - k + 1}, RGB(0xFF, 0xFF, 0xFF));
    }
  }
  SelectObject(dc, old);
}

void Press(MenuBarState* s, int index) {
  const BarButton& b = s->buttons[index];
  HMENU popup = b.popupIndex >= 0 ? GetSubMenu(s->menu, b.popupIndex) : nullptr;
  if (!popup) {
    PostMessageW(s->parent, WM_COMMAND, MAKEWPARAM(b.command, 0), 0);
    return;
  }
  RECT screen = ToScreen(s->hwnd, b.rect);
  bool rightHalf = b.rect.left > 0;
  TrackPopupMenuEx(popup, TPM_BOTTOMALIGN | (rightHalf ? TPM_RIGHTALIGN : TPM_LEFTALIGN),
                   rightHalf ? screen.right : screen.left, screen.top, s->parent, nullptr);
}

LRESULT CALLBACK MenuBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MenuBarState* s = StateOf(hwnd);
  if (msg == WM_CREATE) {
    s = static_cast<MenuBarState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    s->hwnd = hwnd;
    SetWindowLongW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(s));
    RECT client{};
    GetClientRect(hwnd, &client);
    LayOut(s, client.right, client.bottom);
    return 0;
  }
  if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_SIZE:
      LayOut(s, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(s, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      for (size_t i = 0; i < s->buttons.size(); ++i)
        if (PointIn(s->buttons[i].rect, x, y)) {
          s->pressed = static_cast<int>(i);
          SetCapture(hwnd);
          InvalidateRect(hwnd, nullptr, FALSE);
        }
      return 0;
    }
    case WM_LBUTTONUP: {
      int pressed = s->pressed;
      s->pressed = -1;
      if (GetCapture() == hwnd) ReleaseCapture();
      if (pressed < 0) return 0;
      InvalidateRect(hwnd, nullptr, FALSE);
      if (PointIn(s->buttons[pressed].rect, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) Press(s, pressed);
      return 0;
    }
    case WM_NCDESTROY:
      if (s->menu) DestroyMenu(s->menu);
      SetWindowLongW(hwnd, GWL_USERDATA, 0);
      delete s;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterBarClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSW wc{};
  wc.lpfnWndProc = MenuBarProc;
  wc.lpszClassName = kClassName;
  registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

std::u16string LabelFor(HINSTANCE instance, UINT stringId, HMENU menu, int popupIndex) {
  if (stringId) {
    WCHAR buffer[64];
    if (LoadStringW(instance, stringId, buffer, 64) > 0) return buffer;
  }
  if (popupIndex >= 0 && menu) {
    WCHAR buffer[64];
    if (GetMenuStringW(menu, static_cast<UINT>(popupIndex), buffer, 64, MF_BYPOSITION) > 0) return buffer;
  }
  return u"";
}

}  // namespace
}  // namespace platform::ui

using namespace platform::ui;

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
  if (!info || info->cbSize < sizeof(SHMENUBARINFO) || !IsWindow(info->hwndParent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto s = std::make_unique<MenuBarState>();
  s->parent = info->hwndParent;
  HINSTANCE instance = info->hInstRes;
  if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
    auto set = ResourcesFor(instance);
    if (info->dwFlags & SHCMBF_HMENU) {
      // The id names a menu resource: each of its top-level items becomes a button.
      s->menu = LoadMenuW(instance, MAKEINTRESOURCEW(info->nToolBarId));
      if (!s->menu) return FALSE;
      for (int i = 0; i < GetMenuItemCount(s->menu); ++i) {
        BarButton b;
        b.popupIndex = GetSubMenu(s->menu, i) ? i : -1;
        b.command = GetMenuItemID(s->menu, i);
        b.label = LabelFor(instance, 0, s->menu, i);
        s->buttons.push_back(std::move(b));
      }
    } else {
      auto it = set->menuBars.find(static_cast<WORD>(info->nToolBarId));
      if (info->nToolBarId > 0xFFFF || it == set->menuBars.end()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
      }
      if (it->second.menuId) s->menu = LoadMenuW(instance, MAKEINTRESOURCEW(it->second.menuId));
      for (const MenuBarButton& t : it->second.buttons) {
        BarButton b;
        b.command = t.command;
        b.popupIndex = t.popupIndex;
        b.label = LabelFor(instance, t.stringId, s->menu, t.popupIndex);
        s->buttons.push_back(std::move(b));
      }
    }
  }
  if (!RegisterBarClass()) {
    if (s->menu) DestroyMenu(s->menu);
    return FALSE;
  }
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const int height = Px(26);
  MenuBarState* state = s.get();
  // A tool of its window, as the phone's bar is: showing or tapping it never takes the activation
  // away, so dialogs opened on the active window belong to the window and hand it back.
  HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE, kClassName, u"", WS_POPUP, 0, screenH - height, screenW, height,
                              info->hwndParent, nullptr, instance, state);
  if (!hwnd) {
    if (s->menu) DestroyMenu(s->menu);
    return FALSE;
  }
  s.release();  // the window owns it now
  if (!(info->dwFlags & SHCMBF_HIDDEN)) ShowWindow(hwnd, SW_SHOWNA);
  info->hwndMB = hwnd;
  return TRUE;
}
