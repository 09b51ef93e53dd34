// TrackPopupMenu: a white box of rows with check marks and separator lines, run in its own
// modal loop. The popup holds the capture, so a tap anywhere outside it cancels.
#include <algorithm>

#include "platform/ui/menu_access.h"
#include "platform/ui/modal.h"
#include "platform/ui/ui_state.h"

namespace platform::ui {
namespace {

constexpr LPCWSTR kClassName = u"PopupMenu";

struct Row {
  MenuItemInfo info;
  RECT rect{};  // client coordinates
  bool choosable() const { return !info.separator && !info.grayed && !info.popup; }
};

struct Tracker {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  std::vector<Row> rows;
  int hot = -1;
  bool pressedInside = false;
  bool pressedOutside = false;
  bool done = false;
  UINT chosen = 0;
};

Tracker* g_tracker = nullptr;  // one menu at a time, as on the system

void Finish(Tracker* t, UINT id) {
  if (t->done) return;
  t->done = true;
  t->chosen = id;
  if (t->hwnd) PostMessageW(t->hwnd, WM_NULL, 0, 0);
}

// Rows from the menu as it is after WM_INITMENUPOPUP; returns the popup's size.
SIZE BuildRows(Tracker* t, Menu* menu) {
  const int rowH = Px(24), sepH = Px(8), checkW = Px(22), rightPad = Px(18);
  HDC dc = GetDC(nullptr);
  UiFont font(12);
  HGDIOBJ old = SelectObject(dc, font.get());
  int width = Px(100), y = Px(2);
  for (const MenuItem& it : menu->items) {
    Row row;
    row.info.text = it.text;
    row.info.id = it.popup ? 0 : it.id;
    row.info.checked = (it.flags & MF_CHECKED) != 0;
    row.info.separator = (it.flags & MF_SEPARATOR) != 0;
    row.info.grayed = (it.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    row.info.popup = it.popup != nullptr;
    int h = row.info.separator ? sepH : rowH;
    row.rect = RECT{0, y, 0, y + h};
    y += h;
    if (!row.info.separator) {
      SIZE sz{};
      GetTextExtentPoint32W(dc, it.text.c_str(), static_cast<int>(it.text.size()), &sz);
      width = std::max<int>(width, checkW + sz.cx + rightPad);
    }
    t->rows.push_back(std::move(row));
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  width = std::min(width, GetSystemMetrics(SM_CXSCREEN));
  for (Row& r : t->rows) r.rect.right = width;
  return SIZE{width, y + Px(2)};
}

void Paint(Tracker* t, HDC dc) {
  RECT client{};
  GetClientRect(t->hwnd, &client);
  FillSolid(dc, client, RGB(0xFF, 0xFF, 0xFF));
  FrameSolid(dc, client, RGB(0x60, 0x60, 0x60), std::max(1, Px(1)));
  UiFont font(12);
  HGDIOBJ old = SelectObject(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  const int line = std::max(1, Px(1));
  for (size_t i = 0; i < t->rows.size(); ++i) {
    const Row& row = t->rows[i];
    RECT r = row.rect;
    if (row.info.separator) {
      int mid = (r.top + r.bottom) / 2;
      FillSolid(dc, RECT{r.left + Px(4), mid, r.right - Px(4), mid + line}, RGB(0xA0, 0xA0, 0xA0));
      continue;
    }
    bool hot = static_cast<int>(i) == t->hot;
    if (hot) FillSolid(dc, RECT{r.left + line, r.top, r.right - line, r.bottom}, RGB(0x1F, 0x4E, 0x8C));
    COLORREF ink = row.info.grayed ? RGB(0x90, 0x90, 0x90) : hot ? RGB(0xFF, 0xFF, 0xFF) : RGB(0, 0, 0);
    if (row.info.checked) {
      // A tick drawn with two strokes, so it is a mark and not a text run.
      HPEN pen = CreatePen(PS_SOLID, std::max(1, Px(2)), ink);
      HGDIOBJ oldPen = SelectObject(dc, pen);
      int x = r.left + Px(6), cy = (r.top + r.bottom) / 2;
      MoveToEx(dc, x, cy, nullptr);
      LineTo(dc, x + Px(4), cy + Px(4));
      LineTo(dc, x + Px(11), cy - Px(5));
      SelectObject(dc, oldPen);
      DeleteObject(pen);
    }
    if (row.info.popup) {
      int x = r.right - Px(10), cy = (r.top + r.bottom) / 2;
      for (int k = 0; k < Px(4); ++k) FillSolid(dc, RECT{x + k, cy - Px(4) + k, x + k + 1, cy + Px(4) - k}, ink);
    }
    SetTextColor(dc, ink);
    RECT text{r.left + Px(22), r.top, r.right - Px(18), r.bottom};
    DrawTextW(dc, row.info.text.c_str(), static_cast<int>(row.info.text.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  SelectObject(dc, old);
}

int RowAt(Tracker* t, int x, int y) {
  for (size_t i = 0; i < t->rows.size(); ++i)
    if (PointIn(t->rows[i].rect, x, y)) return static_cast<int>(i);
  return -1;
}

void SetHot(Tracker* t, int index) {
  if (index >= 0 && !t->rows[index].choosable()) index = -1;
  if (index == t->hot) return;
  t->hot = index;
  InvalidateRect(t->hwnd, nullptr, FALSE);
}

void MoveHot(Tracker* t, int step) {
  int n = static_cast<int>(t->rows.size());
  int i = t->hot;
  for (int k = 0; k < n; ++k) {
    i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
    if (t->rows[i].choosable()) {
      SetHot(t, i);
      return;
    }
  }
}

LRESULT CALLBACK MenuProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* t = reinterpret_cast<Tracker*>(GetWindowLongW(hwnd, GWL_USERDATA));
  if (msg == WM_CREATE) {
    t = static_cast<Tracker*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    t->hwnd = hwnd;
    SetWindowLongW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(t));
    return 0;
  }
  if (!t) return DefWindowProcW(hwnd, msg, wParam, lParam);
  int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  RECT client{};
  GetClientRect(hwnd, &client);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(t, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      if (!PointIn(client, x, y)) {
        // Cancelled when the finger lifts, so the lift does not land on the window below.
        t->pressedOutside = true;
        SetHot(t, -1);
        return 0;
      }
      t->pressedInside = true;
      SetHot(t, RowAt(t, x, y));
      return 0;
    case WM_MOUSEMOVE:
      if (t->pressedInside) SetHot(t, PointIn(client, x, y) ? RowAt(t, x, y) : -1);
      return 0;
    case WM_LBUTTONUP: {
      if (t->pressedOutside) {
        t->pressedOutside = false;
        Finish(t, 0);
        return 0;
      }
      if (!t->pressedInside) return 0;
      t->pressedInside = false;
      int row = PointIn(client, x, y) ? RowAt(t, x, y) : -1;
      // Separators, grayed items and pop-up items keep the menu open.
      if (row >= 0 && t->rows[row].choosable()) Finish(t, t->rows[row].info.id);
      return 0;
    }
    // Keys come to the menu while it runs (the owner keeps the focus, input goes to the menu).
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP: MoveHot(t, -1); break;
        case VK_DOWN: MoveHot(t, 1); break;
        case VK_RETURN:
          if (t->hot >= 0) Finish(t, t->rows[t->hot].info.id);
          break;
        case VK_ESCAPE:
        case VK_LEFT:
          Finish(t, 0);
          break;
      }
      return 0;
    case WM_KEYUP:
    case WM_CHAR:
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) Finish(t, 0);
      return 0;
    case WM_DESTROY:
      Finish(t, 0);
      t->hwnd = nullptr;
      SetWindowLongW(hwnd, GWL_USERDATA, 0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterMenuClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = MenuProc;
  wc.lpszClassName = kClassName;
  registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

std::optional<std::vector<MenuItemInfo>> CurrentMenu() {
  if (!g_tracker || g_tracker->done || !g_tracker->hwnd) return std::nullopt;
  std::vector<MenuItemInfo> items;
  for (const Row& r : g_tracker->rows) {
    MenuItemInfo info = r.info;
    info.rect = ToScreen(g_tracker->hwnd, r.rect);
    items.push_back(std::move(info));
  }
  return items;
}

bool ChooseMenuItem(UINT id) {
  if (!g_tracker || g_tracker->done) return false;
  for (const Row& r : g_tracker->rows)
    if (r.choosable() && r.info.id == id) {
      Finish(g_tracker, id);
      return true;
    }
  return false;
}

bool CancelMenu() {
  if (!g_tracker || g_tracker->done) return false;
  Finish(g_tracker, 0);
  return true;
}

}  // namespace platform::ui

using namespace platform::ui;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
  if (!FindMenu(menu)) return FALSE;
  if (!owner || !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (g_tracker) return FALSE;  // a menu is already up
  if (!(flags & TPM_NONOTIFY)) SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
  Menu* m = FindMenu(menu);  // the owner may have changed or destroyed it
  if (!m || m->items.empty() || !IsWindow(owner)) return FALSE;

  Tracker tracker;
  tracker.owner = owner;
  SIZE size = BuildRows(&tracker, m);
  if (flags & TPM_CENTERALIGN)
    x -= size.cx / 2;
  else if (flags & TPM_RIGHTALIGN)
    x -= size.cx;
  if (flags & TPM_VCENTERALIGN)
    y -= size.cy / 2;
  else if (flags & TPM_BOTTOMALIGN)
    y -= size.cy;
  // Kept on the screen whole.
  x = std::clamp<int>(x, 0, std::max<int>(0, GetSystemMetrics(SM_CXSCREEN) - size.cx));
  y = std::clamp<int>(y, 0, std::max<int>(0, GetSystemMetrics(SM_CYSCREEN) - size.cy));

  RegisterMenuClass();
  HWND root = GetAncestor(owner, GA_ROOT);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, u"", WS_POPUP, x, y, size.cx, size.cy,
                              root ? root : owner, nullptr, nullptr, &tracker);
  if (!hwnd) return FALSE;
  g_tracker = &tracker;
  ShowWindow(hwnd, SW_SHOWNA);
  UpdateWindow(hwnd);
  SetCapture(hwnd);

  RunModalLoop(hwnd, [&] { return tracker.done; });

  g_tracker = nullptr;
  if (GetCapture() == hwnd) ReleaseCapture();
  if (tracker.hwnd) DestroyWindow(hwnd);
  if (!tracker.chosen) return FALSE;
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(tracker.chosen);
  if (IsWindow(owner)) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(tracker.chosen, 0), 0);
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}
