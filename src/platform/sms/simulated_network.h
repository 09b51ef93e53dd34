// The simulated network, today's only Network: nothing leaves the machine. Every message handed
// over becomes one line of DIR/network/sms-outbox.jsonl. The subscriber's number is the line in
// DIR/network/own-number, as a SIM holds it apart from the phone's software (a modem network asks
// the modem instead). DIR/network/sms-fail-after, when present, holds how many more messages the
// network takes before it refuses every one; parlo-device writes it (sms fail / sms ok) and a
// running program reads it at each send. Both files change under DIR/network/sms.lock and are
// replaced whole, so neither a second writer nor a reader ever sees half a change.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/sms/network.h"

namespace platform::sms {

class SimulatedNetwork : public Network {
 public:
  Delivery Send(const OutgoingMessage& message) override;
  std::optional<std::u16string> OwnNumber() override;
};

// The files, under the current device root.
inline constexpr char kOutboxFile[] = "sms-outbox.jsonl";
inline constexpr char kOwnNumberFile[] = "own-number";
inline constexpr char kFailAfterFile[] = "sms-fail-after";

// A number a SIM can hold: an optional '+' and 1 to 20 digits.
bool IsPlausibleNumber(std::u16string_view number);

// What a settings file holds: nothing, a good value, or something damaged (left as it is).
template <typename T>
struct Setting {
  std::optional<T> value;
  bool damaged = false;
};

Setting<std::u16string> ReadOwnNumber();
// Writes (or with an empty number removes) the own number; false with `why` when it cannot.
bool WriteOwnNumber(std::u16string_view number, std::string* why);

Setting<uint32_t> ReadFailAfter();
// Fails after `count` more messages (0: the next one); no count: the network works again.
bool WriteFailAfter(std::optional<uint32_t> count, std::string* why);

}  // namespace platform::sms
