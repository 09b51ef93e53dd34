#include "platform/sms/network.h"

#include <mutex>

#include "platform/sms/simulated_network.h"

namespace platform::sms {
namespace {

struct InUse {
  std::mutex mutex;
  std::unique_ptr<Network> network;
};

InUse& TheNetwork() {
  static InUse inUse;
  return inUse;
}

Network& CurrentLocked(InUse& in) {
  if (!in.network) in.network = std::make_unique<SimulatedNetwork>();
  return *in.network;
}

}  // namespace

void UseNetwork(std::unique_ptr<Network> network) {
  InUse& in = TheNetwork();
  std::lock_guard<std::mutex> lock(in.mutex);
  in.network = std::move(network);
}

Delivery SendToNetwork(const OutgoingMessage& message) {
  InUse& in = TheNetwork();
  std::lock_guard<std::mutex> lock(in.mutex);
  return CurrentLocked(in).Send(message);
}

std::optional<std::u16string> OwnNumberFromNetwork() {
  InUse& in = TheNetwork();
  std::lock_guard<std::mutex> lock(in.mutex);
  return CurrentLocked(in).OwnNumber();
}

}  // namespace platform::sms
