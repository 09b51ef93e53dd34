#include "platform/contacts/regular_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace platform::contacts {

namespace {

// Opens `path` for reading if it is a regular file. Non-blocking, so a FIFO without a writer
// cannot hold the open; the type is checked on what was opened, not on a name that may change
// in between. Returns the descriptor, or -1 with `*result` saying why.
int OpenRegular(const std::filesystem::path& path, struct stat* st, FileRead* result, std::string* error) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    *result = errno == ENOENT ? FileRead::kMissing : FileRead::kRefused;
    if (error && errno != ENOENT) *error = "cannot read " + path.string() + ": " + std::strerror(errno);
    return -1;
  }
  if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    close(fd);
    if (error) *error = path.string() + " is not a regular file";
    *result = FileRead::kRefused;
    return -1;
  }
  return fd;
}

}  // namespace

FileRead ReadRegularFile(const std::filesystem::path& path, size_t cap, std::string* bytes, std::string* error) {
  bytes->clear();
  struct stat st {};
  FileRead result = FileRead::kOk;
  int fd = OpenRegular(path, &st, &result, error);
  if (fd < 0) return result;
  char buf[1 << 16];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (error) *error = "cannot read " + path.string() + ": " + std::strerror(errno);
      close(fd);
      bytes->clear();
      return FileRead::kRefused;
    }
    if (n == 0) break;
    if (bytes->size() + static_cast<size_t>(n) > cap) {
      if (error) *error = path.string() + " is larger than " + std::to_string(cap >> 20) + " MiB";
      close(fd);
      bytes->clear();
      return FileRead::kRefused;
    }
    if (bytes->empty() && st.st_size > 0) bytes->reserve(std::min<size_t>(static_cast<size_t>(st.st_size), cap));
    bytes->append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return FileRead::kOk;
}

MappedFile::~MappedFile() {
  if (data_) munmap(data_, size_);
}

FileRead MappedFile::Open(const std::filesystem::path& path, size_t cap, std::string* error) {
  struct stat st {};
  FileRead result = FileRead::kOk;
  int fd = OpenRegular(path, &st, &result, error);
  if (fd < 0) return result;
  if (static_cast<unsigned long long>(st.st_size) > cap) {
    if (error) *error = path.string() + " is larger than " + std::to_string(cap >> 20) + " MiB";
    result = FileRead::kRefused;
  } else if (st.st_size > 0) {
    void* data = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data != MAP_FAILED) {
      data_ = data;
      size_ = static_cast<size_t>(st.st_size);
    } else {
      close(fd);
      return ReadRegularFile(path, cap, &copy_, error);  // a file system that cannot map it
    }
  }
  close(fd);
  return result;
}

std::string FileStamp(const std::filesystem::path& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "none";
  return std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec) + ":" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

bool ReadFileRange(const std::filesystem::path& path, size_t offset, size_t length, std::string* bytes) {
  bytes->clear();
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && offset <= static_cast<size_t>(st.st_size) &&
            length <= static_cast<size_t>(st.st_size) - offset;
  if (ok) {
    bytes->resize(length);
    size_t done = 0;
    while (done < length) {
      ssize_t n = pread(fd, bytes->data() + done, length - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ok = done == length;
  }
  close(fd);
  if (!ok) bytes->clear();
  return ok;
}

bool ReplaceableFile(const std::filesystem::path& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

std::filesystem::path TemporaryFileFor(const std::filesystem::path& path) {
  // Named by the writer's process: writers in two processes never share one.
  const std::string prefix = path.filename().string() + ".tmp";
  std::error_code ec;
  for (std::filesystem::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    std::string digits = name.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
    pid_t writer = static_cast<pid_t>(std::stol(digits));
    std::error_code ignored;
    if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH) std::filesystem::remove(it->path(), ignored);
  }
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(getpid());
  return temp;
}

void ReplaceFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::path temp = TemporaryFileFor(path);
  std::error_code ec;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::filesystem::remove(temp, ec);
      return;
    }
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) std::filesystem::remove(temp, ec);
}

}  // namespace platform::contacts
