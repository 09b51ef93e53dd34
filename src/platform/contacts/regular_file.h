// Reading a whole file that must be a plain file: a directory, FIFO, socket or device in its
// place is refused at once (never waited on), and the bytes are read to the end, never trusted to
// be as many as the file's reported size.
#pragma once
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::contacts {

enum class FileRead { kOk, kMissing, kRefused };

// kMissing when nothing is there; kRefused with `error` set ("PATH is not a regular file",
// "PATH is larger than N MiB", "cannot read PATH: ...") for anything that cannot be used.
FileRead ReadRegularFile(const std::filesystem::path& path, size_t cap, std::string* bytes, std::string* error);

// A regular file mapped read-only, for one reading of a file of hundreds of megabytes: nothing is
// copied or cleared. Open refuses what ReadRegularFile refuses, with the same results and errors.
// The file must not be cut short while it is mapped; this program only ever replaces such a file
// by renaming a new one over it, which leaves the mapped one whole.
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();
  FileRead Open(const std::filesystem::path& path, size_t cap, std::string* error);
  std::string_view bytes() const { return data_ ? std::string_view(static_cast<const char*>(data_), size_) : copy_; }

 private:
  void* data_ = nullptr;
  size_t size_ = 0;
  std::string copy_;  // where a file that cannot be mapped is read instead
};

// A regular file's size, change time and identity as text, "none" for anything else: it changes
// whenever the file is written or replaced.
std::string FileStamp(const std::filesystem::path& path);

// The bytes [offset, offset + length) of a regular file; false when they are not all there.
bool ReadFileRange(const std::filesystem::path& path, size_t offset, size_t length, std::string* bytes);

// Writes `bytes` beside `path` and renames them over it, so a reader sees the old file or the new
// one, never half of either. Nothing is left behind when the write fails.
void ReplaceFileAtomically(const std::filesystem::path& path, const std::string& bytes);

// The temporary file a writer of `path` in this process writes beside it. One a killed writer
// left (its process is gone) is removed by TemporaryFileFor, so the next writer clears it away.
std::filesystem::path TemporaryFileFor(const std::filesystem::path& path);

// True when nothing is at `path` or a regular file is: what a writer may replace.
bool ReplaceableFile(const std::filesystem::path& path);

}  // namespace platform::contacts
