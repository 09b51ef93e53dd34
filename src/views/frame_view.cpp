#include "views/frame_view.h"

#include "views/window_binding.h"

namespace parlo {
namespace {

// Child, visible, clipping its siblings and children: the style of every view window.
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

bool RegisterViewClass(const WCHAR* name, WNDPROC proc) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = name;
  return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

FrameView::~FrameView() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND FrameView::CreateViewWindow(HWND frame, const RECT& rect) {
  if (hwnd_ || !RegisterViewClass(ClassName(), &FrameView::WindowProc)) return nullptr;
  CreateWindowExW(0, ClassName(), u"", kViewStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, frame, nullptr, nullptr, this);
  return hwnd_;
}

LRESULT CALLBACK FrameView::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return BoundWindowProc(hwnd, message, wParam, lParam, &FrameView::hwnd_, &FrameView::HandleMessage);
}

LRESULT FrameView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      buttons_.Clear();
      OnCreate(cs->cx, cs->cy);
      return 0;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      OnDestroy();
      image_.Free();
      return 0;
    case WM_TIMER:
      if (wParam == kLeftHoldTimer || wParam == kRightHoldTimer) {
        OnHold(buttons_.HoldEnded(hwnd_, wParam));
        return 0;
      }
      break;
  }
  return OnMessage(message, wParam, lParam);
}

LRESULT FrameView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void FrameView::Paint() {
  PaintHolder paint(hwnd_);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (!paint.dc() || width <= 0 || height <= 0) return;
  HDC dc = image_.Begin(paint.dc(), width, height);
  PaintView(dc, width, height);
  image_.End(paint.dc(), width, height);
}

}  // namespace parlo
