#include "platform/wm/remote.h"

#include <atomic>

namespace platform::wm {
namespace {
std::atomic<RemoteWindows*> g_remote{nullptr};
}

void SetRemoteWindows(RemoteWindows* remote) { g_remote = remote; }
RemoteWindows* GetRemoteWindows() { return g_remote; }

}  // namespace platform::wm
