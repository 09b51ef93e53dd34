// Showing, hiding, enabling, moving and sizing windows; coordinates between windows.
#include "platform/wm/queue.h"
#include "platform/wm/remote.h"

namespace platform::wm {
namespace {

void InvalidateSubtree(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w || !(w->style & WS_VISIBLE)) return;
  AddUpdate(hwnd, nullptr, true, false);
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) InvalidateSubtree(c);
}

// The focus cannot stay in a window the user no longer sees.
void MoveFocusOutOf(HWND hwnd, bool top) {
  HWND focus = GetFocus();
  if (!focus || !IsDescendant(hwnd, focus)) return;
  Window* w = Find(hwnd);
  SetFocus(top || !w ? nullptr : w->parent);
}

}  // namespace
}  // namespace platform::wm

using namespace platform::wm;

BOOL IsWindowVisible(HWND hwnd) { return Find(hwnd) && IsVisibleChain(hwnd); }

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Check(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if ((enable != FALSE) == !wasDisabled) return wasDisabled;
  if (!enable) {
    CallProc(hwnd, WM_CANCELMODE, 0, 0);
    if (GetFocus() == hwnd) SetFocus(nullptr);
    if (GetCapture() == hwnd) ReleaseCapture();
  }
  if ((w = Find(hwnd)) == nullptr) return wasDisabled;
  if (enable) w->style &= ~WS_DISABLED;
  else w->style |= WS_DISABLED;
  CallProc(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL ShowWindow(HWND hwnd, int command) {
  Window* w = Find(hwnd);
  if (!w) {
    RemoteWindows* remote = GetRemoteWindows();
    if (hwnd && remote && remote->IsRemote(hwnd)) return remote->Show(hwnd, command);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  bool show = command != SW_HIDE;
  bool top = IsTopLevel(*w);
  bool activate = show && top && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                  command != SW_SHOWMINNOACTIVE && !(w->exStyle & WS_EX_NOACTIVATE) &&
                  !(w->style & WS_DISABLED);
  if (show != wasVisible) {
    CallProc(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if ((w = Find(hwnd)) == nullptr) return wasVisible;
    if (show) {
      w->style |= WS_VISIBLE;
      if (IsVisibleChain(hwnd)) InvalidateSubtree(hwnd);
    } else {
      bool seen = IsVisibleChain(hwnd);
      RECT area = ScreenRect(hwnd);
      w->style &= ~WS_VISIBLE;
      if (seen) InvalidateScreenArea(area);
      MoveFocusOutOf(hwnd, top);
      if (top && GetActiveWindow() == hwnd) ActivateNextAfter(hwnd);
    }
  }
  if (activate && Find(hwnd)) SetActiveWindow(hwnd);
  return wasVisible ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Check(hwnd);
  if (!w || hwnd == DesktopHandle()) return FALSE;
  RECT old = w->rect;
  RECT oldScreen = ScreenRect(hwnd);
  bool seen = IsVisibleChain(hwnd);
  RECT r = old;
  if (!(flags & SWP_NOMOVE)) r = RECT{x, y, x + (old.right - old.left), y + (old.bottom - old.top)};
  if (!(flags & SWP_NOSIZE)) r.right = r.left + std::max(cx, 0), r.bottom = r.top + std::max(cy, 0);
  bool moved = r.left != old.left || r.top != old.top;
  bool sized = (r.right - r.left) != (old.right - old.left) || (r.bottom - r.top) != (old.bottom - old.top);
  bool restacked = false;
  if (!(flags & SWP_NOZORDER) && insertAfter != hwnd) {
    Window* p = Find(w->parent);
    std::vector<HWND> before = p ? p->children : std::vector<HWND>{};
    UnlinkFromParent(*w);
    LinkToParent(*w, insertAfter);
    restacked = p && before != p->children;
  }
  w->rect = r;
  if (seen && !(flags & SWP_NOREDRAW) && (moved || sized || restacked)) {
    InvalidateScreenArea(oldScreen);  // what it uncovered
    InvalidateSubtree(hwnd);
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (moved && Find(hwnd)) CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(r.left, r.top));
  if (sized && Find(hwnd)) CallProc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right - r.left, r.bottom - r.top));
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Window* w = Check(hwnd);
  if (!w || !rect) return FALSE;
  if (hwnd == DesktopHandle()) Desktop();
  *rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (!Check(hwnd) || !rect) return FALSE;
  if (hwnd == DesktopHandle()) Desktop();
  *rect = ScreenRect(hwnd);
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  if (!Check(hwnd) || !point) return FALSE;
  POINT o = ClientOrigin(hwnd);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  if (!Check(hwnd) || !point) return FALSE;
  POINT o = ClientOrigin(hwnd);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from) {
    if (!Check(from)) return 0;
    a = ClientOrigin(from);
  }
  if (to) {
    if (!Check(to)) return 0;
    b = ClientOrigin(to);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(static_cast<SHORT>(dx)), static_cast<WORD>(static_cast<SHORT>(dy)));
}
