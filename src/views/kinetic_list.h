// KineticList: the program's one list control. A child window showing rows of varying height
// that scroll under the finger, coast after a flick, spring back past either end, draw through
// an off-screen bitmap with a translucent scroll indicator, and report the cursor row, the
// selection and taps to the parent with WM_NOTIFY.
#pragma once
#include <windows.h>

#include <cstdint>

#include "draw/gdi_holders.h"
#include "views/list_item.h"
#include "views/list_scroller.h"
#include "views/row_store.h"

namespace parlo {

// Notification codes (NMHDR code) sent to the parent.
inline constexpr int LN_SELCHANGE = -2000;
inline constexpr int LN_ACTIVATE = -2001;
inline constexpr int LN_CURSORCHANGE = -2002;

// The animation timer of every list.
inline constexpr UINT_PTR FLING_TIMER = 1023;

struct ListNotify {
  NMHDR hdr;
  int32_t index;
  int32_t state;  // 1 on, 0 off
};

class KineticList {
 public:
  static constexpr const WCHAR* kClassName = u"KineticList";

  KineticList();
  virtual ~KineticList();
  KineticList(const KineticList&) = delete;
  KineticList& operator=(const KineticList&) = delete;

  // A visible child of `parent` with clipping of siblings and children.
  HWND Create(HWND parent, const RECT& rect, int controlId);
  HWND hwnd() const { return hwnd_; }

  // Rows. The list takes its own reference on an appended row.
  void AppendRow(ListItem* item);
  void DeleteAllRows();
  // After filling: content height and indicators follow the rows.
  void EndFilling();
  int RowCount() const { return rows_.Count(); }
  ListItem* RowAt(int index) const { return rows_.At(index); }
  int FirstSelected() const;
  int CursorRow() const { return rows_.cursor; }
  int ActivatedRow() const { return rows_.activated; }
  int PressedRow() const { return rows_.pressed; }
  // Window coordinates across the client width; an empty rectangle for an invalid index.
  RECT RowRect(int index) const;
  int RowAtContentY(int y) const { return rows_.RowAtContentY(y); }

  void SetCursor(int index);
  void Select(int index);
  void Activate(int index, bool on);
  void EnsureVisible(int index);

  void SetDragThresholds(int x, int y);
  void SetSingleSelection(bool single) { rows_.singleSelection = single; }
  const ListScroller& scroller() const { return scroller_; }

  COLORREF background = RGB(255, 255, 255);
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF grey = RGB(0x7F, 0x7F, 0x7F);
  COLORREF fill = RGB(255, 255, 255);  // the area above or below the rows

 protected:
  // Draws one row into the off-screen image; the row's state flags say how.
  virtual void PaintRow(HDC dc, int index, const RECT& rect);
  // Drawn over the rows, before the indicator.
  virtual void PaintOverlay(HDC dc) {}
  // Sees every notification before the parent does.
  virtual void OnNotify(ListNotify& notify);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  int defaultRowHeight_;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static bool RegisterOnce();

  void Notify(int code, int index, int state);
  void Repaint();

  void OnPress(POINT point);
  void OnMove(WPARAM keys, POINT point);
  void OnRelease(POINT point);
  void OnTimerStep();
  void StopAnimation(bool markStop);
  void OnSize(int width, int height);
  bool OnKeyUp(UINT vk);

  void Paint();
  void PaintIndicator(HDC memory, HDC reference);

  HWND hwnd_ = nullptr;
  RowStore rows_;
  ListScroller scroller_;
  BitmapHolder image_;
  SIZE imageSize_{0, 0};
  BrushHolder fillBrush_;
  COLORREF fillBrushColor_ = 0;
};

}  // namespace parlo
