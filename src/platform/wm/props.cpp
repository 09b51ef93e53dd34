// Window data (longs, text, identifiers) and the relations of the window tree.
#include <algorithm>

#include "platform/wm/queue.h"
#include "platform/wm/remote.h"

using namespace platform::wm;

LONG_PTR GetWindowLongW(HWND hwnd, int index) {
  Window* w = Check(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(IsTopLevel(*w) ? w->owner : w->parent);
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWL_USERDATA: return w->userData;
  }
  if (index < 0 || index + 4 > w->cls->wc.cbWndExtra) {
    SetLastError(1413);  // ERROR_INVALID_INDEX
    return 0;
  }
  auto it = w->extra.find(index);
  return it == w->extra.end() ? 0 : it->second;
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value) {
  Window* w = Check(hwnd);
  if (!w) return 0;
  LONG_PTR old = 0;
  switch (index) {
    case GWL_WNDPROC:
      if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWL_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWL_ID:
      old = w->id;
      w->id = value;
      return old;
    case GWL_STYLE:
      old = static_cast<LONG>(w->style);
      w->style = static_cast<DWORD>(value);
      return old;
    case GWL_EXSTYLE:
      old = static_cast<LONG>(w->exStyle);
      w->exStyle = static_cast<DWORD>(value);
      return old;
    case GWL_USERDATA:
      old = w->userData;
      w->userData = value;
      return old;
    case GWL_HWNDPARENT:
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  if (index < 0 || index + 4 > w->cls->wc.cbWndExtra) {
    SetLastError(1413);  // ERROR_INVALID_INDEX
    return 0;
  }
  old = w->extra[index];
  w->extra[index] = value;
  return old;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

HWND GetDesktopWindow() { return DesktopHandle(); }

BOOL IsWindow(HWND hwnd) {
  return Find(hwnd) ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
  Window* w = Check(hwnd);
  if (!w || hwnd == DesktopHandle()) return nullptr;
  if (!IsTopLevel(*w)) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = Check(hwnd);
  if (!w || hwnd == DesktopHandle()) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent;
    case GA_ROOT: return TopLevelOf(hwnd);
    case GA_ROOTOWNER: {
      HWND root = TopLevelOf(hwnd);
      for (Window* r = Find(root); r && r->owner; r = Find(r->owner)) root = r->owner;
      return root;
    }
  }
  return nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  if (!Find(parent) || hwnd == parent) return FALSE;
  // Only the chain of child windows counts; a top-level window is nobody's child.
  for (Window* w = Find(hwnd); w && (w->style & WS_CHILD); w = Find(w->parent))
    if (w->parent == parent) return TRUE;
  return FALSE;
}

HWND GetWindow(HWND hwnd, UINT command) {
  Window* w = Check(hwnd);
  if (!w) return nullptr;
  if (command == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (command == GW_OWNER) return w->owner;
  Window* p = Find(w->parent);
  if (!p) return nullptr;
  const auto& sib = p->children;
  auto it = std::find(sib.begin(), sib.end(), hwnd);
  if (it == sib.end()) return nullptr;
  switch (command) {
    case GW_HWNDFIRST: return sib.front();
    case GW_HWNDLAST: return sib.back();
    case GW_HWNDNEXT: return it + 1 == sib.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == sib.begin() ? nullptr : *(it - 1);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!Check(hwnd)) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR text, int cchMax) {
  if (!Check(hwnd) || !text || cchMax <= 0) return 0;
  text[0] = 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, cchMax, reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!Check(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = Check(hwnd);
  if (!w || IsTopLevel(*w)) return 0;
  return static_cast<int>(w->id);
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* w = Check(dialog);
  if (!w) return nullptr;
  for (HWND c : w->children) {
    Window* child = Find(c);
    if (child && static_cast<int>(child->id) == id) return c;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  auto cls = className ? FindClass(className) : nullptr;
  for (HWND h : Desktop()->children) {
    Window* w = Find(h);
    if (!w || w->destroying) continue;
    if (className && (!cls || w->cls != cls)) continue;
    if (windowName && w->text != windowName) continue;
    return h;
  }
  if (RemoteWindows* remote = GetRemoteWindows()) return remote->Find(className, windowName);
  return nullptr;
}
