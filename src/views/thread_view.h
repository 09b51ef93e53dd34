// ThreadView: one conversation. A header with the correspondent's picture, name and message
// count and a back button, the messages, and a footer with "답장" (tap: reply, hold: hand the
// message to the multimedia composer) and "삭제" (tap: delete it, hold: forward it).
#pragma once
#include <windows.h>

#include <functional>

#include "draw/gdi_holders.h"
#include "views/frame_view.h"
#include "views/thread_view_list.h"

namespace parlo {

inline constexpr int kMessageListId = 1001;

class ThreadView : public FrameView {
 public:
  static constexpr const WCHAR* kClassName = u"ThreadView";
  // What the hand-off worker runs: the mode ("3" or "4") and the message identifier.
  using MmsLauncher = std::function<bool(const WCHAR* mode, const WCHAR* messageId)>;

  explicit ThreadView(const ViewContext& context);

  // For the frame's UM_SHOWTHREAD: the conversation at that position of the model.
  void OnShown(WPARAM wParam, LPARAM) override { Open(static_cast<int>(wParam)); }
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

 protected:
  const WCHAR* ClassName() const override { return kClassName; }
  void OnCreate(int width, int height) override;
  void PaintView(HDC dc, int width, int height) override;
  void OnHold(FooterButtons::Which button) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPress(POINT p);
  void OnMove(POINT p);
  void OnRelease(POINT p);
  void Fill();
  void DeleteSelected();
  void HandOffSelected();
  void CallSelected();

  MessageList list_;
  RECT header_{}, footer_{}, back_{};
  bool backPressed_ = false;
  HBITMAP picture_ = nullptr;  // borrowed from the contact book
  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  BorrowedBitmap button_, buttonPressed_, defaultPicture_;
  int defaultWidth_ = 0;
  int defaultHeight_ = 0;
};

}  // namespace parlo
