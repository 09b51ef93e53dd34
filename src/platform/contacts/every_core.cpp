#include "platform/contacts/every_core.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace platform::contacts {

void ForEachOnEveryCore(size_t count, size_t bytes, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  auto take = [&] {
    for (size_t k = next++; k < count; k = next++) work(k);
  };
  std::vector<std::thread> helpers;
  unsigned cores = bytes >= kEveryCoreBytes ? std::thread::hardware_concurrency() : 1;
  try {
    for (unsigned i = 1; i < cores && i < count; ++i) helpers.emplace_back(take);
  } catch (const std::system_error&) {
    // no thread to be had: what is left runs here
  }
  take();
  for (std::thread& t : helpers) t.join();
}

}  // namespace platform::contacts
