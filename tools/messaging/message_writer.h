// How the phone's messaging software writes a message into the store: received ones unread in
// \RECV_MSG, sent ones read in \SEND_MSG, each with a fresh message identifier, and the system's
// unread count with the new-message notification kept up to date. parlo-device and the modem's
// intake in parlo both write through here, so a message looks the same whichever way it came.
#pragma once
#include <string>

#include "messaging/store.h"
#include "store/message_record.h"

namespace parlo_device {

// The limits of the program's record buffers, less their terminators.
constexpr size_t kMaxText = kTextChars - 1, kMaxNumber = kFieldChars - 1;

// A message as the phone's software stores it, checked before anything is written.
struct NewMessage {
  std::u16string number, text;
  SYSTEMTIME time{};
  bool mms = false;
};

// Call these inside the store's Begin and Commit: the identifier is chosen and the record
// written as one change. Each throws a UsageError when the store refuses.
CEOID WriteReceived(Store& store, const NewMessage& m, bool read = false);
CEOID WriteSent(Store& store, const NewMessage& m);

// Publishes the received database's unread count; `announce` also sets the shell's new-message
// notification while messages are unread (it is removed when none are).
void PublishUnread(HANDLE recv, bool announce);

}  // namespace parlo_device
