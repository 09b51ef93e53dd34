// The phone's messaging software as a network that receives reaches it: the modem hands each
// message it received to the inbox, and lets go of its own copy only once the inbox has it.
#pragma once
#include <memory>
#include <string>

#include "windef.h"

namespace platform::sms {

// One complete message as the network received it (parts already joined).
struct ReceivedMessage {
  std::string origin;  // where the network holds it (the modem's object path)
  std::string stamp;   // the service centre's time stamp, as the network gives it
  std::u16string from, text;
  SYSTEMTIME time{};   // the stamp as local time (now when the network gave none)
};

enum class Intake {
  kStored,        // written and committed just now
  kStoredBefore,  // the same message was committed earlier and the network still held it
  kFailed,        // the store refused: the network keeps the message for a later try
};

class Inbox {
 public:
  virtual ~Inbox() = default;
  // On the UI thread. A message committed here is recognised when offered again, until Forget.
  virtual Intake Take(const ReceivedMessage& message, std::string* why) = 0;
  // The network no longer holds `message`, which Take stored: no need to recognise it again.
  virtual void Forget(const ReceivedMessage& message) = 0;
};

// The inbox networks that receive hand their messages to; null until the program sets one.
void UseInbox(std::unique_ptr<Inbox> inbox);
Inbox* CurrentInbox();

}  // namespace platform::sms
