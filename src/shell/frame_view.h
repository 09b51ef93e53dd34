// What the frame needs of each of its full-screen views.
#pragma once
#include <windows.h>

// Child, visible, clip siblings, clip children: the style of every view window.
#define VIEW_STYLE 0x56000000L

class FrameView {
 public:
  virtual ~FrameView() = default;
  // Creates the view's window as a child of `frame` covering `rect` with VIEW_STYLE.
  virtual HWND CreateViewWindow(HWND frame, const RECT& rect) = 0;
  virtual HWND Window() const = 0;
  // A chance to take a message before it is dispatched; views take none so far.
  virtual bool PreTranslateMessage(MSG*) { return false; }
};
