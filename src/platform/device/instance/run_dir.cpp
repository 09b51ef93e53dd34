#include "platform/device/instance/run_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/base/device_root.h"
#include "platform/base/text.h"

namespace platform::device {

bool EnsureRunDir(std::string* why) {
  auto fail = [why](std::string reason) {
    if (why) *why = std::move(reason);
    return false;
  };
  const std::filesystem::path dir = RunDir();
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return fail(std::strerror(errno));
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) return fail(std::strerror(errno));
  if (S_ISLNK(st.st_mode)) return fail("it is a symbolic link, not a folder");
  if (!S_ISDIR(st.st_mode)) return fail("it is not a folder");
  if (st.st_uid != ::getuid()) return fail("it belongs to another user");
  if ((st.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0) return fail(std::strerror(errno));
  return true;
}

std::string SafeFileName(std::string_view prefix, std::u16string_view name) {
  std::string utf8 = Utf16ToUtf8(name);
  std::string out(prefix);
  for (unsigned char c : utf8) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_') {
      out.push_back(static_cast<char>(c));
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    }
  }
  if (out.size() <= 200) return out;
  uint64_t h = 1469598103934665603ull;  // FNV-1a: names this long are rare, collisions rarer
  for (unsigned char c : utf8) h = (h ^ c) * 1099511628211ull;
  char buf[24];
  std::snprintf(buf, sizeof buf, "#%016llx", static_cast<unsigned long long>(h));
  return std::string(prefix) + buf;
}

}  // namespace platform::device
