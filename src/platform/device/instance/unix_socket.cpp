#include "platform/device/instance/unix_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::device {
namespace {

// sun_path holds 108 bytes; a longer path goes through an open handle on its folder.
struct Address {
  sockaddr_un addr{};
  int dirFd = -1;
  bool ok = false;
  ~Address() {
    if (dirFd >= 0) ::close(dirFd);
  }
};

void MakeAddress(const std::filesystem::path& path, Address* a) {
  a->addr.sun_family = AF_UNIX;
  std::string p = path.string();
  if (p.size() >= sizeof a->addr.sun_path) {
    a->dirFd = ::open(path.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (a->dirFd < 0) return;
    p = "/proc/self/fd/" + std::to_string(a->dirFd) + "/" + path.filename().string();
    if (p.size() >= sizeof a->addr.sun_path) return;
  }
  std::memcpy(a->addr.sun_path, p.c_str(), p.size() + 1);
  a->ok = true;
}

int MillisLeft(Deadline deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

bool WaitFor(int fd, short events, Deadline deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, MillisLeft(deadline));
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace

int ListenAt(const std::filesystem::path& path) {
  Address a;
  MakeAddress(path, &a);
  if (!a.ok) return -1;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  ::unlink(path.c_str());  // a socket left by an earlier program with our process id
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a.addr), sizeof a.addr) != 0 || ::listen(fd, 16) != 0) {
    ::close(fd);
    return -1;
  }
  ::chmod(path.c_str(), 0600);
  return fd;
}

int ConnectTo(const std::filesystem::path& path) {
  Address a;
  MakeAddress(path, &a);
  if (!a.ok) return -ENAMETOOLONG;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -errno;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a.addr), sizeof a.addr) != 0) {
    int err = errno;
    ::close(fd);
    return -err;
  }
  return fd;
}

bool WriteAll(int fd, const std::string& data, Deadline deadline) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
      continue;
    }
    return false;
  }
  return true;
}

bool ReadExact(int fd, void* buffer, size_t size, Deadline deadline) {
  size_t done = 0;
  while (done < size) {
    if (!WaitFor(fd, POLLIN, deadline)) return false;
    ssize_t n = ::recv(fd, static_cast<char*>(buffer) + done, size - done, MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n == 0) return false;  // the peer closed
    if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
    return false;
  }
  return true;
}

}  // namespace platform::device
