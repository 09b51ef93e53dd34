// Keyboard focus, activation of top-level windows, mouse capture.
#include "platform/wm/input.h"
#include "platform/wm/queue.h"
#include "platform/wm/remote.h"

namespace platform::wm {
namespace {

HWND g_focus = nullptr;
HWND g_active = nullptr;
HWND g_capture = nullptr;
bool g_appInFront = true;
HWND g_activeWhenLeft = nullptr;

bool Usable(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && !w->destroying;
}

void ChangeFocus(HWND hwnd) {
  HWND old = g_focus;
  if (old == hwnd) return;
  if (Usable(old)) CallProc(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  g_focus = hwnd;
  if (hwnd && Usable(hwnd) && g_focus == hwnd)
    CallProc(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(Usable(old) ? old : nullptr), 0);
}

void Activate(HWND hwnd, WORD how) {
  HWND old = g_active;
  if (old == hwnd) return;
  if (Usable(old)) {
    if (Window* o = Find(old)) o->lastFocus = IsDescendant(old, g_focus) ? g_focus : nullptr;
    CallProc(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
  }
  g_active = hwnd;
  if (!hwnd) {
    if (g_focus) ChangeFocus(nullptr);
    return;
  }
  if (Window* w = Find(hwnd)) {  // the active window comes to the front
    UnlinkFromParent(*w);
    LinkToParent(*w, HWND_TOP);
  }
  CallProc(hwnd, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(Usable(old) ? old : nullptr));
  // A procedure that did not take the focus itself gets back the focus it had before.
  if (g_active == hwnd && !IsDescendant(hwnd, g_focus)) {
    Window* w = Find(hwnd);
    HWND restore = w && IsDescendant(hwnd, w->lastFocus) && Usable(w->lastFocus) ? w->lastFocus : hwnd;
    ChangeFocus(restore);
  }
}

}  // namespace

void ForgetWindow(HWND hwnd) {
  if (g_capture == hwnd) ReleaseCapture();
  if (g_focus == hwnd) g_focus = nullptr;
  if (g_active == hwnd) g_active = nullptr;
  if (g_activeWhenLeft == hwnd) g_activeWhenLeft = nullptr;
}

void ActivateNextAfter(HWND leaving) {
  Window* w = Find(leaving);
  HWND next = nullptr;
  auto candidate = [&](HWND h) {
    Window* c = Find(h);
    return c && h != leaving && !c->destroying && (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED) &&
           !(c->exStyle & WS_EX_NOACTIVATE);
  };
  if (w && candidate(w->owner)) next = w->owner;
  if (!next) {
    for (HWND h : Desktop()->children)
      if (candidate(h)) {
        next = h;
        break;
      }
  }
  Activate(next, WA_ACTIVE);
}

void SetAppForeground(bool front) {
  if (front == g_appInFront) return;
  g_appInFront = front;
  if (!front) {
    g_activeWhenLeft = g_active;
    Activate(nullptr, WA_INACTIVE);
    return;
  }
  HWND back = Usable(g_activeWhenLeft) ? g_activeWhenLeft : nullptr;
  if (!back) {
    for (HWND h : Desktop()->children) {
      Window* c = Find(h);
      if (c && (c->style & WS_VISIBLE)) {
        back = h;
        break;
      }
    }
  }
  g_activeWhenLeft = nullptr;
  if (back) Activate(back, WA_ACTIVE);
}

bool IsAppForeground() { return g_appInFront; }

}  // namespace platform::wm

using namespace platform::wm;

HWND SetFocus(HWND hwnd) {
  HWND old = g_focus;
  if (!hwnd) {
    ChangeFocus(nullptr);
    return old;
  }
  Window* w = Check(hwnd);
  if (!w || w->destroying || (w->style & WS_DISABLED)) return nullptr;
  HWND top = TopLevelOf(hwnd);
  if (top && top != g_active) Activate(top, WA_ACTIVE);
  ChangeFocus(hwnd);
  return old;
}

HWND GetFocus() { return Usable(g_focus) ? g_focus : nullptr; }

HWND SetActiveWindow(HWND hwnd) {
  HWND old = g_active;
  if (hwnd) {
    if (!Check(hwnd)) return nullptr;
    hwnd = TopLevelOf(hwnd);
  }
  Activate(hwnd, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() { return Usable(g_active) ? g_active : nullptr; }

BOOL SetForegroundWindow(HWND hwnd) {
  // Bit 0 asks for the window's owned windows to come along; they always do here.
  HWND local = Find(hwnd) ? hwnd : platform::ToHandle<HWND>(platform::FromHandle(hwnd) & ~1u);
  if (Find(local)) {
    g_appInFront = true;
    g_activeWhenLeft = nullptr;
    Activate(TopLevelOf(local), WA_ACTIVE);
    return TRUE;
  }
  RemoteWindows* remote = GetRemoteWindows();
  if (hwnd && remote) {
    if (remote->IsRemote(hwnd)) return remote->SetForeground(hwnd);
    if (remote->IsRemote(local)) return remote->SetForeground(local);
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

HWND GetForegroundWindow() { return g_appInFront ? GetActiveWindow() : nullptr; }

HWND SetCapture(HWND hwnd) {
  HWND old = g_capture;
  if (hwnd && !Check(hwnd)) return nullptr;
  g_capture = hwnd;
  if (old && old != hwnd && Find(old)) CallProc(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  HWND old = g_capture;
  g_capture = nullptr;
  if (old && Find(old)) CallProc(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return Find(g_capture) ? g_capture : nullptr; }
