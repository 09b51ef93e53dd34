#include "platform/resfile/install.h"

#include "platform/base/device_root.h"

namespace platform::resfile {

std::filesystem::path BuiltLibraryPath() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path() / "Parlores.dll";
}

bool InstallLibrary(const std::filesystem::path& source) {
  std::error_code ec;
  if (source.empty() || !std::filesystem::is_regular_file(source, ec)) return false;
  const auto dir = device::ProgramDir();
  std::filesystem::create_directories(dir, ec);
  if (ec) return false;
  std::filesystem::copy_file(source, dir / "Parlores.dll",
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) return false;
  // A copy keeps its source's modes; the device's files are private.
  std::filesystem::permissions(dir / "Parlores.dll",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
  return !ec;
}

}  // namespace platform::resfile
