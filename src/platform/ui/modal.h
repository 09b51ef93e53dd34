// Pieces every modal piece of system UI shares: disabling the owner, the nested loop, and
// sizes in device pixels for lengths given at 96 dots per inch.
#pragma once
#include <functional>

#include "windows.h"

namespace platform::ui {

// Disables the owner's top-level window for the lifetime of a modal loop and enables it again
// only if it was enabled before, so nested boxes over one owner keep it disabled until the
// outermost one ends.
class OwnerDisabler {
 public:
  explicit OwnerDisabler(HWND owner);
  ~OwnerDisabler() { Restore(); }
  OwnerDisabler(const OwnerDisabler&) = delete;
  OwnerDisabler& operator=(const OwnerDisabler&) = delete;
  void Restore();
  HWND owner() const { return owner_; }

 private:
  HWND owner_ = nullptr;
  bool reenable_ = false;
};

// Takes and dispatches messages until `done()` holds, with input going to `modal` (and the
// windows it owns) only. A WM_QUIT ends the loop early and is posted again for the loop
// outside; the result is then false.
// `filter`, when given, sees each message first and may take it (returns true).
bool RunModalLoop(HWND modal, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& filter = nullptr);

// The screen's dots per inch and a length at 96 dpi in device pixels (half away from zero).
int ScreenDpi();
int Px(int length96);

// A Tahoma font of `height96` pixels at 96 dpi, deleted with the object.
class UiFont {
 public:
  explicit UiFont(int height96, bool bold = false);
  UiFont(LPCWSTR face, int pointSize, bool bold);
  ~UiFont();
  UiFont(const UiFont&) = delete;
  UiFont& operator=(const UiFont&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

// Draws a filled rectangle in one colour.
void FillSolid(HDC hdc, const RECT& rect, COLORREF color);
// A one-pixel-per-96-dpi frame inside `rect`.
void FrameSolid(HDC hdc, const RECT& rect, COLORREF color, int width);

bool PointIn(const RECT& r, int x, int y);
// a * b / c rounded half away from zero, as the system's MulDiv; -1 when c is 0.
int MulDivInt(int a, int b, int c);
inline void InflateRectBy(RECT& r, int d) {
  r.left -= d;
  r.top -= d;
  r.right += d;
  r.bottom += d;
}
RECT ToScreen(HWND hwnd, RECT r);

}  // namespace platform::ui
