// The panel's window: a topmost strip at the bottom of the screen that never takes the focus,
// so the keys it presses go to the control the user was typing in.
#include "platform/device/shell/shell_window.h"
#include "platform/sip/input_mode.h"
#include "platform/sip/panel.h"
#include "platform/sip/panel_state.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "aygshell.h"

namespace platform::sip {
namespace {

constexpr LPCWSTR kClassName = u"SipWndClass";  // the system's own name for it
constexpr UINT kToggleMode = WM_APP + 1;
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatDelayMs = 450, kRepeatMs = 70;

void Relayout(PanelState& s) {
  RECT client{};
  GetClientRect(s.hwnd, &client);
  PlaceKeys(s, client.right, client.bottom);
  s.pressed = -1;
  InvalidateRect(s.hwnd, nullptr, FALSE);
}

// The layout follows the input method when a program or the desktop key switches it.
void FollowInputMode(PanelState& s) {
  bool hangul = FocusedIsHangul();
  if (hangul == s.hangulSeen) return;
  s.hangulSeen = hangul;
  Layout wanted = hangul ? Layout::kHangul : Layout::kLatin;
  if (s.layout == wanted || (!hangul && s.layout == Layout::kSymbols)) return;
  s.layout = wanted;
  s.shifted = false;
  Relayout(s);
}

int KeyAt(const PanelState& s, int x, int y) {
  for (size_t i = 0; i < s.keys.size(); ++i) {
    const RECT& r = s.keys[i].rect;
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return static_cast<int>(i);
  }
  return -1;
}

void SetPressed(PanelState& s, int index) {
  if (s.pressed == index) return;
  if (s.pressed >= 0) InvalidateRect(s.hwnd, &s.keys[s.pressed].rect, FALSE);
  s.pressed = index;
  if (index >= 0) InvalidateRect(s.hwnd, &s.keys[index].rect, FALSE);
}

void SwitchLayout(PanelState& s) {
  s.layout = NextLayout(s.layout);
  s.shifted = false;
  if (s.layout != Layout::kSymbols) {
    s.hangulSeen = s.layout == Layout::kHangul;
    SetFocusedHangul(s.hangulSeen);
  }
  Relayout(s);
}

void Act(PanelState& s, const KeyCap cap) {
  switch (cap.kind) {
    case KeyKind::kType:
      PressKey(cap.vk, cap.shift);
      if (s.shifted) {  // shift holds for one key, as on a phone
        s.shifted = false;
        Relayout(s);
      }
      return;
    case KeyKind::kSpace:
    case KeyKind::kEnter:
    case KeyKind::kBackspace:
      PressKey(cap.vk, false);
      return;
    case KeyKind::kShift:
      s.shifted = !s.shifted;
      Relayout(s);
      return;
    case KeyKind::kMode:
      SwitchLayout(s);
      return;
    case KeyKind::kHide:
      ShowPanel(false);
      return;
  }
}

void FingerDown(PanelState& s, int x, int y) {
  SetCapture(s.hwnd);
  SetPressed(s, KeyAt(s, x, y));
  // Backspace works at once and repeats while held.
  if (s.pressed >= 0 && s.keys[s.pressed].cap.kind == KeyKind::kBackspace) {
    PressKey(VK_BACK, false);
    SetTimer(s.hwnd, kRepeatTimer, kRepeatDelayMs, nullptr);
  }
}

void FingerUp(PanelState& s, int x, int y) {
  if (GetCapture() == s.hwnd) ReleaseCapture();
  KillTimer(s.hwnd, kRepeatTimer);
  int index = s.pressed;
  SetPressed(s, -1);
  if (index < 0 || index != KeyAt(s, x, y)) return;
  if (s.keys[index].cap.kind == KeyKind::kBackspace) return;  // typed on the way down
  Act(s, s.keys[index].cap);  // a copy: acting may lay the keys out again
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  PanelState& s = Panel();
  switch (msg) {
    case WM_SIZE:
      Relayout(s);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) PaintPanel(s, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      FingerDown(s, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      // The finger slides from key to key; backspace keeps repeating only while it stays.
      if (GetCapture() == hwnd && s.pressed >= 0 && s.keys[s.pressed].cap.kind != KeyKind::kBackspace)
        SetPressed(s, KeyAt(s, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return 0;
    case WM_LBUTTONUP:
      FingerUp(s, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && s.pressed >= 0 && s.keys[s.pressed].cap.kind == KeyKind::kBackspace) {
        PressKey(VK_BACK, false);
        SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
      }
      return 0;
    case kToggleMode:
      SetFocusedHangul(!FocusedIsHangul());
      FollowInputMode(s);
      return 0;
    case WM_CLOSE:
      return 0;  // the system's panel; programs lower it, they do not close it
    case WM_DESTROY:
      s.hwnd = nullptr;
      s.keys.clear();
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void OnPreference(HWND, int state) {
  if (state == SIP_UP) ShowPanel(true);
  if (state == SIP_DOWN || state == SIP_FORCEDOWN) ShowPanel(false);
}

HWND EnsurePanel() {
  PanelState& s = Panel();
  if (s.hwnd && IsWindow(s.hwnd)) return s.hwnd;
  static bool once = false;
  if (!once) {
    once = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    device::SetSipPreferenceHandler(OnPreference);
    wm::AddIdlePoller([] {
      PanelState& p = Panel();
      if (p.hwnd && IsWindowVisible(p.hwnd)) FollowInputMode(p);
    });
  }
  RECT r = PanelRect();
  s.hangulSeen = FocusedIsHangul();
  s.layout = s.hangulSeen ? Layout::kHangul : Layout::kLatin;
  s.hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, u"", WS_POPUP, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
  if (s.hwnd) Relayout(s);
  wm::SetInputToolWindow(s.hwnd);
  return s.hwnd;
}

void NotifyTopLevelWindows(HWND panel) {
  for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (w != panel) PostMessageW(w, WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
}

}  // namespace

PanelState& Panel() {
  static PanelState s;
  return s;
}

void ShowPanel(bool show) {
  if (show == PanelShown()) return;
  HWND hwnd = EnsurePanel();
  if (!hwnd) return;
  PanelState& s = Panel();
  if (show) {
    FollowInputMode(s);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(hwnd, SW_SHOWNA);
  } else {
    if (GetCapture() == hwnd) ReleaseCapture();
    KillTimer(hwnd, kRepeatTimer);
    s.pressed = -1;
    s.shifted = false;
    ShowWindow(hwnd, SW_HIDE);
  }
  NotifyTopLevelWindows(hwnd);
}

bool PanelShown() {
  HWND hwnd = Panel().hwnd;
  return hwnd && IsWindowVisible(hwnd);
}

RECT PanelRect() {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  return RECT{0, h - PanelHeight(), w, h};
}

std::vector<PanelKey> PanelKeys() {
  std::vector<PanelKey> out;
  const PanelState& s = Panel();
  if (!PanelShown()) return out;
  POINT origin{0, 0};
  ClientToScreen(s.hwnd, &origin);
  for (const PlacedKey& k : s.keys) {
    RECT r = k.rect;
    OffsetRect(&r, origin.x, origin.y);
    out.push_back(PanelKey{k.cap.name, k.cap.label, r});
  }
  return out;
}

Layout CurrentLayout() { return Panel().layout; }

HWND PanelWindow() { return Panel().hwnd; }

void QueueModeToggle() {
  if (HWND hwnd = EnsurePanel()) PostMessageW(hwnd, kToggleMode, 0, 0);
}

}  // namespace platform::sip
