#include "platform/wm/window.h"

#include <algorithm>

#include "platform/gdi/window_dc.h"

namespace platform::wm {
namespace {

HandleTable<Window>& Table() {
  static HandleTable<Window> table(kTagWindow);
  return table;
}

uint32_t TableValue(HWND hwnd) {
  uint32_t v = FromHandle(hwnd);
  if (v & 1) return 0;
  return v >> 1;
}

std::shared_ptr<Window> g_desktop;

}  // namespace

HWND ToHwnd(uint32_t tableValue) { return ToHandle<HWND>(tableValue << 1); }

Window* Find(HWND hwnd) {
  uint32_t v = TableValue(hwnd);
  return v ? Table().Peek(v) : nullptr;
}

Window* Check(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

std::shared_ptr<Window> Hold(HWND hwnd) {
  uint32_t v = TableValue(hwnd);
  return v ? Table().Get(v) : nullptr;
}

HWND AddWindow(std::shared_ptr<Window> w) {
  Window* raw = w.get();
  uint32_t v = Table().Add(std::move(w));
  if (!v) return nullptr;
  raw->self = ToHwnd(v);
  return raw->self;
}

void RemoveWindow(HWND hwnd) { Table().Remove(TableValue(hwnd)); }

void ForEachWindow(const std::function<void(HWND, Window&)>& f) {
  Table().ForEach([&](uint32_t v, const std::shared_ptr<Window>& w) { f(ToHwnd(v), *w); });
}

Window* Desktop() {
  if (!g_desktop) {
    auto d = std::make_shared<Window>();
    auto cls = std::make_shared<WindowClass>();
    cls->name = u"#32769";
    d->cls = cls;
    d->proc = DefWindowProcW;
    d->style = WS_VISIBLE | WS_CLIPCHILDREN;
    AddWindow(d);
    g_desktop = d;
  }
  int w = gdi::ScreenWidth(), h = gdi::ScreenHeight();
  if (w <= 0 || h <= 0) w = 480, h = 800;
  g_desktop->rect = RECT{0, 0, w, h};
  return g_desktop.get();
}

HWND DesktopHandle() { return Desktop()->self; }

bool IsTopLevel(const Window& w) { return w.parent == DesktopHandle(); }

bool IsVisibleChain(HWND hwnd) {
  for (Window* w = Find(hwnd); w; w = Find(w->parent)) {
    if (!(w->style & WS_VISIBLE)) return false;
  }
  return Find(hwnd) != nullptr;
}

bool IsDescendant(HWND ancestor, HWND hwnd) {
  for (Window* w = Find(hwnd); w; w = Find(w->parent))
    if (w->self == ancestor) return true;
  return false;
}

HWND TopLevelOf(HWND hwnd) {
  HWND desktop = DesktopHandle();
  Window* w = Find(hwnd);
  if (!w || hwnd == desktop) return nullptr;
  while (w->parent != desktop) {
    Window* p = Find(w->parent);
    if (!p) return nullptr;
    w = p;
  }
  return w->self;
}

POINT ClientOrigin(HWND hwnd) {
  POINT p{0, 0};
  for (Window* w = Find(hwnd); w; w = Find(w->parent)) {
    p.x += w->rect.left;
    p.y += w->rect.top;
  }
  return p;
}

RECT ScreenRect(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return RECT{0, 0, 0, 0};
  POINT o = ClientOrigin(hwnd);
  return RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
}

Rects VisibleRegion(HWND hwnd) {
  Rects region;
  if (!IsVisibleChain(hwnd)) return region;
  Window* w = Find(hwnd);
  region.push_back(ScreenRect(hwnd));
  // Clipped by every ancestor's client area, and at each level by the siblings in front of it
  // when they clip each other (top-level windows always do).
  for (Window* node = w; node && node->self != DesktopHandle(); node = Find(node->parent)) {
    Window* parent = Find(node->parent);
    if (!parent) break;
    IntersectRect(region, ScreenRect(parent->self));
    if ((node->style & WS_CLIPSIBLINGS) || parent->self == DesktopHandle()) {
      for (HWND s : parent->children) {
        if (s == node->self) break;
        Window* sib = Find(s);
        if (sib && (sib->style & WS_VISIBLE)) SubtractRect(region, ScreenRect(s));
      }
    }
  }
  if (w->style & WS_CLIPCHILDREN) {
    for (HWND c : w->children) {
      Window* child = Find(c);
      if (child && (child->style & WS_VISIBLE)) SubtractRect(region, ScreenRect(c));
    }
  }
  return region;
}

namespace {
void InvalidateTree(HWND hwnd, const RECT& area) {
  Window* w = Find(hwnd);
  if (!w || !(w->style & WS_VISIBLE)) return;
  if (hwnd != DesktopHandle()) {
    Rects vis = VisibleRegion(hwnd);
    IntersectRect(vis, area);
    if (!vis.empty()) {
      POINT o = ClientOrigin(hwnd);
      for (const RECT& r : vis) {
        RECT local = Offset(r, -o.x, -o.y);
        AddUpdate(hwnd, &local, true, false);
      }
    }
  }
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) InvalidateTree(c, area);
}
}  // namespace

void InvalidateScreenArea(const RECT& area) {
  if (RectEmpty(area)) return;
  InvalidateTree(DesktopHandle(), area);
}

void UnlinkFromParent(Window& w) {
  Window* p = Find(w.parent);
  if (!p) return;
  auto it = std::find(p->children.begin(), p->children.end(), w.self);
  if (it != p->children.end()) p->children.erase(it);
}

void LinkToParent(Window& w, HWND after) {
  Window* p = Find(w.parent);
  if (!p) return;
  auto& kids = p->children;
  if (after == HWND_TOPMOST || (after == HWND_TOP && (w.exStyle & WS_EX_TOPMOST))) {
    kids.insert(kids.begin(), w.self);
    return;
  }
  if (after == HWND_TOP || after == HWND_NOTOPMOST) {
    // Topmost windows (the input panel, message boxes) stay in front of the others.
    auto it = kids.begin();
    while (it != kids.end()) {
      Window* k = Find(*it);
      if (!k || !(k->exStyle & WS_EX_TOPMOST)) break;
      ++it;
    }
    kids.insert(it, w.self);
    return;
  }
  if (after == HWND_BOTTOM) {
    kids.push_back(w.self);
    return;
  }
  auto it = std::find(kids.begin(), kids.end(), after);
  if (it == kids.end()) kids.insert(kids.begin(), w.self);
  else kids.insert(it + 1, w.self);
}

}  // namespace platform::wm
