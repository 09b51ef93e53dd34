// The real network: short messages through ModemManager on the system bus (libmm-glib), for a
// Linux phone. Sending creates an Sms object on the modem, sends it, waits for the answer and
// deletes it again. Messages the modem received go to the inbox (inbox.h), those waiting at
// connection first, then each as it arrives; the modem's copy is deleted once the inbox has it.
#pragma once
#include <memory>
#include <string>

#include "platform/sms/network.h"

namespace platform::sms {

// Call on the UI thread. Connects to ModemManager and takes its first modem that can message;
// nothing, with *why, when there is no such modem. Received messages are taken in only when
// an inbox is set (UseInbox) before the call.
std::unique_ptr<Network> ConnectModem(std::string* why);

}  // namespace platform::sms
