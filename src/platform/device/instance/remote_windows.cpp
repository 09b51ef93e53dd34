// The caller's side of the single-instance socket: windows of other programs on the device.
// A remote HWND is an entry of its own table (which program, which window there), encoded so
// that bit 0 stays clear and it never resolves as a window of this program.
#include <atomic>
#include <cerrno>

#include "platform/base/handle_table.h"
#include "platform/device/instance/instance_protocol.h"
#include "platform/device/instance/instance_server.h"
#include "platform/device/instance/instance_shared.h"
#include "platform/device/instance/peers.h"
#include "platform/device/instance/unix_socket.h"
#include "platform/wm/remote.h"
#include "winuser.h"

namespace platform::device {
namespace instance {

Timeouts& CurrentTimeouts() {
  static Timeouts t;
  return t;
}

namespace {
thread_local bool t_localOnly = false;
}

ScopedLocalOnly::ScopedLocalOnly() : previous_(t_localOnly) { t_localOnly = true; }
ScopedLocalOnly::~ScopedLocalOnly() { t_localOnly = previous_; }
bool ScopedLocalOnly::Active() { return t_localOnly; }

}  // namespace instance

namespace {

using namespace instance;

struct RemoteWindow {
  std::filesystem::path socket;
  uint32_t hwnd = 0;  // the window's handle in its own program
};

HandleTable<RemoteWindow>& Remotes() {
  static HandleTable<RemoteWindow> table(kTagMisc);
  return table;
}

HWND EncodeRemote(uint32_t tableValue) { return ToHandle<HWND>((tableValue << 1) & 0xFFFFFFFFu); }

std::shared_ptr<RemoteWindow> DecodeRemote(HWND hwnd) {
  uint32_t h = FromHandle(hwnd);
  if (!h || (h & 1) || (h >> 30) != 3) return nullptr;
  return Remotes().Get((h >> 1) | 0x80000000u);
}

std::atomic<uint32_t> g_nextId{1};

std::optional<Reply> Ask(const std::filesystem::path& socket, const std::string& frame, int* connectError = nullptr) {
  return RoundTrip(socket, frame, DeadlineIn(CurrentTimeouts().replyMs.load()), connectError);
}

class SocketRemoteWindows : public wm::RemoteWindows {
 public:
  HWND Find(LPCWSTR className, LPCWSTR windowName) override {
    if (ScopedLocalOnly::Active() || !className || IS_INTRESOURCE(className)) return nullptr;
    FindRequest request;
    request.className = className;
    if (request.className.empty() || request.className.size() > kMaxClassChars) return nullptr;
    if (windowName) {
      request.hasWindowName = true;
      request.windowName = windowName;
      if (request.windowName.size() > kMaxClassChars) return nullptr;
    }
    for (auto& socket : OtherInstanceSockets()) {
      int connectError = 0;
      auto reply = Ask(socket, EncodeFind(g_nextId++, request), &connectError);
      if (connectError == ECONNREFUSED) {
        RemoveIfStale(socket);
        continue;
      }
      if (!reply || reply->status != Status::kOk || reply->value <= 0 || reply->value > 0xFFFFFFFFll) continue;
      auto remote = std::make_shared<RemoteWindow>();
      remote->socket = socket;
      remote->hwnd = static_cast<uint32_t>(reply->value);
      // The same window found twice keeps one handle.
      HWND existing = nullptr;
      Remotes().ForEach([&](uint32_t h, const std::shared_ptr<RemoteWindow>& r) {
        if (!existing && r->socket == remote->socket && r->hwnd == remote->hwnd) existing = EncodeRemote(h);
      });
      if (existing) return existing;
      uint32_t h = Remotes().Add(remote);
      return h ? EncodeRemote(h) : nullptr;
    }
    return nullptr;
  }

  bool IsRemote(HWND hwnd) override { return DecodeRemote(hwnd) != nullptr; }

  LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    auto remote = DecodeRemote(hwnd);
    if (!remote) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    if (!MayCross(message)) return Fail(ERROR_ACCESS_DENIED);
    SendRequest request;
    request.hwnd = remote->hwnd;
    request.message = message;
    if (message == WM_COPYDATA) {
      auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!cds || cds->cbData > kMaxCopyData || (cds->cbData && !cds->lpData)) return Fail(ERROR_INVALID_PARAMETER);
      request.copyDwData = cds->dwData;
      request.copyData.assign(static_cast<const char*>(cds->lpData), cds->cbData);
    } else {
      request.wParam = static_cast<int64_t>(wParam);
      request.lParam = static_cast<int64_t>(lParam);
    }
    auto reply = Ask(remote->socket, EncodeSend(g_nextId++, request));
    if (!reply) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    if (reply->status != Status::kOk) return Fail(StatusError(reply->status));
    return static_cast<LRESULT>(reply->value);
  }

  BOOL Show(HWND hwnd, int command) override { return WindowCall(hwnd, Op::kShow, command); }
  BOOL SetForeground(HWND hwnd) override { return WindowCall(hwnd, Op::kForeground, 0); }

 private:
  static LRESULT Fail(DWORD error) {
    SetLastError(error);
    return 0;
  }
  static DWORD StatusError(Status s) {
    switch (s) {
      case Status::kNoWindow: return ERROR_INVALID_WINDOW_HANDLE;
      case Status::kRefused: return ERROR_ACCESS_DENIED;
      case Status::kBusy: return ERROR_TIMEOUT_BUSY;
      default: return ERROR_INVALID_PARAMETER;
    }
  }
  static constexpr DWORD ERROR_TIMEOUT_BUSY = 1460;  // ERROR_TIMEOUT

  BOOL WindowCall(HWND hwnd, Op op, int command) {
    auto remote = DecodeRemote(hwnd);
    if (!remote) return static_cast<BOOL>(Fail(ERROR_INVALID_WINDOW_HANDLE));
    auto reply = Ask(remote->socket, EncodeWindow(g_nextId++, op, {remote->hwnd, command}));
    if (!reply) return static_cast<BOOL>(Fail(ERROR_INVALID_WINDOW_HANDLE));
    if (reply->status != Status::kOk) return static_cast<BOOL>(Fail(StatusError(reply->status)));
    return reply->value ? TRUE : FALSE;
  }
};

}  // namespace

void InstallRemoteWindows() {
  static SocketRemoteWindows remote;
  wm::SetRemoteWindows(&remote);
}

}  // namespace platform::device
