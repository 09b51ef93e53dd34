// MainView: the first screen. A header with the title and its counts, the conversation list,
// and a footer with "문자 보내기" (tap: reply, hold: new message) and "삭제" (tap: the selected
// conversation, hold: everything). A tap on the title opens the program menu.
#pragma once
#include <windows.h>

#include "draw/gdi_holders.h"
#include "views/frame_view.h"
#include "views/main_view_list.h"

namespace parlo {

// The unread count changed (registry notification).
inline constexpr UINT UM_UNREAD_CHANGED = WM_USER + 30;  // 0x41E
inline constexpr int kConversationListId = 2210;

class MainView : public FrameView {
 public:
  static constexpr const WCHAR* kClassName = u"MainView";

  explicit MainView(const ViewContext& context);
  ~MainView() override;

  // For the frame's UM_SHOWLIST: rows from the model again.
  void OnShown(WPARAM, LPARAM) override { Refill(); }
  void Refill();
  // The conversation the footer and the talk key act on: the selected row, else the last one
  // opened while it still exists; -1 for none.
  int SelectedConversation() const;
  // The first record of that conversation (the frame's reply from the list), else null.
  MessageRecord* SelectedFirstRecord() const;

  ConversationList& list() { return list_; }
  int UnreadCount() const { return unread_; }
  const RECT& TitleRect() const { return title_; }
  const RECT& HeaderButtonRect() const { return headerButton_; }
  const RECT& LeftButtonRect() const { return buttons_.left.rect; }
  const RECT& RightButtonRect() const { return buttons_.right.rect; }

 protected:
  const WCHAR* ClassName() const override { return kClassName; }
  void OnCreate(int width, int height) override;
  void PaintView(HDC dc, int width, int height) override;
  void OnHold(FooterButtons::Which button) override;
  void OnDestroy() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPress(POINT p);
  void OnMove(POINT p);
  void OnRelease(POINT p);
  void ReadUnreadCount();
  void InitMenu(HMENU menu);
  void OnMenuCommand(UINT id);
  void ShowMenu(POINT p);
  void DeleteSelected();
  void DeleteEverything();
  void CallSelected();

  ConversationList list_;
  RECT header_{}, footer_{}, title_{}, headerButton_{};
  bool headerPressed_ = false;
  bool titlePressed_ = false;
  int32_t unread_ = 0;
  HANDLE unreadNotify_ = nullptr;
  BorrowedBitmap button_, buttonPressed_;
};

}  // namespace parlo
