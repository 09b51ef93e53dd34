#include "views/lock_view.h"

#include <algorithm>

#include "aygshell.h"
#include "draw/dpi.h"
#include "draw/point_font.h"
#include "draw/skin.h"
#include "settings/settings.h"
#include "views/view_mode.h"

namespace parlo {
namespace {

const WCHAR kDateTimeKey[] = u"System\\State\\DateTime";
const WCHAR kTimeValue[] = u"Time";

constexpr UINT_PTR kWipeTimer = 3;  // 1 and 2 are the footer's hold timers
constexpr int kLineWidth = 20;      // pixels at every dpi
constexpr COLORREF kLineColour = RGB(123, 123, 192);
constexpr BYTE kClockShade = 0x60;
constexpr COLORREF kKeyColour = RGB(0, 0, 0);  // the dots' transparent colour

}  // namespace

LockView::LockView(const ViewContext& context) : FrameView(context) {}

LockView::~LockView() {
  // The window goes after this part of the object; its notification must not outlive it.
  CloseClockNotification();
}

void LockView::LoadPassword() {
  password_ = PatternFromPassword(context_.settings.password);
  FormatClock();
}

void LockView::FormatClock() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  StringCchPrintfW(clock_, 16, u"%d%d:%d%d", now.wHour / 10, now.wHour % 10, now.wMinute / 10, now.wMinute % 10);
}

void LockView::OnCreate(int width, int height) {
  Skin& skin = context_.skin;
  skin.LoadLockBitmaps();
  CreatePointFont(clockFont_, 420, u"Tahoma", nullptr, false, false);
  layout_ = ComputeLockLayout(width, height, ScreenDpi(DpiAxis::Horizontal), ScreenDpi(DpiAxis::Vertical));
  gesture_.Clear();
  background_.Reset(skin.LockBackground());
  dot_.Reset(skin.Dot());
  dotSelected_.Reset(skin.DotSelected());
  redraw_ = true;
  HREGNOTIFY notify = nullptr;
  if (SUCCEEDED(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, kDateTimeKey, kTimeValue, hwnd_, UM_CLOCKCHANGED, 0,
                                     nullptr, &notify)))
    clockNotify_ = notify;
}

void LockView::OnDestroy() {
  CloseClockNotification();
  backgroundDc_.Reset();
  shadeDc_.Reset();
  shade_.Reset();
}

void LockView::CloseClockNotification() {
  if (clockNotify_) RegistryCloseNotification(clockNotify_);
  clockNotify_ = nullptr;
}

LRESULT LockView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_LBUTTONDOWN:
      OnFingerDown(point);
      return 0;
    case WM_MOUSEMOVE:
      OnFingerMove(point);
      return 0;
    case WM_LBUTTONUP:
      OnFingerUp();
      return 0;
    case WM_TIMER:
      if (wParam != kWipeTimer) break;
      KillTimer(hwnd_, kWipeTimer);
      Invalidate(layout_.pad);
      return 0;
    case UM_CLOCKCHANGED:
      // The off-screen image is drawn afresh; only the strip reaches the screen.
      redraw_ = true;
      FormatClock();
      Invalidate(layout_.clock);
      return 0;
    default:
      break;
  }
  return FrameView::OnMessage(message, wParam, lParam);
}

// ---- The finger ----

void LockView::OnFingerDown(POINT p) {
  SetCapture(hwnd_);
  const int key = LockKeyAt(layout_, p);
  if (gesture_.Touch(key)) Invalidate(layout_.keys[key]);
}

void LockView::OnFingerMove(POINT p) {
  // The whole pad: the line to the new key crosses it.
  if (gesture_.Touch(LockKeyAt(layout_, p))) Invalidate(layout_.pad);
}

