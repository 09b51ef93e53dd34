#include "platform/device/instance/peers.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "platform/base/device_root.h"

namespace platform::device {
namespace {

using namespace instance;

std::atomic<uint32_t> g_nextPingId{1};

// The process id an instance socket is named after; empty when the name is not one.
std::string PidOf(const std::filesystem::path& p) {
  std::string name = p.filename().string();
  if (!name.starts_with("instance-") || !name.ends_with(".sock")) return {};
  std::string digits = name.substr(9, name.size() - 9 - 5);
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return {};
  return digits;
}

bool IsOurSocket(const std::filesystem::path& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid();
}

std::optional<Reply> ReadReply(int fd, Deadline deadline) {
  uint8_t raw[kHeaderSize];
  if (!ReadExact(fd, raw, sizeof raw, deadline)) return std::nullopt;
  auto header = DecodeHeader(raw);
  if (!header || !(header->op & kReplyBit)) return std::nullopt;
  std::string payload(header->length, '\0');
  if (header->length && !ReadExact(fd, payload.data(), payload.size(), deadline)) return std::nullopt;
  return DecodeReply(payload);
}

// Whether the peer closed its end (it ended), rather than keeping us waiting.
bool Closed(int fd) {
  char c;
  return ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

}  // namespace

std::vector<std::filesystem::path> OtherInstanceSockets() {
  const std::string own = std::to_string(::getpid());
  std::vector<std::filesystem::path> sockets;
  std::error_code ec;
  for (auto& entry : std::filesystem::directory_iterator(RunDir(), ec)) {
    std::string pid = PidOf(entry.path());
    if (!pid.empty() && pid != own && IsOurSocket(entry.path())) sockets.push_back(entry.path());
  }
  std::sort(sockets.begin(), sockets.end());
  return sockets;
}

std::optional<Reply> RoundTrip(const std::filesystem::path& socket, const std::string& frame, Deadline deadline,
                               int* connectError) {
  int fd = ConnectTo(socket);
  if (connectError) *connectError = fd < 0 ? -fd : 0;
  if (fd < 0) return std::nullopt;
  std::optional<Reply> reply;
  if (WriteAll(fd, frame, deadline)) reply = ReadReply(fd, deadline);
  ::close(fd);
  return reply;
}

bool RemoveIfStale(const std::filesystem::path& socket) {
  std::string pid = PidOf(socket);
  if (pid.empty() || !IsOurSocket(socket)) return false;
  // A program that is still there may be between binding and listening.
  if (::kill(static_cast<pid_t>(std::stol(pid)), 0) == 0 || errno != ESRCH) return false;
  int fd = ConnectTo(socket);
  if (fd >= 0) {
    ::close(fd);
    return false;
  }
  return -fd == ECONNREFUSED && ::unlink(socket.c_str()) == 0;
}

PeerCheck CheckPeers(uint32_t boundMs) {
  PeerCheck out;
  const Deadline deadline = DeadlineIn(boundMs);
  // Every peer is asked before any answer is awaited, so they all get the whole bound.
  std::vector<std::pair<std::string, int>> asked;
  for (const auto& socket : OtherInstanceSockets()) {
    int fd = ConnectTo(socket);
    if (fd == -ECONNREFUSED) {
      RemoveIfStale(socket);
    } else if (fd == -EAGAIN) {
      out.silent.push_back(PidOf(socket));  // its queue of unanswered connections is full
    } else if (fd >= 0) {
      if (WriteAll(fd, EncodePing(g_nextPingId++), deadline)) {
        asked.emplace_back(PidOf(socket), fd);
      } else {
        ::close(fd);
      }
    }
  }
  for (auto& [pid, fd] : asked) {
    auto reply = ReadReply(fd, deadline);
    if (reply && reply->status == Status::kOk) {
      ++out.answering;
    } else if (reply ? reply->status == Status::kBusy : !Closed(fd)) {
      out.silent.push_back(pid);
    }  // else it ended while we asked: neither
    ::close(fd);
  }
  return out;
}

}  // namespace platform::device
