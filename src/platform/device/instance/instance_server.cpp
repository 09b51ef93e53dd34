#include "platform/device/instance/instance_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "platform/base/device_root.h"
#include "platform/base/handle_table.h"
#include "platform/device/instance/instance_protocol.h"
#include "platform/device/instance/instance_shared.h"
#include "platform/device/instance/run_dir.h"
#include "platform/device/instance/unix_socket.h"
#include "platform/wm/loop.h"
#include "winuser.h"

namespace platform::device {
namespace {

using namespace instance;

// One request waiting for the UI thread. The server thread gives up on it after uiMs; the UI
// thread skips requests given up before they started.
struct Pending {
  Op op{};
  FindRequest find;
  SendRequest send;
  WindowRequest window;
  std::promise<Reply> done;
  std::atomic<int> state{0};  // 0 waiting, 1 running, 2 abandoned
};

std::mutex g_mutex;  // guards the fields below
std::deque<std::shared_ptr<Pending>> g_queue;
std::thread g_thread;
int g_listenFd = -1;
int g_stopPipe[2] = {-1, -1};
std::filesystem::path g_socketPath;
bool g_pollerAdded = false;

HWND LocalTopLevel(uint32_t value) {
  HWND hwnd = ToHandle<HWND>(value);
  return IsWindow(hwnd) && GetParent(hwnd) == nullptr ? hwnd : nullptr;
}

Reply Run(Pending& p) {
  switch (p.op) {
    case Op::kFind: {
      ScopedLocalOnly localOnly;
      HWND found = FindWindowW(p.find.className.c_str(), p.find.hasWindowName ? p.find.windowName.c_str() : nullptr);
      if (!found) return {Status::kNoWindow, 0};
      return {Status::kOk, FromHandle(found)};
    }
    case Op::kSend: {
      HWND hwnd = LocalTopLevel(p.send.hwnd);
      if (!hwnd) return {Status::kNoWindow, 0};
      if (p.send.message == WM_COPYDATA) {
        // Our own copy: the data lives in this program for exactly the length of the call.
        std::vector<uint8_t> buffer(p.send.copyData.begin(), p.send.copyData.end());
        COPYDATASTRUCT cds{static_cast<ULONG_PTR>(p.send.copyDwData), static_cast<DWORD>(buffer.size()),
                           buffer.empty() ? nullptr : buffer.data()};
        return {Status::kOk, SendMessageW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds))};
      }
      return {Status::kOk, SendMessageW(hwnd, p.send.message, static_cast<WPARAM>(p.send.wParam),
                                        static_cast<LPARAM>(p.send.lParam))};
    }
    case Op::kShow: {
      HWND hwnd = LocalTopLevel(p.window.hwnd);
      if (!hwnd) return {Status::kNoWindow, 0};
      if (p.window.command < SW_HIDE || p.window.command > 11) return {Status::kRefused, 0};
      return {Status::kOk, ShowWindow(hwnd, p.window.command)};
    }
    case Op::kForeground: {
      HWND hwnd = LocalTopLevel(p.window.hwnd);
      if (!hwnd) return {Status::kNoWindow, 0};
      return {Status::kOk, SetForegroundWindow(hwnd)};
    }
    case Op::kPing:
      return {Status::kOk, 0};
  }
  return {Status::kUnknownOp, 0};
}

// Hands the request to the UI thread and waits for its answer.
Reply AskUiThread(const std::shared_ptr<Pending>& p) {
  auto answer = p->done.get_future();
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_queue.push_back(p);
  }
  wm::Wake();
  const auto wait = std::chrono::milliseconds(CurrentTimeouts().uiMs.load());
  if (answer.wait_for(wait) == std::future_status::ready) return answer.get();
  int expected = 0;
  if (p->state.compare_exchange_strong(expected, 2)) return {Status::kBusy, 0};
  // Already running: its result is coming; wait once more, then give up on it.
  if (answer.wait_for(wait) == std::future_status::ready) return answer.get();
  return {Status::kBusy, 0};
}

void Answer(int fd, uint32_t id, uint16_t op, Reply r) {
  WriteAll(fd, EncodeReply(id, op, r), DeadlineIn(CurrentTimeouts().peerMs.load()));
}