void LockView::OnFingerUp() {
  redraw_ = true;
  const bool match = gesture_.Matches(password_);
  gesture_.Clear();
  drawn_ = 0;
  if (match) {
    // A gesture finished after another view took the screen (a second launch, a new message)
    // opens nothing: the frame is no longer behind this lock.
    if (IsWindowVisible(hwnd_)) SendToFrame(UM_SHOWPREVIOUS, 0, 0);
  } else {
    // A timer rather than a pause: the program keeps answering while the wrong line shows.
    SetTimer(hwnd_, kWipeTimer, kWipeMs, nullptr);
  }
  if (GetCapture() == hwnd_) ReleaseCapture();
}

// ---- Painting, on the view's persistent off-screen image ----

void LockView::PaintView(HDC dc, int width, int height) {
  if (painted_.cx != width || painted_.cy != height) {
    // A new image holds nothing yet.
    painted_ = SIZE{width, height};
    redraw_ = true;
  }
  if (redraw_) DrawBackground(dc, width, height);
  DrawNewSegments(dc);
  if (redraw_) {
    DrawDotsAndClock(dc);
    redraw_ = false;
  }
}

void LockView::DrawBackground(HDC dc, int width, int height) {
  if (!backgroundDc_ && background_) {
    backgroundDc_.Reset(CreateCompatibleDC(dc));
    backgroundDc_.Select(background_.Get());
  }
  if (backgroundDc_) {
    BitBlt(dc, 0, 0, width, height, backgroundDc_.Get(), 0, 0, SRCCOPY);
  } else {
    // Without the skin, black: a wrong pattern is still wiped.
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
}

void LockView::DrawNewSegments(HDC dc) {
  const LockPattern& keys = gesture_.Entered();
  const size_t n = keys.size();
  if (n == 0) {
    drawn_ = 0;
    return;
  }
  if (n == 1) {
    DrawOnKey(dc, dotSelected_.Get(), keys[0]);
  } else {
    // Every segment added since the last paint (moves can arrive faster than paints); after a
    // fresh background only the newest one.
    const size_t first = redraw_ ? n - 1 : std::clamp<size_t>(drawn_, 1, n - 1);
    PenHolder pen(CreatePen(PS_SOLID, kLineWidth, kLineColour));
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    for (size_t i = first; i < n; ++i) {
      const POINT from = layout_.centres[keys[i - 1]], to = layout_.centres[keys[i]];
      MoveToEx(dc, from.x, from.y, nullptr);
      LineTo(dc, to.x, to.y);
    }
    SelectObject(dc, oldPen);
    for (size_t i = n; i-- > first - 1;) DrawOnKey(dc, dotSelected_.Get(), keys[i]);
  }
  drawn_ = n;
}

void LockView::DrawDotsAndClock(HDC dc) {
  for (int k = 0; k < kLockKeys; ++k) DrawOnKey(dc, dot_.Get(), k);

  const RECT& strip = layout_.clock;
  const int stripWidth = strip.right - strip.left, stripHeight = strip.bottom - strip.top;
  if (!shadeDc_ && stripWidth > 0 && stripHeight > 0) {
    shade_.Reset(CreateCompatibleBitmap(dc, stripWidth, stripHeight));
    shadeDc_.Reset(CreateCompatibleDC(dc));
    shadeDc_.Select(shade_.Get());
    RECT all{0, 0, stripWidth, stripHeight};
    FillRect(shadeDc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  if (shadeDc_) {
    const BLENDFUNCTION shade{AC_SRC_OVER, 0, kClockShade, 0};
    AlphaBlend(dc, strip.left, strip.top, stripWidth, stripHeight, shadeDc_.Get(), 0, 0, stripWidth, stripHeight,
               shade);
  }
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, clockFont_.Get());
  RECT text = strip;
  DrawTextW(dc, clock_, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}

void LockView::DrawOnKey(HDC dc, HBITMAP bitmap, int key) {
  if (!bitmap || key < 0 || key >= kLockKeys) return;
  const RECT& r = layout_.keys[key];
  const int w = r.right - r.left, h = r.bottom - r.top;
  TransparentImage(dc, r.left, r.top, w, h, bitmap, 0, 0, w, h, kKeyColour);
}

}  // namespace parlo
