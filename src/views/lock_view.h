// LockView: the lock screen. A clock strip on top and three by three dots below; the user draws
// the password over the dots with one finger. The right pattern sends the frame back to the
// view it showed before; a wrong one is wiped 100 ms after the finger lifts.
#pragma once
#include <windows.h>

#include <cstddef>

#include "draw/gdi_holders.h"
#include "views/frame_view.h"
#include "views/lock_layout.h"
#include "views/lock_pattern.h"

namespace parlo {

// The system clock value changed (registry notification): a new minute.
inline constexpr UINT UM_CLOCKCHANGED = WM_USER + 20;  // 1044

class LockView : public FrameView {
 public:
  static constexpr const WCHAR* kClassName = u"LockView";
  static constexpr UINT kWipeMs = 100;

  explicit LockView(const ViewContext& context);
  ~LockView() override;

  // Once, before the window is made: the password is read here and kept for the program's run.
  void LoadPassword();

  const LockLayout& Layout() const { return layout_; }
  const LockPattern& Password() const { return password_; }
  const LockGesture& Gesture() const { return gesture_; }
  const WCHAR* ClockText() const { return clock_; }

 protected:
  const WCHAR* ClassName() const override { return kClassName; }
  void OnCreate(int width, int height) override;
  void PaintView(HDC dc, int width, int height) override;
  void OnDestroy() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnFingerDown(POINT p);
  void OnFingerMove(POINT p);
  void OnFingerUp();
  void FormatClock();
  void CloseClockNotification();

  void DrawBackground(HDC dc, int width, int height);
  void DrawNewSegments(HDC dc);
  void DrawDotsAndClock(HDC dc);
  void DrawOnKey(HDC dc, HBITMAP bitmap, int key);

  LockLayout layout_;
  LockPattern password_;
  LockGesture gesture_;
  WCHAR clock_[16] = {};
  FontHolder clockFont_;
  BorrowedBitmap background_, dot_, dotSelected_;
  DcHolder backgroundDc_;
  BitmapHolder shade_;  // black, the clock strip's size: darkens it
  DcHolder shadeDc_;
  SIZE painted_{0, 0};  // the off-screen image's size at the last paint
  bool redraw_ = true;  // the next paint draws background, dots and clock afresh
  size_t drawn_ = 0;    // keys of the gesture already drawn into the off-screen image
  HANDLE clockNotify_ = nullptr;
};

}  // namespace parlo
