// What the instance server and the remote-window client share inside this room.
#pragma once
#include <atomic>
#include <cstdint>

namespace platform::device::instance {

struct Timeouts {
  std::atomic<uint32_t> peerMs{2000};
  std::atomic<uint32_t> uiMs{4000};
  std::atomic<uint32_t> replyMs{5000};
};
Timeouts& CurrentTimeouts();

// While set on the UI thread, FindWindowW looks at this program's windows only: a request
// from another program must never start a search of other programs (two programs asking each
// other would wait on each other).
class ScopedLocalOnly {
 public:
  ScopedLocalOnly();
  ~ScopedLocalOnly();
  static bool Active();

 private:
  bool previous_;
};

}  // namespace platform::device::instance
