// Input from the display and automation: queued in order, resolved to a window when taken.
#include "platform/wm/input.h"

#include <cstdlib>
#include <mutex>

#include "platform/base/clock.h"
#include "platform/wm/queue.h"

namespace platform::wm {
namespace {

std::mutex g_inputMutex;  // cursor and key state are written by injectors on any thread
POINT g_cursor{0, 0};
bool g_keyDown[256] = {};  // as injected (GetAsyncKeyState)
// As of the key message being handled (GetKeyState): keys injected together (shift, a letter,
// shift again) must read shift down while the letter is translated, as the system's do.
bool g_keyDownSync[256] = {};

HWND g_inputTool = nullptr;
bool g_buttonDown = false;  // as the UI thread has taken it
HWND g_lastDownWindow = nullptr;
DWORD g_lastDownTime = 0;
POINT g_lastDownPoint{};
bool g_lastWasDouble = false;
constexpr DWORD kDoubleClickMs = 500;

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The deepest visible window under the point; a disabled window takes the input away from
// everything beneath it, and its parent gets it instead (nothing for a disabled top-level window).
HWND HitTest(POINT p) {
  HWND current = nullptr;
  Window* level = Desktop();
  for (;;) {
    HWND hit = nullptr;
    for (HWND c : level->children) {
      Window* w = Find(c);
      if (w && (w->style & WS_VISIBLE) && !w->destroying && Contains(ScreenRect(c), p)) {
        hit = c;
        break;
      }
    }
    if (!hit) return current;
    Window* w = Find(hit);
    if (w->style & WS_DISABLED) return current;
    current = hit;
    level = w;
  }
}

HWND KeyTarget() {
  HWND focus = GetFocus();
  return focus ? focus : GetActiveWindow();
}

}  // namespace

bool ResolveInput(RawInput kind, MSG* msg, bool commit) {
  if (kind == RawInput::kKey || kind == RawInput::kChar) {
    HWND focus = KeyTarget();
    msg->hwnd = focus ? ModalInputOwner(focus) : nullptr;
    // A key nobody receives is dropped now, but it was still pressed or released.
    if (kind == RawInput::kKey && (commit || !msg->hwnd)) {
      std::lock_guard<std::mutex> lock(g_inputMutex);
      g_keyDownSync[msg->wParam & 0xFF] = msg->message == WM_KEYDOWN;
    }
    return msg->hwnd != nullptr;
  }
  POINT p = msg->pt;
  HWND capture = GetCapture();
  HWND target = capture ? capture : HitTest(p);
  // Behind a modal window nothing takes taps: the question is answered first.
  if (target && target != g_inputTool && ModalInputOwner(target) != target) target = nullptr;
  if (!target) {
    if (commit && msg->message == WM_LBUTTONUP) g_buttonDown = false;
    return false;
  }
  UINT message = msg->message;
  if (message == WM_LBUTTONDOWN) {
    Window* w = Find(target);
    bool dbl = w && (w->cls->wc.style & CS_DBLCLKS) && !g_lastWasDouble && target == g_lastDownWindow &&
               msg->time - g_lastDownTime <= kDoubleClickMs && std::abs(p.x - g_lastDownPoint.x) <= 2 &&
               std::abs(p.y - g_lastDownPoint.y) <= 2;
    if (dbl) message = WM_LBUTTONDBLCLK;
    if (commit) {
      g_lastWasDouble = dbl;
      g_lastDownWindow = target;
      g_lastDownTime = msg->time;
      g_lastDownPoint = p;
    }
  }
  bool down = message == WM_LBUTTONUP ? false : (message == WM_MOUSEMOVE ? g_buttonDown : true);
  POINT origin = ClientOrigin(target);
  msg->hwnd = target;
  msg->message = message;
  msg->wParam = down ? MK_LBUTTON : 0;
  msg->lParam = MAKELPARAM(static_cast<WORD>(p.x - origin.x), static_cast<WORD>(p.y - origin.y));
  if (commit) {
    g_buttonDown = down;
    if (message != WM_MOUSEMOVE && !capture) {
      // A tap on an inactive top-level window activates it first.
      HWND top = TopLevelOf(target);
      if (top && top != GetActiveWindow()) {
        Window* t = Find(top);
        if (t && !(t->exStyle & WS_EX_NOACTIVATE)) SetActiveWindow(top);
      }
    }
  }
  return Find(target) != nullptr;
}

void SetInputToolWindow(HWND hwnd) { g_inputTool = hwnd; }

void InjectMouse(UINT message, int x, int y) {
  MSG m{nullptr, message, 0, 0, GetTickCount(), POINT{x, y}};
  {
    std::lock_guard<std::mutex> lock(g_inputMutex);
    g_cursor = POINT{x, y};
    if (message == WM_LBUTTONDOWN) g_keyDown[VK_LBUTTON] = g_keyDownSync[VK_LBUTTON] = true;
    if (message == WM_LBUTTONUP) g_keyDown[VK_LBUTTON] = g_keyDownSync[VK_LBUTTON] = false;
  }
  PostRawInput(RawInput::kMouse, m);
}

void InjectKey(UINT vk, bool down) {
  bool was;
  {
    std::lock_guard<std::mutex> lock(g_inputMutex);
    was = g_keyDown[vk & 0xFF];
    g_keyDown[vk & 0xFF] = down;
  }
  // Repeat count 1; bit 30 the previous key state; bit 31 set for a release.
  LPARAM lp = 1 | (was ? (1 << 30) : 0) | (down ? 0 : static_cast<LPARAM>(0x80000000u));
  MSG m{nullptr, static_cast<UINT>(down ? WM_KEYDOWN : WM_KEYUP), vk, lp, GetTickCount(), {}};
  GetCursorPos(&m.pt);
  PostRawInput(RawInput::kKey, m);
}

void InjectChar(WCHAR ch) {
  MSG m{nullptr, WM_CHAR, ch, 1, GetTickCount(), {}};
  GetCursorPos(&m.pt);
  PostRawInput(RawInput::kChar, m);
}

}  // namespace platform::wm

using namespace platform::wm;

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  std::lock_guard<std::mutex> lock(g_inputMutex);
  *point = g_cursor;
  return TRUE;
}

SHORT GetKeyState(int vk) {
  std::lock_guard<std::mutex> lock(g_inputMutex);
  return g_keyDownSync[vk & 0xFF] ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int vk) {
  std::lock_guard<std::mutex> lock(g_inputMutex);
  return g_keyDown[vk & 0xFF] ? static_cast<SHORT>(0x8000) : 0;
}

HWND WindowFromPoint(POINT point) { return HitTest(point); }

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  Window* w = Check(parent);
  if (!w) return nullptr;
  POINT o = ClientOrigin(parent);
  POINT screen{point.x + o.x, point.y + o.y};
  if (!Contains(ScreenRect(parent), screen)) return nullptr;
  for (HWND c : w->children)
    if (Contains(ScreenRect(c), screen)) return c;  // hidden and disabled children count too
  return parent;
}
