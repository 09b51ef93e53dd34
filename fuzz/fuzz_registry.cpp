// A damaged registry.db, read the ways the program reads its registry: the settings (typed
// values with a fallback for each), the unread count through the shell's DWORD reader, a string
// through the shell's string reader, and every value of the settings key listed.
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "aygshell.h"
#include "platform/base/device_root.h"
#include "platform/device/registry/registry_store.h"
#include "settings/settings.h"
#include "winreg.h"

namespace {

std::filesystem::path g_device;

void RemoveDevice() {
  std::error_code ec;
  platform::device::registry::Close();
  std::filesystem::remove_all(g_device, ec);
}

// One device folder for the whole run; its registry file is replaced for every input.
const std::filesystem::path& Device() {
  if (g_device.empty()) {
    // In memory when the machine offers it: SQLite syncs the file at every write.
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                               : std::filesystem::temp_directory_path();
    std::string pattern = (base / "parlo-fuzz-registry-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    g_device = pattern;
    platform::device::SetRoot(g_device);
    std::atexit(RemoveDevice);
  }
  return g_device;
}

void ListValues(HKEY key) {
  for (DWORD i = 0; i < 64; ++i) {
    WCHAR name[32];
    DWORD nameChars = 32, type = 0, size = 8;
    BYTE small[8];
    LONG st = RegEnumValueW(key, i, name, &nameChars, nullptr, &type, small, &size);
    if (st == ERROR_MORE_DATA) {
      std::vector<BYTE> big(size + 1);
      nameChars = 32;
      st = RegEnumValueW(key, i, name, &nameChars, nullptr, &type, big.data(), &size);
    }
    if (st != ERROR_SUCCESS && st != ERROR_MORE_DATA) break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& dir = Device();
  platform::device::registry::Close();
  std::error_code ec;
  std::filesystem::remove(dir / "registry.db-wal", ec);
  std::filesystem::remove(dir / "registry.db-shm", ec);
  std::filesystem::remove(dir / "registry.db-journal", ec);
  {
    std::ofstream file(dir / "registry.db", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  Settings settings;
  settings.Load();
  if (std::char_traits<char16_t>::length(settings.password) >= 260) std::abort();

  DWORD unread = 0;
  RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"\\System\\State\\Messages\\SMS\\Unread", u"Count", &unread);
  WCHAR text[16];
  RegistryGetString(HKEY_CURRENT_USER, kSettingsKey, u"store_path", text, 16);

  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, 0, &key) == ERROR_SUCCESS) {
    ListValues(key);
    RegCloseKey(key);
  }
  platform::device::registry::Close();
  return 0;
}
