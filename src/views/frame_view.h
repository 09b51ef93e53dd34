// FrameView: what every full-screen view shares. The frame creates, shows and hides views through
// it; a view adds only its own layout, painting, touch and commands.
#pragma once
#include <windows.h>

#include "views/main_view_common.h"
#include "views/view_context.h"

namespace parlo {

class FrameView {
 public:
  virtual ~FrameView();
  FrameView(const FrameView&) = delete;
  FrameView& operator=(const FrameView&) = delete;

  // Creates the view's window as a visible child of `frame` covering `rect`; null on failure.
  HWND CreateViewWindow(HWND frame, const RECT& rect);
  HWND Window() const { return hwnd_; }
  // The frame is about to show the view for a view message with these parameters.
  virtual void OnShown(WPARAM wParam, LPARAM lParam) {}
  // A chance to take a message before it is dispatched; views take none so far.
  virtual bool PreTranslateMessage(MSG*) { return false; }

 protected:
  explicit FrameView(const ViewContext& context) : context_(context) {}

  // The registered class name, which is also how `screen` reports the view.
  virtual const WCHAR* ClassName() const = 0;
  // WM_CREATE, with the client size.
  virtual void OnCreate(int width, int height) = 0;
  // Draws the whole view into the off-screen image; the base copies it to the screen.
  virtual void PaintView(HDC dc, int width, int height) = 0;
  // A held footer button's timer ran out.
  virtual void OnHold(FooterButtons::Which button) {}
  virtual void OnDestroy() {}
  // Everything else; the default hands it to DefWindowProcW.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  LRESULT SendToFrame(UINT message, WPARAM wParam, LPARAM lParam) const {
    return context_.SendToFrame(message, wParam, lParam);
  }
  void Invalidate(const RECT& r) { InvalidateRect(hwnd_, &r, FALSE); }

  ViewContext context_;
  HWND hwnd_ = nullptr;
  FooterButtons buttons_;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  OffscreenImage image_;
};

}  // namespace parlo
