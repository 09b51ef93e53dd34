// A window and its C++ object: the object arrives as CreateWindowExW's creation parameter, is
// kept in GWL_USERDATA, and forgets its window at WM_NCDESTROY.
#pragma once
#include <windows.h>

namespace parlo {

template <typename T>
LRESULT BoundWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HWND T::*window,
                        LRESULT (T::*handle)(UINT, WPARAM, LPARAM)) {
  auto* self = reinterpret_cast<T*>(GetWindowLongW(hwnd, GWL_USERDATA));
  if (!self && (message == WM_NCCREATE || message == WM_CREATE)) {
    self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      self->*window = hwnd;
      SetWindowLongW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongW(hwnd, GWL_USERDATA, 0);
    self->*window = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return (self->*handle)(message, wParam, lParam);
}

}  // namespace parlo
