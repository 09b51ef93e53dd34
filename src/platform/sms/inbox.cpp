#include "platform/sms/inbox.h"

namespace platform::sms {
namespace {

std::unique_ptr<Inbox>& TheInbox() {
  static std::unique_ptr<Inbox> inbox;
  return inbox;
}

}  // namespace

void UseInbox(std::unique_ptr<Inbox> inbox) { TheInbox() = std::move(inbox); }

Inbox* CurrentInbox() { return TheInbox().get(); }

}  // namespace platform::sms
