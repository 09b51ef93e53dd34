// Window classes: registered by name (compared without letter case) or addressed by atom.
#include <vector>

#include "platform/wm/window.h"

namespace platform::wm {
namespace {

std::vector<std::shared_ptr<WindowClass>>& Classes() {
  static std::vector<std::shared_ptr<WindowClass>> classes;
  return classes;
}

ATOM g_nextAtom = 0xC000;

}  // namespace

std::shared_ptr<WindowClass> FindClass(LPCWSTR name) {
  if (!name) return nullptr;
  for (auto& c : Classes()) {
    if (IS_INTRESOURCE(name)) {
      if (c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))) return c;
    } else if (_wcsicmp(c->name.c_str(), name) == 0) {
      return c;
    }
  }
  return nullptr;
}

}  // namespace platform::wm

using namespace platform::wm;

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc ||
      wc->cbWndExtra < 0 || wc->cbClsExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (FindClass(wc->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto c = std::make_shared<WindowClass>();
  c->name = wc->lpszClassName;
  c->wc = *wc;
  c->wc.lpszClassName = nullptr;  // the caller's string need not outlive the call
  c->wc.lpszMenuName = nullptr;
  c->atom = g_nextAtom++;
  Classes().push_back(c);
  return c->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  auto& classes = Classes();
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (*it == FindClass(className)) {
      if ((*it)->windows > 0) {
        SetLastError(1412);  // ERROR_CLASS_HAS_WINDOWS
        return FALSE;
      }
      classes.erase(it);
      return TRUE;
    }
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, LPWNDCLASSW wc) {
  auto c = FindClass(className);
  if (!c || !wc) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *wc = c->wc;
  wc->lpszClassName = c->name.c_str();
  return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR name, int cchMax) {
  Window* w = Check(hwnd);
  if (!w || !name || cchMax <= 0) return 0;
  int n = static_cast<int>(std::min<size_t>(w->cls->name.size(), cchMax - 1));
  std::copy(w->cls->name.begin(), w->cls->name.begin() + n, name);
  name[n] = 0;
  return n;
}