// One connection, one frame. Anything malformed gets an error reply and the connection ends;
// the server goes on with the next one.
void ServeConnection(int fd) {
  const Deadline deadline = DeadlineIn(CurrentTimeouts().peerMs.load());
  uint8_t raw[kHeaderSize];
  if (!ReadExact(fd, raw, sizeof raw, deadline)) return;  // slow or gone: nothing to answer
  auto header = DecodeHeader(raw);
  if (!header) {
    Answer(fd, 0, 0, {Status::kBadFrame, 0});
    return;
  }
  std::string payload(header->length, '\0');
  if (header->length && !ReadExact(fd, payload.data(), payload.size(), deadline)) return;
  auto p = std::make_shared<Pending>();
  p->op = static_cast<Op>(header->op);
  switch (p->op) {
    case Op::kFind: {
      auto f = DecodeFind(payload);
      if (!f) return Answer(fd, header->id, header->op, {Status::kBadFrame, 0});
      p->find = std::move(*f);
      break;
    }
    case Op::kSend: {
      bool refused = false;
      auto s = DecodeSend(payload, &refused);
      if (!s) return Answer(fd, header->id, header->op, {refused ? Status::kRefused : Status::kBadFrame, 0});
      p->send = std::move(*s);
      break;
    }
    case Op::kShow:
    case Op::kForeground: {
      auto w = DecodeWindow(payload);
      if (!w) return Answer(fd, header->id, header->op, {Status::kBadFrame, 0});
      p->window = *w;
      break;
    }
    case Op::kPing:
      if (!payload.empty()) return Answer(fd, header->id, header->op, {Status::kBadFrame, 0});
      break;
    default:
      return Answer(fd, header->id, header->op, {Status::kUnknownOp, 0});
  }
  Answer(fd, header->id, header->op, AskUiThread(p));
}

void ServerLoop(int listenFd, int stopFd) {
  for (;;) {
    pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) continue;
    ServeConnection(fd);
    ::close(fd);
  }
}

}  // namespace

bool StartInstanceServer() {
  std::lock_guard<std::mutex> lock(g_mutex);
  InstallRemoteWindows();
  if (g_listenFd >= 0) return true;
  if (!EnsureRunDir()) return false;
  std::filesystem::path path = RunDir() / ("instance-" + std::to_string(::getpid()) + ".sock");
  int fd = ListenAt(path);
  if (fd < 0) return false;
  if (::pipe2(g_stopPipe, O_CLOEXEC) != 0) {
    ::close(fd);
    ::unlink(path.c_str());
    return false;
  }
  g_listenFd = fd;
  g_socketPath = path;
  g_thread = std::thread(ServerLoop, g_listenFd, g_stopPipe[0]);
  if (!g_pollerAdded) {
    g_pollerAdded = true;
    wm::AddIdlePoller(ServeInstanceRequests);
  }
  return true;
}

void StopInstanceServer() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_listenFd < 0) return;
    (void)!::write(g_stopPipe[1], "x", 1);
    thread = std::move(g_thread);
    // Queued requests will not run now; answer them so the server thread is not kept waiting.
    for (auto& p : g_queue) {
      int expected = 0;
      if (p->state.compare_exchange_strong(expected, 2)) p->done.set_value({Status::kBusy, 0});
    }
    g_queue.clear();
  }
  if (thread.joinable()) thread.join();
  std::lock_guard<std::mutex> lock(g_mutex);
  ::close(g_listenFd);
  ::close(g_stopPipe[0]);
  ::close(g_stopPipe[1]);
  g_listenFd = g_stopPipe[0] = g_stopPipe[1] = -1;
  ::unlink(g_socketPath.c_str());
  g_socketPath.clear();
}

bool InstanceServerRunning() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_listenFd >= 0;
}

std::filesystem::path InstanceSocketPath() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_socketPath;
}

void SetInstanceTimeouts(uint32_t peerMs, uint32_t uiMs, uint32_t replyMs) {
  CurrentTimeouts().peerMs = peerMs;
  CurrentTimeouts().uiMs = uiMs;
  CurrentTimeouts().replyMs = replyMs;
}

void ServeInstanceRequests() {
  for (;;) {
    std::shared_ptr<Pending> p;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_queue.empty()) return;
      p = g_queue.front();
      g_queue.pop_front();
    }
    int expected = 0;
    if (!p->state.compare_exchange_strong(expected, 1)) continue;  // its asker gave up
    p->done.set_value(Run(*p));
  }
}

}  // namespace platform::device
