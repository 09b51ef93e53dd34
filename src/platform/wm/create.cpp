// Creating and destroying windows, with the messages the system sends on the way.
#include "platform/wm/queue.h"

namespace platform::wm {
namespace {

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void MarkDestroying(Window& w) {
  w.destroying = true;
  for (HWND c : w.children)
    if (Window* child = Find(c)) MarkDestroying(*child);
}

bool InDestroyingTree(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && w->destroying;
}

// WM_DESTROY goes to the parent first, then to its children.
void SendDestroy(HWND hwnd) {
  CallProc(hwnd, WM_DESTROY, 0, 0);
  Window* w = Find(hwnd);
  if (!w) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) SendDestroy(c);
}

// WM_NCDESTROY goes to the children first; then the window is gone.
void Release(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) Release(c);
  CallProc(hwnd, WM_NCDESTROY, 0, 0);
  w = Find(hwnd);
  if (!w) return;
  KillTimersFor(hwnd);
  DropPostedFor(hwnd);
  ForgetWindow(hwnd);
  UnlinkFromParent(*w);
  w->cls->windows--;
  RemoveWindow(hwnd);
}

}  // namespace
}  // namespace platform::wm

using namespace platform::wm;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  EnsureUiThread();
  auto cls = FindClass(className);
  if (!cls) {
    SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
    return nullptr;
  }
  bool child = (style & WS_CHILD) != 0;
  if (child && !parent) {
    SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
    return nullptr;
  }
  if (parent && !Check(parent)) return nullptr;

  auto w = std::make_shared<Window>();
  w->cls = cls;
  w->proc = cls->wc.lpfnWndProc;
  w->style = style & ~WS_VISIBLE;  // shown at the end, with its messages
  w->exStyle = exStyle;
  w->instance = instance;
  if (child) {
    w->parent = parent;
    w->id = static_cast<LONG_PTR>(reinterpret_cast<intptr_t>(menu));
  } else {
    w->parent = DesktopHandle();
    w->owner = parent ? TopLevelOf(parent) : nullptr;
  }
  if (!child && (x == CW_USEDEFAULT || width == CW_USEDEFAULT)) {
    RECT work = WorkArea();
    if (x == CW_USEDEFAULT) x = work.left, y = work.top;
    if (width == CW_USEDEFAULT) width = work.right - work.left, height = work.bottom - work.top;
  }
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = height = 0;
  width = std::max(width, 0);
  height = std::max(height, 0);
  w->rect = RECT{x, y, x + width, y + height};

  Window* raw = w.get();
  HWND hwnd = AddWindow(w);
  if (!hwnd) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  cls->windows++;
  // Children are added at the bottom, so the first created is first in z-order (tab order);
  // a new top-level window comes to the front.
  LinkToParent(*raw, child ? HWND_BOTTOM : HWND_TOP);

  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  if (!CallProc(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!Find(hwnd)) return nullptr;
  if (CallProc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!Find(hwnd)) return nullptr;
  CallProc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
  CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
  if (!Find(hwnd)) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return Find(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Check(hwnd);
  if (!w || hwnd == DesktopHandle()) return FALSE;
  if (w->destroying) return TRUE;
  auto keep = Hold(hwnd);

  // Owned windows (dialogs, message boxes) go first.
  std::vector<HWND> owned;
  ForEachWindow([&](HWND h, Window& o) {
    if (o.owner == hwnd && !o.destroying) owned.push_back(h);
  });
  for (HWND h : owned) DestroyWindow(h);
  w = Find(hwnd);
  if (!w || w->destroying) return TRUE;

  // Focus, activation and capture leave while the windows can still hear about it.
  bool top = IsTopLevel(*w);
  HWND parent = w->parent;
  HWND focus = GetFocus();
  if (focus && IsDescendant(hwnd, focus)) SetFocus(top || InDestroyingTree(parent) ? nullptr : parent);
  if (GetActiveWindow() == hwnd) ActivateNextAfter(hwnd);
  HWND capture = GetCapture();
  if (capture && IsDescendant(hwnd, capture)) ReleaseCapture();
  w = Find(hwnd);
  if (!w || w->destroying) return TRUE;

  bool wasVisible = IsVisibleChain(hwnd);
  RECT area = ScreenRect(hwnd);
  MarkDestroying(*w);
  w->style &= ~WS_VISIBLE;
  if (wasVisible) InvalidateScreenArea(area);

  SendDestroy(hwnd);
  Release(hwnd);
  return TRUE;
}
