// PhoneMakeCall: the phone's dialler is outside the program; here a placed call is a line in
// DIR/network/calls.jsonl, which parlo-device and the tests read back.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "phone.h"
#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "winbase.h"

namespace platform::phone {
namespace {

std::string JsonString(const char16_t* text) {
  const std::string utf8 = text ? platform::Utf16ToUtf8(text) : std::string();
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof(buf), "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  out.push_back('"');
  return out;
}

std::string LocalTimeText() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  char buf[40];  // six fields of up to five digits each, five separators
  std::snprintf(buf, sizeof(buf), "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond);
  return buf;
}

// One write of a whole line with O_APPEND, so calls from several programs never interleave.
bool AppendLine(const std::filesystem::path& file, const std::string& line) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ssize_t written;
  while ((written = ::write(fd, line.data(), line.size())) < 0 && errno == EINTR) {
  }
  ::close(fd);
  return written == static_cast<ssize_t>(line.size());
}

}  // namespace
}  // namespace platform::phone

LONG PhoneMakeCall(PHONEMAKECALLINFO* info) {
  using namespace platform::phone;
  if (!info || (info->cbSize != PHONEMAKECALLINFO_PHONE_SIZE && info->cbSize != sizeof(PHONEMAKECALLINFO)) ||
      !info->pszDestAddress || !*info->pszDestAddress)
    return ERROR_INVALID_PARAMETER;
  const std::string line = "{\"number\": " + JsonString(info->pszDestAddress) +
                           ", \"name\": " + JsonString(info->pszCalledParty) +
                           ", \"time\": \"" + LocalTimeText() + "\"}\n";
  return AppendLine(platform::device::NetworkDir() / "calls.jsonl", line) ? 0 : ERROR_WRITE_FAULT;
}
