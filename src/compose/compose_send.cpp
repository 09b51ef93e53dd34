// ID_SEND: the fields go to the sending, with the slide bar locked while it runs.
#include <algorithm>

#include "compose/send_slide.h"
#include "compose/send_text.h"
#include "compose/send_view.h"
#include "contacts/contact_book.h"
#include "model/message_store.h"

namespace compose {

int SendView::Send() {
  // A second ID_SEND while the first is still under way (from the frame, behind a box) waits
  // its turn by being dropped: one tap, one message.
  if (flags_.sending) return SEND_FAILED;
  ComposedMessage message;
  message.text = FieldText(IDC_TEXT, kTextFieldChars);
  message.recipient = FieldText(IDC_RECIPIENT, kRecipientFieldChars);
  message.callback = FieldText(IDC_SENDER, kCallbackFieldChars);
  message.callbackEnabled = flags_.senderEnabled;
  message.pickedFromContacts = flags_.picked;
  message.replySource = flags_.replySource ? Source() : nullptr;

  flags_.sending = true;
  if (slide_) SetSendSlideLocked(slide_, true);
  parlo::ContactBook emptyBook(nullptr);
  const int result = SendComposedText(message, context_.store, context_.contacts ? *context_.contacts : emptyBook);
  if (slide_) SetSendSlideLocked(slide_, false);
  flags_.sending = false;
  flags_.picked = message.pickedFromContacts;

  if (result == SEND_OK) {
    SendMessageW(hwnd_, WM_COMMAND, ID_COMPOSE_CLOSE, 0);
    return result;
  }
  MessageBoxW(hwnd_, SendResultText(result), SendResultTitle(result), MB_OK);
  if (result == SEND_NOT_DIGITS || result == SEND_EMPTY) ShowComposeInput();
  SetFocus(Control(IDC_TEXT));
  return result;
}

}  // namespace compose
