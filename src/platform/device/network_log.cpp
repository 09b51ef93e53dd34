#include "platform/device/network_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "winbase.h"

namespace platform::device {
namespace {

void AppendJsonString(std::string_view utf8, std::string* out) {
  out->push_back('"');
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': *out += "\\\""; break;
      case '\\': *out += "\\\\"; break;
      case '\n': *out += "\\n"; break;
      case '\r': *out += "\\r"; break;
      case '\t': *out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          *out += escaped;
        } else {
          out->push_back(static_cast<char>(c));
        }
    }
  }
  out->push_back('"');
}

}  // namespace

std::string LocalTimeText(const SYSTEMTIME& st) {
  char text[40];  // six fields of up to five digits each, five separators
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond);
  return text;
}

std::string LocalTimeText() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return LocalTimeText(st);
}

void NetworkRecord::Name(const char* name) {
  if (!fields_.empty()) fields_ += ", ";
  AppendJsonString(name, &fields_);
  fields_ += ": ";
}

NetworkRecord& NetworkRecord::Add(const char* name, std::u16string_view text) {
  Name(name);
  AppendJsonString(Utf16ToUtf8(text), &fields_);
  return *this;
}

NetworkRecord& NetworkRecord::Add(const char* name, std::string_view utf8) {
  return Add(name, Utf8ToUtf16(utf8));
}

NetworkRecord& NetworkRecord::Add(const char* name, const std::vector<std::string>& utf8List) {
  Name(name);
  fields_.push_back('[');
  for (size_t i = 0; i < utf8List.size(); ++i) {
    if (i) fields_ += ", ";
    AppendJsonString(Utf16ToUtf8(Utf8ToUtf16(utf8List[i])), &fields_);
  }
  fields_.push_back(']');
  return *this;
}

bool NetworkRecord::AppendTo(const char* fileName) const {
  const std::filesystem::path file = NetworkDir() / fileName;
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::string line = Line();
  ssize_t written;
  while ((written = ::write(fd, line.data(), line.size())) < 0 && errno == EINTR) {
  }
  ::close(fd);
  return written == static_cast<ssize_t>(line.size());
}

}  // namespace platform::device
