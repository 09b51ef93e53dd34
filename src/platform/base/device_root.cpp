#include "platform/base/device_root.h"

#include <sys/stat.h>

#include "platform/base/text.h"

namespace platform::device {
namespace {
std::filesystem::path g_root;
}

void SetRoot(const std::filesystem::path& dir) { g_root = std::filesystem::absolute(dir); }
const std::filesystem::path& Root() { return g_root; }

unsigned UsePrivateFileModes() { return ::umask(077); }

std::optional<std::filesystem::path> HostPath(std::u16string_view phonePath) {
  std::filesystem::path out = g_root;
  std::u16string part;
  auto flush = [&]() -> bool {
    if (part.empty() || part == u".") {
      part.clear();
      return true;
    }
    if (part == u"..") return false;
    out /= Utf16ToUtf8(part);
    part.clear();
    return true;
  };
  for (char16_t c : phonePath) {
    if (c == 0 || c == u'/') return std::nullopt;
    if (c == u'\\') {
      if (!flush()) return std::nullopt;
    } else {
      part.push_back(c);
    }
  }
  if (!flush()) return std::nullopt;
  return out;
}

std::filesystem::path RunDir() { return g_root / "run"; }
std::filesystem::path NetworkDir() { return g_root / "network"; }
std::filesystem::path ProgramDir() { return g_root / "Program Files" / "Parlo"; }
std::filesystem::path RegistryFile() { return g_root / "registry.db"; }

}  // namespace platform::device
