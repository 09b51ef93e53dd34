// The set-ups the frame runs before it shows the compose view. Each clears `initialised`
// first, so the recipient it writes is not taken for an edit by the user.
#include "compose/forward_text.h"
#include "compose/send_view.h"
#include "contacts/contact_book.h"
#include "model/message_store.h"
#include "settings/settings.h"

namespace compose {

void SendView::ResetCompose(bool withCommandLineNumber) {
  flags_.initialised = false;
  flags_.replySource = flags_.forward = flags_.picked = false;
  flags_.mmsDeclined = false;
  hasSource_ = false;
  ResetSender();
  SetField(IDC_TEXT, u"");
  SetField(IDC_RECIPIENT, withCommandLineNumber ? context_.settings.start_number : u"");
  UpdateCounter(0);
  flags_.initialised = true;
}

void SendView::ComposeToPicked() {
  flags_.initialised = false;
  flags_.picked = false;
  flags_.mmsDeclined = false;
  ResetSender();
  parlo::ContactBook* book = context_.contacts;
  if (book && !book->GroupList().empty()) {
    SetField(IDC_RECIPIENT, book->GroupList().front()->name);
    flags_.picked = true;
    flags_.replySource = flags_.forward = false;
  }
  flags_.initialised = true;
}

void SendView::ComposeReply(const MessageRecord& record) {
  flags_.initialised = false;
  flags_.picked = false;
  flags_.mmsDeclined = false;
  flags_.replySource = true;
  flags_.forward = false;
  KeepSource(record);
  SetField(IDC_TEXT, u"");
  ResetSender();
  SetField(IDC_RECIPIENT, context_.store.DisplayNameFor(source_.number));
  UpdateCounter(0);
  flags_.initialised = true;
}

void SendView::ComposeForward(const MessageRecord& record) {
  flags_.initialised = false;
  flags_.forward = true;
  KeepSource(record);
  flags_.replySource = flags_.picked = false;
  flags_.mmsDeclined = false;
  ResetSender();
  const std::u16string text = ForwardedText(source_.text);
  SetField(IDC_TEXT, text.c_str());
  SendMessageW(Control(IDC_TEXT), EM_SETSEL, 0, -1);
  SetField(IDC_RECIPIENT, u"");
  UpdateCounter(0);
  flags_.initialised = true;
}

void SendView::ResetSender() {
  flags_.senderEnabled = false;
  SetField(IDC_SENDER, u"나");
  EnableWindow(Control(IDC_SENDER), FALSE);
}

void SendView::SetField(int id, const WCHAR* text) {
  if (HWND field = Control(id)) SetWindowTextW(field, text ? text : u"");
}

void SendView::EmptyGroupList() {
  if (context_.contacts) context_.contacts->GroupList().clear();
}

void SendView::KeepSource(const MessageRecord& record) {
  // A copy: the model may drop the record (a deletion elsewhere, a refresh) while the user
  // is still writing the answer.
  source_ = record;
  hasSource_ = true;
}

}  // namespace compose
