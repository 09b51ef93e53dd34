// The network behind the short-message service (sms.dll): the one seam between the phone's SMS
// calls and whatever carries the messages. Today that is the simulated network (DIR/network);
// a modem (ModemManager) can take its place without the program above noticing.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "windef.h"

namespace platform::sms {

// One message as SmsSendMessage hands it over, its arguments decoded.
struct OutgoingMessage {
  std::u16string to;        // the destination address
  std::u16string text;      // the message data, UTF-16
  std::u16string callback;  // from the text provider's header data; empty when none
  std::u16string smsc;      // the service centre asked for; empty for the network's own
  SYSTEMTIME time{};        // the local time it was handed over
  int messageClass = -1;    // 0 to 3 as the provider block asks; -1 when it asks for none
};

enum class Delivery {
  kSent,
  kRefused,      // the network would not take it
  kUnavailable,  // no network to hand it to (no radio, nothing to write to)
};

class Network {
 public:
  virtual ~Network() = default;
  virtual Delivery Send(const OutgoingMessage& message) = 0;
  // The subscriber's own number, when the network knows one.
  virtual std::optional<std::u16string> OwnNumber() = 0;
};

// Makes `network` the one every SMS call goes to from now on; null brings back the simulated one.
void UseNetwork(std::unique_ptr<Network> network);

// The network in use, one call at a time (the SMS calls go through these).
Delivery SendToNetwork(const OutgoingMessage& message);
std::optional<std::u16string> OwnNumberFromNetwork();

}  // namespace platform::sms
