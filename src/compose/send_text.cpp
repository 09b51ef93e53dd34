// Sending what the compose view holds: the fields checked, the number found, the text sent part
// by part and each part recorded in the sent database and the conversations.
#include "compose/send_text.h"

#include <memory>
#include <vector>

#include "contacts/contact_book.h"
#include "model/message_store.h"
#include "windows.h"

namespace compose {
namespace {

constexpr int kPartBytes = 80;
// The callback number travels as at most 31 single-byte characters (SendShortMessage).
constexpr size_t kMaxCallbackDigits = 31;

// The system's wait cursor while the send runs; the previous cursor comes back on every path.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

// The contact's chosen number (mobile, business or home), without its dashes.
std::u16string PickedNumber(const parlo::ContactEntry& contact) {
  const WCHAR* numbers[] = {contact.mobile, contact.business, contact.home};
  const int which = contact.selectedNumber >= 0 && contact.selectedNumber < 3 ? contact.selectedNumber : 0;
  const WCHAR* chosen = numbers[which];
  std::u16string number;
  for (size_t i = 0; i < sizeof contact.mobile / sizeof(WCHAR) && chosen[i]; ++i)
    if (chosen[i] != u'-') number.push_back(chosen[i]);
  return number;
}

}  // namespace

int SendComposedText(ComposedMessage& message, MessageStore& store, parlo::ContactBook& contacts) {
  WaitCursor wait;
  if (message.text.empty() || message.recipient.empty()) return SEND_EMPTY;
  std::u16string callback;
  if (message.callbackEnabled) {
    if (message.callback.empty()) return SEND_EMPTY;
    // Longer than the provider block holds is refused like any number that cannot be sent as typed.
    if (!IsAllDigits(message.callback) || message.callback.size() > kMaxCallbackDigits) return SEND_NOT_DIGITS;
    callback = message.callback;
  }

  std::u16string number;
  if (message.pickedFromContacts) {
    std::vector<parlo::ContactEntry*>& group = contacts.GroupList();
    if (!group.empty() && group.front()) number = PickedNumber(*group.front());
    if (number.empty()) return SEND_EMPTY;  // nobody picked after all, or a contact without that number
    group.clear();
    message.pickedFromContacts = false;
  } else if (!message.replySource) {
    if (!IsAllDigits(message.recipient)) return SEND_NOT_DIGITS;
    number = message.recipient;
  } else {
    number = message.replySource->number;
  }

  // The parts are cut until the text is used up. (Counting them first from ByteLength, which
  // counts carriage returns as nothing while CutPart counts them, would leave the end unsent.)
  int result = SEND_OK;
  const std::u16string_view text = message.text;
  size_t position = 0;
  for (int part = 0; position < text.size(); ++part) {
    std::u16string piece;
    const int taken = CutPart(text.substr(position), &piece, kPartBytes);
    if (taken <= 0) break;  // only a limit below one character's width takes nothing
    if (!SendShortMessage(number, piece, callback)) return SEND_FAILED;
    auto record = std::make_unique<MessageRecord>();
    if (store.WriteSentRecord(DB_SEND, number.c_str(), piece.c_str(), part, record.get()))
      store.AddNewestRecord(std::move(record));  // appended, in the default oldest-first order
    else
      result = SEND_STORE_FAILED;  // the part is out; the next ones still go
    position += static_cast<size_t>(taken);
  }
  return result;
}

const WCHAR* SendResultText(int result) {
  switch (result) {
    case SEND_NOT_DIGITS: return u"받는사람은 숫자만 가능합니다.";
    case SEND_STORE_FAILED: return u"EDB 저장 실패";
    case SEND_FAILED: return u"메시지 전송 실패";
    case SEND_EMPTY: return u"입력된 값이 없습니다.";
    default: return u"";
  }
}

const WCHAR* SendResultTitle(int result) {
  switch (result) {
    case SEND_NOT_DIGITS:
    case SEND_EMPTY: return u"확인";
    case SEND_STORE_FAILED:
    case SEND_FAILED: return u"에러";
    default: return u"";
  }
}

}  // namespace compose
