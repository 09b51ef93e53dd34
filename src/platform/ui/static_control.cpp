// STATIC: read-only text (word-wrapped unless SS_LEFTNOWORDWRAP) or an icon (SS_ICON).
#include <algorithm>
#include <memory>

#include "platform/ui/controls.h"
#include "platform/ui/modal.h"

namespace platform::ui {
namespace {

struct StaticState {
  HFONT font = nullptr;  // borrowed, as WM_SETFONT hands it over
  HICON icon = nullptr;
};

StaticState* StateOf(HWND hwnd) { return reinterpret_cast<StaticState*>(GetWindowLongW(hwnd, 0)); }

void Paint(HWND hwnd, HDC dc, StaticState* s) {
  RECT client{};
  GetClientRect(hwnd, &client);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  HWND parent = GetParent(hwnd);
  HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                                 reinterpret_cast<WPARAM>(dc),
                                                                 reinterpret_cast<LPARAM>(hwnd)))
                        : nullptr;
  if (brush)
    FillRect(dc, &client, brush);
  else
    FillSolid(dc, client, RGB(0xFF, 0xFF, 0xFF));
  if (style & WS_BORDER) FrameSolid(dc, client, RGB(0x80, 0x80, 0x80), std::max(1, Px(1)));

  if ((style & SS_TYPEMASK) == SS_ICON) {
    if (!s->icon) return;
    int side = std::min(client.right, client.bottom);
    DrawIconEx(dc, (client.right - side) / 2, (client.bottom - side) / 2, s->icon, side, side, 0, nullptr, DI_NORMAL);
    return;
  }
  int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return;
  std::u16string text(static_cast<size_t>(len) + 1, u'\0');
  len = GetWindowTextW(hwnd, text.data(), len + 1);
  text.resize(static_cast<size_t>(std::max(0, len)));
  HGDIOBJ old = s->font ? SelectObject(dc, s->font) : nullptr;
  if (!brush) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
  }
  UINT format = DT_NOPREFIX;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: format |= DT_SINGLELINE; break;
    default: format |= DT_WORDBREAK | DT_EDITCONTROL; break;
  }
  RECT r = client;
  if (style & WS_BORDER) InflateRectBy(r, -Px(2));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  if (old) SelectObject(dc, old);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  StaticState* s = StateOf(hwnd);
  switch (msg) {
    case WM_CREATE:
      s = new StaticState;
      SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(s));
      return 0;
    case WM_NCDESTROY:
      delete s;
      SetWindowLongW(hwnd, 0, 0);
      break;
    case WM_SETFONT:
      if (s) s->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return s ? reinterpret_cast<LRESULT>(s->font) : 0;
    case STM_SETICON: {
      if (!s) return 0;
      HICON previous = s->icon;
      s->icon = reinterpret_cast<HICON>(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETICON:
      return s ? reinterpret_cast<LRESULT>(s->icon) : 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc && s) Paint(hwnd, dc, s);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONUP:
      if (s && (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY) && GetParent(hwnd))
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterSystemClasses() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = StaticProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.lpszClassName = u"STATIC";
  registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  RegisterEditClass();
  RegisterButtonClass();
}

}  // namespace platform::ui
