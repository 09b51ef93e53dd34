// ThreadView: one conversation. A header with the correspondent's picture, name and message
// count and a back button, the messages, and a footer with "답장" (tap: reply, hold: hand the
// message to the multimedia composer) and "삭제" (tap: delete it, hold: forward it).
#pragma once
#include <windows.h>

#include <functional>

#include "shell/draw/gdi_holders.h"
#include "shell/frame_view.h"
#include "views/main_view_common.h"
#include "views/thread_view_list.h"

namespace parlo {

inline constexpr int kMessageListId = 1001;

class ThreadView : public FrameView {
 public:
  static constexpr const WCHAR* kClassName = u"ThreadView";
  // What the hand-off worker runs: the mode ("3" or "4") and the message identifier.
  using MmsLauncher = std::function<bool(const WCHAR* mode, const WCHAR* messageId)>;

  ThreadView() = default;
  ~ThreadView() override;
  ThreadView(const ThreadView&) = delete;
  ThreadView& operator=(const ThreadView&) = delete;

  HWND CreateViewWindow(HWND frame, const RECT& rect) override;
  HWND Window() const override { return hwnd_; }

  // For the frame's UM_SHOWTHREAD: opens the conversation at that position of the model.
  void Open(int position);
  int Position() const { return list_.Position(); }
  // The record under the cursor (the frame's reply and forward), else null.
  MessageRecord* CursorRecord() const { return list_.RecordAt(list_.CursorRow()); }
  // What the frame replies to or forwards: the cursor's record, else the conversation's first.
  MessageRecord* ReplyRecord() const {
    MessageRecord* record = CursorRecord();
    return record ? record : list_.RecordAt(0);
  }

  MessageList& list() { return list_; }
  const RECT& BackButtonRect() const { return back_; }
  const RECT& LeftButtonRect() const { return buttons_.left.rect; }
  const RECT& RightButtonRect() const { return buttons_.right.rect; }

  // Tests replace the composer launch, which runs on the worker thread.
  static void SetMmsLauncherForTests(MmsLauncher launcher);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void OnCreate(int width, int height);
  void Paint();
  void OnPress(POINT p);
  void OnMove(POINT p);
  void OnRelease(POINT p);
  void OnHoldTimer(UINT_PTR id);
  void DeleteSelected();
  void HandOffSelected();
  void CallSelected();
  void Invalidate(const RECT& r) { InvalidateRect(hwnd_, &r, FALSE); }

  HWND hwnd_ = nullptr;
  MessageList list_;
  RECT header_{}, footer_{}, back_{};
  FooterButtons buttons_;
  bool backPressed_ = false;
  HBITMAP picture_ = nullptr;  // borrowed from the contact book
  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  BorrowedBitmap button_, buttonPressed_, defaultPicture_;
  int defaultWidth_ = 0;
  int defaultHeight_ = 0;
  OffscreenImage image_;
};

}  // namespace parlo
