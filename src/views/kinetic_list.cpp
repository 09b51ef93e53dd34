#include "views/kinetic_list.h"
#include "views/window_binding.h"

#include <algorithm>

#include "draw/dpi.h"

namespace parlo {

KineticList::KineticList() : defaultRowHeight_(ScaleY(60)) {
  scroller_.thickness = SIZE{ScaleX(6), ScaleY(6)};
  // Horizontal dragging is off until a list asks for it.
  scroller_.threshold = POINT{-1, 4};
}

KineticList::~KineticList() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool KineticList::RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &KineticList::WindowProc;
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

HWND KineticList::Create(HWND parent, const RECT& rect, int controlId) {
  if (hwnd_ || !RegisterOnce()) return nullptr;
  CreateWindowExW(0, kClassName, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), nullptr, this);
  return hwnd_;
}

LRESULT CALLBACK KineticList::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return BoundWindowProc(hwnd, message, wParam, lParam, &KineticList::hwnd_, &KineticList::HandleMessage);
}

LRESULT KineticList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      OnPress(point);
      return 0;
    case WM_MOUSEMOVE:
      OnMove(wParam, point);
      return 0;
    case WM_LBUTTONUP:
      OnRelease(point);
      return 0;
    case WM_TIMER:
      if (wParam != FLING_TIMER) break;
      OnTimerStep();
      return 0;
    case WM_KILLFOCUS:
      if (scroller_.timerRunning) StopAnimation(true);
      break;
    case WM_KEYUP:
      if (OnKeyUp(static_cast<UINT>(wParam))) return 0;
      break;
    case WM_DESTROY:
      if (scroller_.timerRunning) StopAnimation(true);
      rows_.Clear();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// ---- Rows ----

void KineticList::AppendRow(ListItem* item) { rows_.Append(item); }

void KineticList::DeleteAllRows() { rows_.Clear(); }

void KineticList::EndFilling() {
  rows_.Remeasure();
  scroller_.content.cy = static_cast<LONG>(rows_.TotalHeight());
  // A refill that made the content shorter must not leave the window showing nothing but fill.
  const bool busy = scroller_.timerRunning || (hwnd_ && GetCapture() == hwnd_);
  if (!busy) {
    const LONG maxOffset = std::max<LONG>(0, scroller_.content.cy - scroller_.view.cy);
    scroller_.offset.y = std::clamp<LONG>(scroller_.offset.y, 0, maxOffset);
  }
  scroller_.RecomputeIndicators();
}

int KineticList::FirstSelected() const {
  return rows_.selection.empty() ? -1 : rows_.selection.front();
}

RECT KineticList::RowRect(int index) const {
  if (!rows_.IsValid(index)) return RECT{0, 0, 0, 0};
  RECT client{0, 0, scroller_.view.cx, scroller_.view.cy};
  if (hwnd_) GetClientRect(hwnd_, &client);
  const LONG top = static_cast<LONG>(rows_.Top(index) - scroller_.offset.y);
  return RECT{client.left, top, client.right, top + rows_.At(index)->height};
}

void KineticList::SetDragThresholds(int x, int y) { scroller_.threshold = POINT{x, y}; }

// ---- Cursor, selection, activation ----

void KineticList::Notify(int code, int index, int state) {
  ListNotify n{};
  n.hdr.hwndFrom = hwnd_;
  n.hdr.idFrom = hwnd_ ? static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_)) : 0;
  n.hdr.code = static_cast<UINT>(code);
  n.index = index;
  n.state = state;
  OnNotify(n);
  if (hwnd_) SendMessageW(GetParent(hwnd_), WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
}

void KineticList::OnNotify(ListNotify& notify) {
  if (static_cast<int>(notify.hdr.code) == LN_CURSORCHANGE && rows_.IsValid(notify.index) && hwnd_) {
    const RECT rect = RowRect(notify.index);
    InvalidateRect(hwnd_, &rect, FALSE);
  }
}

void KineticList::SetCursor(int index) {
  if (index == rows_.cursor) return;
  const int old = rows_.cursor;
  if (rows_.IsValid(old)) {
    rows_.At(old)->state &= ~ListItem::kCursor;
    Notify(LN_CURSORCHANGE, old, 0);
  }
  if (rows_.IsValid(index)) {
    EnsureVisible(index);
    rows_.At(index)->state |= ListItem::kCursor;
    Notify(LN_CURSORCHANGE, index, 1);
    rows_.cursor = index;
  } else {
    rows_.cursor = -1;
  }
}

void KineticList::Select(int index) {
  if (rows_.singleSelection && !rows_.selection.empty()) {
    const int s = rows_.selection.front();
    ListItem* row = rows_.At(s);
    if (s == index && row && (row->state & ListItem::kSelected)) return;
    if (row) row->state &= ~ListItem::kSelected;
    rows_.selection.clear();
    if (row) Notify(LN_SELCHANGE, s, 0);
  }
  if (ListItem* row = rows_.At(index)) {
    row->state |= ListItem::kSelected;
    if (std::find(rows_.selection.begin(), rows_.selection.end(), index) == rows_.selection.end())
      rows_.selection.push_back(index);
    Notify(LN_SELCHANGE, index, 1);
  }
}

void KineticList::Activate(int index, bool on) {
  if (on && rows_.IsValid(rows_.activated)) Notify(LN_ACTIVATE, rows_.activated, 0);
  rows_.activated = on ? index : -1;
  if (rows_.IsValid(rows_.activated)) Notify(LN_ACTIVATE, rows_.activated, on ? 1 : 0);
}

