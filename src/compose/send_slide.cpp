#include "compose/send_slide.h"

#include <memory>
#include <string_view>

#include "compose/slide_motion.h"
#include "draw/gdi_holders.h"
#include "draw/skin.h"
#include "program_ids.h"
#include "views/main_view_common.h"

namespace compose {
namespace {

constexpr UINT_PTR kGlideTimer = 1;
constexpr UINT kGlideMs = 40;
constexpr int kTrackWidth = 480;
constexpr int kTrackHeight = 55;
constexpr int kKnobWidth = 140;
constexpr int kKnobHeight = 55;

// The window's object: made by CreateSendSlide, deleted with the window.
class SendSlide {
 public:
  SendSlide(HBITMAP track, HBITMAP knob) : track_(track), knob_(knob) {}

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  SlideMotion& Motion() { return motion_; }

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnRelease();
  void SyncTimer();
  void Redraw();
  void Paint();

  HWND hwnd_ = nullptr;
  parlo::BorrowedBitmap track_, knob_;
  SlideMotion motion_{0, 0};
  bool timer_ = false;
  parlo::OffscreenImage image_;
};

SendSlide* FromWindow(HWND hwnd) {
  WCHAR name[16] = {};
  if (!hwnd || GetClassNameW(hwnd, name, 16) == 0 || std::u16string_view(name) != SEND_SLIDE_CLASS) return nullptr;
  return reinterpret_cast<SendSlide*>(GetWindowLongW(hwnd, GWL_USERDATA));
}

bool RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &SendSlide::WindowProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = SEND_SLIDE_CLASS;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

LRESULT CALLBACK SendSlide::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<SendSlide*>(GetWindowLongW(hwnd, GWL_USERDATA));
  if (!self && message == WM_NCCREATE) {
    // The window takes the object over from its maker here and deletes it at WM_NCDESTROY.
    auto* maker = static_cast<std::unique_ptr<SendSlide>*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self = maker->release();
    self->hwnd_ = hwnd;
    SetWindowLongW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongW(hwnd, GWL_USERDATA, 0);
    delete self;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT SendSlide::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_CREATE: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      motion_ = SlideMotion(client.right - client.left, client.bottom - client.top);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_LBUTTONDOWN:
      if (motion_.Locked()) return 0;
      SetCapture(hwnd_);
      motion_.Press(point);
      SyncTimer();
      if (motion_.Dragging()) Redraw();
      return 0;
    case WM_MOUSEMOVE:
      if (motion_.Move(point)) Redraw();
      SyncTimer();
      return 0;
    case WM_LBUTTONUP:
      OnRelease();
      return 0;
    case WM_CANCELMODE:
      // Someone else took the finger (a box came up): no end counts, the knob goes home.
      motion_.Cancel();
      SyncTimer();
      break;
    case WM_TIMER:
      if (wParam != kGlideTimer) break;
      motion_.Tick();
      SyncTimer();
      Redraw();
      return 0;
    case WM_DESTROY:
      if (timer_) KillTimer(hwnd_, kGlideTimer);
      timer_ = false;
      image_.Free();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void SendSlide::OnRelease() {
  if (GetCapture() == hwnd_) ReleaseCapture();
  const SlideRelease what = motion_.Release();
  SyncTimer();
  if (what == SlideRelease::kNothing) return;
  Redraw();
  // Last: the parent may hide or destroy the bar while it handles the command.
  HWND parent = GetParent(hwnd_);
  if (what == SlideRelease::kSend) SendMessageW(parent, WM_COMMAND, MAKEWPARAM(ID_SEND, 0), 0);
  else SendMessageW(parent, WM_COMMAND, MAKEWPARAM(ID_COMPOSE_CLOSE, 0), 0);
}

void SendSlide::SyncTimer() {
  if (motion_.Gliding() == timer_) return;
  timer_ = motion_.Gliding();
  if (timer_) SetTimer(hwnd_, kGlideTimer, kGlideMs, nullptr);
  else KillTimer(hwnd_, kGlideTimer);
}

void SendSlide::Redraw() {
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void SendSlide::Paint() {
  parlo::PaintHolder paint(hwnd_);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int w = client.right, h = client.bottom;
  HDC dc = image_.Begin(paint.dc(), w, h);
  if (track_) {
    // The track spans the bar, whose width is the screen's: the ends stay where the knob stops.
    parlo::DcHolder source(CreateCompatibleDC(dc));
    source.Select(track_.Get());
    StretchBlt(dc, 0, 0, w, h, source.Get(), 0, 0, kTrackWidth, kTrackHeight, SRCCOPY);
  } else {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  if (knob_) {
    const RECT& k = motion_.Knob();
    TransparentImage(dc, k.left, k.top, k.right - k.left, k.bottom - k.top, knob_.Get(), 0, 0, kKnobWidth,
                     kKnobHeight, RGB(0, 0, 0));
  }
  image_.End(paint.dc(), w, h);
}

}  // namespace

HWND CreateSendSlide(HWND parent, const RECT& rect, const parlo::Skin& skin) {
  if (!RegisterOnce()) return nullptr;
  // Still ours after a window that never got as far as WM_NCCREATE, and freed here then.
  auto slide = std::make_unique<SendSlide>(skin.Track(), skin.Knob());
  return CreateWindowExW(0, SEND_SLIDE_CLASS, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, nullptr, &slide);
}

void SetSendSlideLocked(HWND slide, bool locked) {
  if (SendSlide* self = FromWindow(slide)) self->Motion().SetLocked(locked);
}

bool SendSlideLocked(HWND slide) {
  SendSlide* self = FromWindow(slide);
  return self && self->Motion().Locked();
}

}  // namespace compose
