// The window manager's own records: classes, windows and the tree they form.
// Everything here is touched on the UI thread only, except handle lookups (IsWindow).
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/handle_table.h"
#include "platform/wm/region.h"
#include "windows.h"

namespace platform::wm {

struct WindowClass {
  ATOM atom = 0;
  std::u16string name;
  WNDCLASSW wc{};
  int windows = 0;  // live windows of this class; a class in use cannot be unregistered
};

struct Window {
  HWND self = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // the desktop for top-level windows
  HWND owner = nullptr;   // top-level windows created with a parent
  std::vector<HWND> children;  // z-order: front first
  RECT rect{};                 // in the parent's client coordinates; no non-client area
  std::u16string text;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::map<int, LONG_PTR> extra;  // window extra bytes, one slot per offset
  Rects update;                   // client coordinates
  bool erase = false;
  bool destroying = false;
  HWND lastFocus = nullptr;  // focus inside this top-level window when it was deactivated
};

// Window handles are table values shifted left once, so bit 0 of a handle is always clear:
// SetForegroundWindow(hwnd | 1) still names the same window.
HWND ToHwnd(uint32_t tableValue);
Window* Find(HWND hwnd);  // nullptr for 0, destroyed or foreign handles
// Like Find but sets ERROR_INVALID_WINDOW_HANDLE when the handle is bad.
Window* Check(HWND hwnd);
std::shared_ptr<Window> Hold(HWND hwnd);
HWND AddWindow(std::shared_ptr<Window> w);
void RemoveWindow(HWND hwnd);
void ForEachWindow(const std::function<void(HWND, Window&)>& f);

Window* Desktop();
HWND DesktopHandle();
bool IsTopLevel(const Window& w);
bool IsVisibleChain(HWND hwnd);  // the window and all its ancestors are visible
bool IsDescendant(HWND ancestor, HWND hwnd);  // hwnd == ancestor counts
HWND TopLevelOf(HWND hwnd);
POINT ClientOrigin(HWND hwnd);  // screen coordinates of the client area's top-left
RECT ScreenRect(HWND hwnd);
// Screen rectangles where drawing on the window's client area is visible.
Rects VisibleRegion(HWND hwnd);
// Marks screen area `area` as needing paint in every window that shows part of it.
void InvalidateScreenArea(const RECT& area);
void UnlinkFromParent(Window& w);
void LinkToParent(Window& w, HWND after);  // after: HWND_TOP, HWND_BOTTOM or a sibling

// Classes (classes.cpp).
std::shared_ptr<WindowClass> FindClass(LPCWSTR name);

// State changed elsewhere that the tree must forget (focus.cpp).
void ForgetWindow(HWND hwnd);
void ActivateNextAfter(HWND leaving);

// The queue forgets posted messages for a destroyed window (queue.cpp), timers too (timers.cpp).
void DropPostedFor(HWND hwnd);
void KillTimersFor(HWND hwnd);

// Paint bookkeeping (paint.cpp).
void AddUpdate(HWND hwnd, const RECT* rect, bool erase, bool children);
void MarkPresented(bool painted);

// Sends a message to a local window procedure on the UI thread (no cross-thread hop).
LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform::wm
