// SendView: writing a short message. A top bar with the byte and page counter and the back
// button, the text field, the sender (callback) number with its switch "보낼사람", the
// recipient with the button "받는사람" towards the contact picker, and the slide bar along the
// bottom: to the right end sends, to the left end goes back.
#pragma once
#include <windows.h>

#include <string>

#include "compose/compose_counter.h"
#include "compose/compose_layout.h"
#include "compose/mms_hand_over.h"
#include "program_ids.h"
#include "draw/gdi_holders.h"
#include "store/message_record.h"
#include "views/frame_view.h"

namespace compose {

// The fields as they are read for sending and for the hand-over.
inline constexpr int kTextFieldChars = 1024;
inline constexpr int kRecipientFieldChars = 1024;
inline constexpr int kCallbackFieldChars = 260;

struct ComposeFlags {
  bool initialised = false;    // recipient edits count as the user's only once set up
  bool replySource = false;    // the recipient is the sender of the message answered
  bool forward = false;
  bool picked = false;         // the recipient is the first contact of the group list
  bool backPressed = false;
  bool mmsDeclined = false;    // the hand-over was refused for this message
  bool senderEnabled = false;  // the sender (callback) number is on
  bool sending = false;
};

class SendView : public parlo::FrameView {
 public:
  static constexpr const WCHAR* kClassName = u"SendView";

  explicit SendView(const parlo::ViewContext& context);
  ~SendView() override;

  // ---- Set-ups, one for each request to show the view ----
  // A new message: no text, no recipient, or the command line's number.
  void ResetCompose(bool withCommandLineNumber);
  // The recipient chosen in the contact picker; the text stays.
  void ComposeToPicked();
  // An answer to `record`'s sender.
  void ComposeReply(const MessageRecord& record);
  // `record`'s text, all of it selected, for a recipient still to be chosen.
  void ComposeForward(const MessageRecord& record);

  // Raises the input panel, lays the fields out above it and puts the focus into the text.
  void ShowComposeInput();
  // Recounts the text with `extra` bytes of a syllable being composed; past one page it offers
  // the multimedia composer once.
  void UpdateCounter(int extra);
  // Sends what the view holds (ID_SEND); returns the SendResult.
  int Send();
  // Hands the text over to the multimedia composer, which closes the view once it runs.
  void LaunchMmsComposer();

  const ComposeFlags& Flags() const { return flags_; }
  // The record answered or forwarded: the view's own copy, as it was when the set-up ran.
  const MessageRecord* Source() const { return hasSource_ ? &source_ : nullptr; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  // A field's text, up to `limit` characters.
  std::u16string FieldText(int id, int limit) const;
  const std::u16string& Counter() const { return counter_; }
  const ComposeLayout& Layout() const { return layout_; }
  const RECT& BackButtonRect() const { return back_; }
  HWND Slide() const { return slide_; }

  // Tests start their own composer instead of the phone's.
  void SetMmsLaunchForTests(MmsLaunch launch) { mmsLaunch_ = launch; }

 protected:
  const WCHAR* ClassName() const override { return kClassName; }
  void OnCreate(int width, int height) override;
  void PaintView(HDC dc, int width, int height) override;
  void OnDestroy() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void PlaceBars(int width, int height);
  void OnControl(int id, int code);
  void Close(bool towardsContacts);
  void OnPress(POINT p);
  void OnRelease(POINT p);
  // The sender field back to "나", switched off.
  void ResetSender();
  void SetField(int id, const WCHAR* text);
  void EmptyGroupList();
  void KeepSource(const MessageRecord& record);

  ComposeFlags flags_;
  MessageRecord source_{};
  bool hasSource_ = false;
  bool asking_ = false;  // the hand-over question is open
  std::u16string counter_;
  ComposeLayout layout_;
  RECT topBar_{}, back_{};
  HWND slide_ = nullptr;
  parlo::FontHolder textFont_;
  parlo::BorrowedBitmap button_, buttonPressed_;
  MmsLaunch mmsLaunch_;
};

}  // namespace compose
