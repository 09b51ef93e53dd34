// Named mutexes: an flock'd file in DIR/run. The lock belongs to the open file, so a second
// CreateMutexW of the same name, in this program or another, sees it held.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/device_root.h"
#include "platform/device/instance/run_dir.h"
#include "platform/device/kernel_object.h"
#include "winbase.h"

namespace platform::device {
namespace {

class MutexObject : public KernelObject {
 public:
  // fd >= 0: this handle holds the lock. path empty: an unnamed mutex of this program.
  MutexObject(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  ~MutexObject() override {
    if (fd_ >= 0) ::close(fd_);  // closing the file releases the lock
  }
  bool Wait(uint32_t ms) override {
    if (path_.empty() || fd_ >= 0) return true;
    // A handle that found the name held takes the lock if its holder has gone.
    int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return false;
    }
    fd_ = fd;
    return true;
  }

 private:
  int fd_;
  std::filesystem::path path_;
};

}  // namespace
}  // namespace platform::device

using namespace platform::device;

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCWSTR name) {
  if (!name || !*name) {
    HANDLE h = AddKernelObject(std::make_shared<MutexObject>(-1, std::filesystem::path()));
    if (h) SetLastError(ERROR_SUCCESS);
    return h;
  }
  if (std::u16string_view(name).size() > 260) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!EnsureRunDir()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  const std::filesystem::path path = RunDir() / SafeFileName("mutex-", name);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  bool exists = false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    fd = -1;
    exists = true;
  }
  HANDLE h = AddKernelObject(std::make_shared<MutexObject>(fd, path));
  if (!h) return nullptr;
  SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

BOOL ReleaseMutex(HANDLE mutex) {
  if (!GetKernelObject<MutexObject>(mutex)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Named mutexes guard a program's lifetime here; the lock stays until the handle closes.
  return TRUE;
}
