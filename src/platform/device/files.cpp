// Files over phone paths: a file handle is a host file descriptor in the kernel table.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/base/device_root.h"
#include "platform/device/host_errors.h"
#include "platform/device/kernel_object.h"
#include "winbase.h"

namespace platform::device {
namespace {

constexpr DWORD kErrorNegativeSeek = 131;

class FileObject : public KernelObject {
 public:
  FileObject(int fd, bool canRead, bool canWrite) : fd_(fd), canRead_(canRead), canWrite_(canWrite) {}
  ~FileObject() override {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }
  bool canRead() const { return canRead_; }
  bool canWrite() const { return canWrite_; }

 private:
  int fd_;
  bool canRead_, canWrite_;
};

std::optional<std::filesystem::path> ResolveOrFail(LPCWSTR phonePath) {
  if (!phonePath || !*phonePath) {
    SetLastError(phonePath ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  auto host = HostPath(phonePath);
  if (!host) SetLastError(kRefusedPathError);
  return host;
}

std::shared_ptr<FileObject> FileOrFail(HANDLE h) {
  auto file = GetKernelObject<FileObject>(h);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

}  // namespace
}  // namespace platform::device

using namespace platform::device;

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES sa,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  auto host = ResolveOrFail(fileName);
  if (!host) return INVALID_HANDLE_VALUE;
  const bool wantRead = desiredAccess & GENERIC_READ;
  const bool wantWrite = desiredAccess & GENERIC_WRITE;
  int flags = O_CLOEXEC | O_NOCTTY;
  flags |= wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
      if (!wantWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  if ((flags & O_TRUNC) && !wantWrite) {
    // CREATE_ALWAYS without write access still empties the file on the phone; O_TRUNC needs it.
    flags = (flags & ~O_ACCMODE) | O_RDWR;
  }
  struct stat before {};
  const bool existed = ::stat(host->c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int fd = ::open(host->c_str(), flags, 0600);  // the phone's storage is private
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno, *host));
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = AddKernelObject(std::make_shared<FileObject>(fd, wantRead, wantWrite));
  if (!h) return INVALID_HANDLE_VALUE;
  const bool reportsExisting = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
  SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read) *read = 0;
  auto f = FileOrFail(file);
  if (!f) return FALSE;
  if (!f->canRead()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!buffer && toRead) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD total = 0;
  while (total < toRead) {
    ssize_t n = ::read(f->fd(), static_cast<char*>(buffer) + total, toRead - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(ERROR_INVALID_PARAMETER);
      if (read) *read = total;
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    total += static_cast<DWORD>(n);
  }
  if (read) *read = total;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
  if (written) *written = 0;
  auto f = FileOrFail(file);
  if (!f) return FALSE;
  if (!f->canWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!buffer && toWrite) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD total = 0;
  while (total < toWrite) {
    ssize_t n = ::write(f->fd(), static_cast<const char*>(buffer) + total, toWrite - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
      if (written) *written = total;
      return FALSE;
    }
    total += static_cast<DWORD>(n);
  }
  if (written) *written = total;
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  auto f = FileOrFail(file);
  if (!f) return INVALID_SET_FILE_POINTER;
  int64_t move = distanceHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                                     static_cast<uint32_t>(distance))
                              : distance;
  int64_t base = 0;
  if (moveMethod == FILE_CURRENT) {
    base = ::lseek(f->fd(), 0, SEEK_CUR);
  } else if (moveMethod == FILE_END) {
    struct stat st {};
    if (::fstat(f->fd(), &st) != 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return INVALID_SET_FILE_POINTER;
    }
    base = st.st_size;
  } else if (moveMethod != FILE_BEGIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  int64_t target = base + move;
  if (target < 0) {
    SetLastError(kErrorNegativeSeek);
    return INVALID_SET_FILE_POINTER;
  }
  if (!distanceHigh && target > 0xFFFFFFFELL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (::lseek(f->fd(), target, SEEK_SET) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(target >> 32);
  SetLastError(ERROR_SUCCESS);  // callers tell a real 0xFFFFFFFF position by the last error
  return static_cast<DWORD>(target);
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  auto f = FileOrFail(file);
  if (!f) return INVALID_FILE_SIZE;
  struct stat st {};
  if (::fstat(f->fd(), &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(st.st_size);
}

BOOL FlushFileBuffers(HANDLE file) {
  auto f = FileOrFail(file);
  if (!f) return FALSE;
  return ::fsync(f->fd()) == 0 ? TRUE : FALSE;
}

BOOL SetEndOfFile(HANDLE file) {
  auto f = FileOrFail(file);
  if (!f) return FALSE;
  if (!f->canWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t pos = ::lseek(f->fd(), 0, SEEK_CUR);
  if (pos < 0 || ::ftruncate(f->fd(), pos) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR fileName) {
  auto host = ResolveOrFail(fileName);
  if (!host) return FALSE;
  struct stat st {};
  if (::lstat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::unlink(host->c_str()) != 0) {
    SetLastError(ErrorFromErrno(errno, *host));
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileW(LPCWSTR existingName, LPCWSTR newName) {
  auto from = ResolveOrFail(existingName);
  if (!from) return FALSE;
  auto to = ResolveOrFail(newName);
  if (!to) return FALSE;
  struct stat st {};
  if (::lstat(from->c_str(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno, *from));
    return FALSE;
  }
  // The phone never replaces an existing target.
  if (::renameat2(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str(), RENAME_NOREPLACE) != 0) {
    int err = errno;
    SetLastError(err == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(err, *to));
    return FALSE;
  }
  return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES sa) {
  auto host = ResolveOrFail(pathName);
  if (!host) return FALSE;
  if (::mkdir(host->c_str(), 0700) != 0) {
    int err = errno;
    SetLastError(err == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(err, *host));
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
  auto host = ResolveOrFail(pathName);
  if (!host) return FALSE;
  if (*host == Root()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::rmdir(host->c_str()) != 0) {
    int err = errno;
    SetLastError(err == ENOTEMPTY ? ERROR_ACCESS_DENIED : ErrorFromErrno(err, *host));
    return FALSE;
  }
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
  auto host = ResolveOrFail(fileName);
  if (!host) return INVALID_FILE_ATTRIBUTES;
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno, *host));
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  DWORD attrs = 0;
  if (!(st.st_mode & S_IWUSR)) attrs |= FILE_ATTRIBUTE_READONLY;
  return attrs ? attrs : FILE_ATTRIBUTE_NORMAL;
}
