// Work on an address book of camera photos (hundreds of megabytes) shared among the cores.
#pragma once
#include <cstddef>
#include <functional>

namespace platform::contacts {

// Calls `work(0 .. count - 1)`, each index once, on this thread and one more per spare core; all
// have returned when this returns. Each item must write only its own result, so the outcome is
// the same as in order. With less than `kEveryCoreBytes` of `bytes` at stake, or no thread to be
// had, it all runs here.
constexpr size_t kEveryCoreBytes = size_t{1} << 20;
void ForEachOnEveryCore(size_t count, size_t bytes, const std::function<void(size_t)>& work);

}  // namespace platform::contacts
