// The default window procedure: what a window does with the messages its procedure passes on.
#include <algorithm>

#include "platform/wm/queue.h"


using namespace platform::wm;

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<LPCWSTR>(lParam);
      w->text = text ? std::u16string(text) : std::u16string();
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<LPWSTR>(lParam);
      if (!buf || wParam == 0) return 0;
      size_t n = std::min(w->text.size(), static_cast<size_t>(wParam) - 1);
      std::copy(w->text.begin(), w->text.begin() + n, buf);
      buf[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = w->cls->wc.hbrBackground;
      if (!brush || !wParam) return 0;
      RECT client{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      return 1;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    case WM_NCHITTEST:
      return HTCLIENT;
  }
  return 0;
}
