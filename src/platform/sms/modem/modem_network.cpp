#include "platform/sms/modem/modem_network.h"

#include <chrono>
#include <future>

#include "platform/sms/inbox.h"
#include "platform/sms/modem/modem_link.h"
#include "platform/sms/modem/ui_post.h"

namespace platform::sms {
namespace {

// Longer than the link's own call timeouts: past this the worker is stuck, and the call fails.
constexpr auto kAnswerWait = std::chrono::seconds(75);

// Runs `job` on the link's worker and waits for its answer; nothing when none comes in time.
template <typename T, typename Job>
std::optional<T> Ask(ModemLink& link, Job job) {
  auto answer = std::make_shared<std::promise<T>>();
  std::future<T> result = answer->get_future();
  link.worker().Post([&link, answer, job] { answer->set_value(job(link)); });
  if (result.wait_for(kAnswerWait) != std::future_status::ready) return std::nullopt;
  return result.get();
}

class ModemNetwork : public Network {
 public:
  explicit ModemNetwork(std::shared_ptr<ModemLink> link) : link_(std::move(link)) {}

  Delivery Send(const OutgoingMessage& message) override {
    return Ask<Delivery>(*link_, [message](ModemLink& l) { return l.Send(message); }).value_or(Delivery::kUnavailable);
  }

  std::optional<std::u16string> OwnNumber() override {
    return Ask<std::optional<std::u16string>>(*link_, [](ModemLink& l) { return l.OwnNumber(); }).value_or(std::nullopt);
  }

 private:
  std::shared_ptr<ModemLink> link_;
};

}  // namespace

std::unique_ptr<Network> ConnectModem(std::string* why) {
  StartUiPosts();
  auto link = std::make_shared<ModemLink>(CurrentInbox() != nullptr);
  std::optional<std::string> problem = Ask<std::string>(*link, [](ModemLink& l) { return l.Connect(); });
  if (!problem || !problem->empty()) {
    if (why) *why = problem ? *problem : "ModemManager did not answer";
    return nullptr;
  }
  return std::make_unique<ModemNetwork>(std::move(link));
}

}  // namespace platform::sms
