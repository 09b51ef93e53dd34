// BUTTON (push buttons): pressed while the finger is down on it, BN_CLICKED to the parent when
// it is lifted inside; sliding off lets the button go up, sliding back presses it again.
#include <algorithm>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/modal.h"

namespace platform::ui {
namespace {

struct ButtonState {
  HFONT font = nullptr;  // borrowed
  bool pressed = false;  // drawn down
  bool tracking = false; // the finger went down on it and is not lifted yet
};

ButtonState* StateOf(HWND hwnd) { return reinterpret_cast<ButtonState*>(GetWindowLongW(hwnd, 0)); }

void SetPressed(HWND hwnd, ButtonState& s, bool pressed) {
  if (s.pressed == pressed) return;
  s.pressed = pressed;
  InvalidateRect(hwnd, nullptr, FALSE);
}

bool Inside(HWND hwnd, LPARAM lParam) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return PointIn(r, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

void Click(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  if (parent) SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
}

void Paint(HWND hwnd, HDC dc, const ButtonState& s) {
  RECT client{};
  GetClientRect(hwnd, &client);
  bool enabled = IsWindowEnabled(hwnd);
  HWND parent = GetParent(hwnd);
  SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  if (parent)
    SendMessageW(parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
  COLORREF face = s.pressed ? GetSysColor(COLOR_BTNSHADOW) : GetSysColor(COLOR_BTNFACE);
  FillSolid(dc, client, face);
  int edge = std::max(1, Px(1));
  FrameSolid(dc, client, enabled ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT), edge);

  int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return;
  std::u16string text(static_cast<size_t>(len) + 1, u'\0');
  len = GetWindowTextW(hwnd, text.data(), len + 1);
  text.resize(static_cast<size_t>(std::max(0, len)));
  HGDIOBJ old = s.font ? SelectObject(dc, s.font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  RECT r = client;
  if (s.pressed) OffsetRect(&r, edge, edge);  // the label sinks with the button
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  UINT format = DT_VCENTER | DT_SINGLELINE;
  if ((style & BS_CENTER) == BS_LEFT) format |= DT_LEFT;
  else if ((style & BS_CENTER) == BS_RIGHT) format |= DT_RIGHT;
  else format |= DT_CENTER;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  if (old) SelectObject(dc, old);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ButtonState* s = StateOf(hwnd);
  if (!s && msg != WM_CREATE) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(new ButtonState));
      return 0;
    case WM_NCDESTROY:
      delete s;
      SetWindowLongW(hwnd, 0, 0);
      break;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return r;
    }
    case WM_ENABLE:
      if (!wParam) {
        s->tracking = false;
        SetPressed(hwnd, *s, false);
      }
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(hwnd, dc, *s);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(hwnd);
      SetCapture(hwnd);
      s->tracking = true;
      SetPressed(hwnd, *s, true);
      return 0;
    case WM_MOUSEMOVE:
      if (s->tracking) SetPressed(hwnd, *s, Inside(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP: {
      bool click = s->tracking && Inside(hwnd, lParam);
      s->tracking = false;
      SetPressed(hwnd, *s, false);
      if (GetCapture() == hwnd) ReleaseCapture();
      if (click) Click(hwnd);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd && s->tracking) {
        s->tracking = false;
        SetPressed(hwnd, *s, false);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (GetWindowLongW(hwnd, GWL_STYLE) & BS_NOTIFY)
        if (HWND parent = GetParent(hwnd))
          SendMessageW(parent, WM_COMMAND,
                       MAKEWPARAM(GetDlgCtrlID(hwnd), msg == WM_SETFOCUS ? BN_SETFOCUS : BN_KILLFOCUS),
                       reinterpret_cast<LPARAM>(hwnd));
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN) Click(hwnd);
      return 0;
    case BM_GETSTATE:
      return (s->pressed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPressed(hwnd, *s, wParam != 0);
      return 0;
    case BM_CLICK:
      if (IsWindowEnabled(hwnd)) Click(hwnd);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterButtonClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ButtonProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.lpszClassName = u"BUTTON";
  RegisterClassW(&wc);
}

}  // namespace platform::ui
