// What the full-screen views share: their fonts, footer buttons, the off-screen image, the wait
// cursor and calling a correspondent.
#pragma once
#include <windows.h>

#include "draw/gdi_holders.h"
#include "store/message_record.h"

namespace parlo {

// "Tahoma", weight 400, DEFAULT_CHARSET, pitch and family 0x20, at the screen's vertical dpi.
HFONT CreateViewFont(FontHolder& holder, int points);

RECT ShrinkRect(const RECT& r, int dx, int dy);
bool Contains(const RECT& r, POINT p);

// A footer button: a rounded box that lights up while pressed, held while its timer runs.
struct FooterButton {
  RECT rect{};
  bool pressed = false;
  bool held = false;
  void Clear() { pressed = held = false; }
};
void PaintFooterButton(HDC dc, const FooterButton& button, const WCHAR* label);

// A box's edge: `light` along the left and top, `dark` along the right and bottom, inside `r`.
void DrawBoxEdge(HDC dc, const RECT& r, HPEN light, HPEN dark);
// The line under a list row.
void DrawRowSeparator(HDC dc, const RECT& row, HPEN pen);

inline constexpr UINT_PTR kLeftHoldTimer = 1;
inline constexpr UINT_PTR kRightHoldTimer = 2;
inline constexpr UINT kHoldMs = 400;

// The footer's two buttons, each with its hold timer: a press starts the button's timer, leaving
// the button while holding ends the hold, lifting ends both. Which button acts is the view's say.
struct FooterButtons {
  enum Which { kNone, kLeft, kRight };
  FooterButton left, right;

  void Layout(const RECT& footer);
  void Clear();
  // Starts the hold of the button under `p`; kNone when `p` is on neither.
  Which Press(HWND hwnd, POINT p);
  void Move(HWND hwnd, POINT p);
  // The button pressed and lifted inside; both are released and repainted.
  Which Release(HWND hwnd, POINT p);
  // The button whose hold ran its full time, released; kNone for a stale tick.
  Which HoldEnded(HWND hwnd, UINT_PTR timer);
};

// The view's own off-screen image, of the client size, made on the first paint.
class OffscreenImage {
 public:
  // A memory DC with the image selected, valid until the next call.
  HDC Begin(HDC reference, int width, int height);
  void End(HDC target, int width, int height);
  // Frees the DC and the bitmap (the view's WM_DESTROY).
  void Free();

 private:
  BitmapHolder bitmap_;
  SIZE size_{0, 0};
  DcHolder dc_;
};

// The talk key: places a call to the record's number, shown to the dialler as `name`, or says
// there is none.
void CallCorrespondent(const MessageRecord& record, const WCHAR* name);

// Cursor id 32514 while a menu command runs; the previous cursor comes back afterwards.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

// Header bands and footer bands are filled with this stock brush.
inline HBRUSH BandBrush() { return static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)); }

}  // namespace parlo
