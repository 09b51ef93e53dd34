// Update regions, WM_PAINT and the DCs handed to windows.
#include <map>

#include "platform/gdi/window_dc.h"
#include "platform/wm/queue.h"

namespace platform::wm {
namespace {

std::map<HDC, HWND> g_windowDcs;  // DCs from GetDC, to be given back with ReleaseDC

RECT ClientBox(const Window& w) { return RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top}; }

bool Paintable(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && !w->update.empty() && !w->destroying && IsVisibleChain(hwnd);
}

HWND FirstToPaint(HWND root, HWND filter) {
  Window* w = Find(root);
  if (!w || !(w->style & WS_VISIBLE)) return nullptr;
  if (root != DesktopHandle() && Paintable(root) && MatchesWindow(filter, root)) return root;
  for (HWND c : w->children)
    if (HWND found = FirstToPaint(c, filter)) return found;
  return nullptr;
}

void UpdateTree(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return;
  if (Paintable(hwnd)) CallProc(hwnd, WM_PAINT, 0, 0);
  w = Find(hwnd);
  if (!w) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) UpdateTree(c);
}

void ValidateTree(Window& w, const RECT* rect, bool children) {
  if (rect) {
    SubtractRect(w.update, *rect);
  } else {
    w.update.clear();
  }
  if (w.update.empty()) w.erase = false;
  if (!children) return;
  for (HWND c : w.children) {
    Window* child = Find(c);
    if (!child) continue;
    if (rect) {
      RECT local = Offset(*rect, -child->rect.left, -child->rect.top);
      ValidateTree(*child, &local, true);
    } else {
      ValidateTree(*child, nullptr, true);
    }
  }
}

}  // namespace

void AddUpdate(HWND hwnd, const RECT* rect, bool erase, bool children) {
  Window* w = Find(hwnd);
  if (!w || w->destroying) return;
  RECT area = ClientBox(*w);
  if (rect && !Intersect(*rect, area, &area)) return;
  AddRect(w->update, area);
  if (erase) w->erase = true;
  if (!children) return;
  for (HWND c : w->children) {
    Window* child = Find(c);
    if (!child || !(child->style & WS_VISIBLE)) continue;
    RECT local = Offset(area, -child->rect.left, -child->rect.top);
    AddUpdate(c, &local, erase, true);
  }
}

bool FindPaint(HWND filter, MSG* out) {
  HWND h = FirstToPaint(DesktopHandle(), filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) ? nullptr : filter);
  if (!h || filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return false;
  *out = MSG{h, WM_PAINT, 0, 0, GetTickCount(), {}};
  GetCursorPos(&out->pt);
  return true;
}

}  // namespace platform::wm

using namespace platform::wm;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    InvalidateScreenArea(Desktop()->rect);
    return TRUE;
  }
  Window* w = Check(hwnd);
  if (!w) return FALSE;
  // Children share the parent's pixels unless it clips them out.
  AddUpdate(hwnd, rect, erase != FALSE, !(w->style & WS_CLIPCHILDREN));
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  if (!hwnd) return TRUE;
  Window* w = Check(hwnd);
  if (!w) return FALSE;
  ValidateTree(*w, rect, !(w->style & WS_CLIPCHILDREN));
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  Window* w = Check(hwnd);
  if (!w) return FALSE;
  RECT b = Bounds(w->update);
  if (rect) *rect = b;
  return !w->update.empty();
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (!hwnd) hwnd = DesktopHandle();
  Window* w = Check(hwnd);
  if (!w) return FALSE;
  bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (flags & RDW_INVALIDATE) {
    if (hwnd == DesktopHandle()) InvalidateScreenArea(rect ? *rect : w->rect);
    else AddUpdate(hwnd, rect, (flags & RDW_ERASE) != 0, children);
  }
  if (flags & RDW_VALIDATE) ValidateTree(*w, rect, children);
  if (flags & RDW_UPDATENOW) UpdateTree(hwnd);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  if (!Check(hwnd)) return FALSE;
  UpdateTree(hwnd);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  Window* w = Check(hwnd);
  if (!w || !paint) return nullptr;
  Rects update;
  update.swap(w->update);
  bool erase = w->erase;
  w->erase = false;
  IntersectRect(update, ClientBox(*w));
  POINT origin = ClientOrigin(hwnd);
  Rects clip;
  for (const RECT& r : update) clip.push_back(Offset(r, origin.x, origin.y));
  clip = IntersectRegions(clip, VisibleRegion(hwnd));
  HDC dc = platform::gdi::CreateScreenDC(origin, clip);
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->rcPaint = Bounds(update);
  paint->fErase = FALSE;
  if (erase && dc) paint->fErase = CallProc(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (!paint || !paint->hdc) return FALSE;
  platform::gdi::DeleteScreenDC(paint->hdc);
  MarkPresented(true);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  HDC dc = nullptr;
  if (!hwnd) {
    dc = platform::gdi::CreateScreenDC(POINT{0, 0}, {Desktop()->rect});
  } else {
    if (!Check(hwnd)) return nullptr;
    dc = platform::gdi::CreateScreenDC(ClientOrigin(hwnd), VisibleRegion(hwnd));
  }
  if (dc) g_windowDcs[dc] = hwnd;
  return dc;
}

HDC GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int ReleaseDC(HWND, HDC dc) {
  auto it = g_windowDcs.find(dc);
  if (it == g_windowDcs.end()) return 0;
  g_windowDcs.erase(it);
  platform::gdi::DeleteScreenDC(dc);
  MarkPresented(true);
  return 1;
}