void KineticList::EnsureVisible(int index) {
  if ((scroller_.view.cx == 0 && scroller_.view.cy == 0) || !rows_.IsValid(index)) return;
  const RECT rect = RowRect(index);
  if (rect.top < 0)
    scroller_.offset.y += rect.top;
  else if (rect.bottom > scroller_.view.cy)
    scroller_.offset.y += rect.bottom - scroller_.view.cy;
  scroller_.RecomputeIndicators();
  Repaint();
}

// ---- Touch ----

void KineticList::Repaint() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void KineticList::StopAnimation(bool markStop) {
  KillTimer(hwnd_, FLING_TIMER);
  const uint32_t now = GetTickCount();
  scroller_.animationWatch.Stop(now);
  scroller_.timerRunning = false;
  if (markStop) scroller_.stopTime = now;
}

void KineticList::OnPress(POINT point) {
  ListScroller& s = scroller_;
  // The row part: the pressed row lights up at once.
  rows_.pressed = rows_.RowAtContentY(static_cast<int64_t>(point.y) + s.offset.y);
  if (ListItem* row = rows_.At(rows_.pressed)) {
    if (row->HitTest(rows_.pressed, RowRect(rows_.pressed), point) == ListItem::kHitBody)
      SetCursor(rows_.pressed);
  }
  // The scroller part: a touch stops a fling.
  if (s.timerRunning) StopAnimation(false);
  s.last = point;
  if (s.vertical.visible() && point.x >= s.view.cx - s.thickness.cx) {
    s.vertical.set_grab(s.vertical.PartAt(point.y));
    return;
  }
  if (s.horizontal.visible() && point.y >= s.view.cy - s.thickness.cy) {
    s.horizontal.set_grab(s.horizontal.PartAt(point.x));
    return;
  }
  s.lastDelta = POINT{0, 0};
  s.pressTime = s.lastMoveTime = GetTickCount();
  s.moved = false;
  s.vertical.set_grab(ScrollIndicator::kGrabNone);
  s.horizontal.set_grab(ScrollIndicator::kGrabNone);
  SetCapture(hwnd_);
}

void KineticList::OnMove(WPARAM keys, POINT point) {
  if (!(keys & MK_LBUTTON)) return;
  ListScroller& s = scroller_;
  const POINT delta = s.FilterMove(point);
  if (delta.x == 0 && delta.y == 0) return;
  s.ApplyMove(delta);
  s.RecomputeIndicators();
  Repaint();
  const uint32_t now = GetTickCount();
  s.moveInterval = now - s.lastMoveTime;
  s.lastMoveTime = now;
}

void KineticList::OnRelease(POINT point) {
  ListScroller& s = scroller_;
  const bool grabbed = s.vertical.grab() != ScrollIndicator::kGrabNone ||
                       s.horizontal.grab() != ScrollIndicator::kGrabNone;
  if (!s.moved && !grabbed) {
    // A tap: cursor, selection and activation, each reported once.
    const int index = rows_.RowAtContentY(static_cast<int64_t>(point.y) + s.offset.y);
    ListItem* row = rows_.At(index);
    if (row && row->HitTest(index, RowRect(index), point) == ListItem::kHitBody) {
      if (s.timerRunning) StopAnimation(false);
      SetCursor(index);
      Select(index);
      Activate(index, true);
    }
  }
  // A thumb dragged past an end springs back as the rows do; it never coasts.
  if (grabbed && s.OutOfBounds()) {
    s.moved = true;
    s.lastDelta = POINT{0, 0};
  }
  if (s.moved && hwnd_) {
    s.flingPending = true;
    s.releaseTime = GetTickCount();
    s.BoundsAndFling(true);
    s.animationWatch.Start(s.releaseTime);
    SetTimer(hwnd_, FLING_TIMER, s.AnimationPeriod(), nullptr);
    s.timerRunning = true;
  }
  if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
  s.moved = false;
}

void KineticList::OnTimerStep() {
  ListScroller& s = scroller_;
  // A step already queued when the animation was stopped changes nothing.
  if (!s.timerRunning) return;
  const int64_t t = s.animationWatch.Elapsed(GetTickCount());
  const bool stop = s.BoundsAndFling(false);
  if (stop || (!s.curveX.Active(t) && !s.curveY.Active(t))) {
    StopAnimation(true);
    if (stop) return;
  }
  s.offset.x = s.curveX.At(t);
  s.offset.y = s.curveY.At(t);
  s.RecomputeIndicators();
  Repaint();
}

void KineticList::OnSize(int width, int height) {
  ListScroller& s = scroller_;
  s.content = SIZE{width, static_cast<LONG>(rows_.TotalHeight())};
  const bool resized = width != s.view.cx || height != s.view.cy;
  if (resized) s.view = SIZE{width, height};
  s.RecomputeIndicators();
  if (resized) {
    s.indicatorBitmap.Reset();
    Repaint();
  }
}

bool KineticList::OnKeyUp(UINT vk) {
  const int count = rows_.Count();
  switch (vk) {
    case VK_UP:
      if (rows_.cursor < 0)
        SetCursor(count - 1);
      else
        SetCursor(rows_.cursor == 0 ? count - 1 : rows_.cursor - 1);
      return true;
    case VK_DOWN:
      if (rows_.cursor < 0)
        SetCursor(0);
      else
        SetCursor(rows_.cursor + 1 >= count ? 0 : rows_.cursor + 1);
      return true;
    case VK_RETURN:
      if (rows_.IsValid(rows_.cursor)) Activate(rows_.cursor, true);
      return true;
    default:
      return false;
  }
}

}  // namespace parlo
