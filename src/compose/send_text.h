// Sending what the compose view holds: the fields checked, the text cut into parts of at most 80
// bytes, each part handed to the short-message service and recorded as a sent message.
#pragma once
#include <string>

#include "windef.h"

class MessageStore;
struct MessageRecord;
namespace parlo {
class ContactBook;
}

namespace compose {

enum SendResult : int {
  SEND_OK = 0,             // every part sent and recorded
  SEND_NOT_DIGITS = 1,     // a recipient or callback number that is not all digits
  SEND_STORE_FAILED = 2,   // a part went out but could not be recorded
  SEND_FAILED = 3,         // the service refused a part; later parts were not sent
  SEND_EMPTY = 4,          // no text, no recipient, or an enabled but empty callback number
};

// The compose view's fields and flags at the moment the user sends.
struct ComposedMessage {
  std::u16string text;       // the text field, at most 1024 characters
  std::u16string recipient;  // the recipient field, at most 1024 characters
  std::u16string callback;   // the sender field, at most 260 characters
  bool callbackEnabled = false;
  bool pickedFromContacts = false;            // cleared when the group list has been used
  const MessageRecord* replySource = nullptr; // the message answered, when the recipient came from it
};

// Bytes as the counter and the parts count them: below 129 one, else two, carriage return none.
int ByteLength(std::u16string_view text);
// The next part of at most `limit` bytes (a carriage return counts one here; a two-byte character
// is never split). Returns the characters taken.
int CutPart(std::u16string_view text, std::u16string* part, int limit);
// Every character a decimal digit; an empty text counts as all digits.
bool IsAllDigits(std::u16string_view text);

// One part through the short-message service; on a refused send it shows the service's error box.
bool SendShortMessage(const std::u16string& number, const std::u16string& text, const std::u16string& callback);

// Sends and records every part (the wait cursor shows meanwhile). Empties the contact book's group
// list when the recipient was picked from it. Returns a SendResult.
int SendComposedText(ComposedMessage& message, MessageStore& store, parlo::ContactBook& contacts);

// The box for a result other than SEND_OK: its text and title.
const WCHAR* SendResultText(int result);
const WCHAR* SendResultTitle(int result);

}  // namespace compose
