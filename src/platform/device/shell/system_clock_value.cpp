#include "platform/device/shell/system_clock_value.h"

#include <atomic>
#include <mutex>

#include "platform/base/clock.h"
#include "platform/base/device_root.h"
#include "platform/device/registry/registry_store.h"
#include "platform/wm/loop.h"
#include "winreg.h"

namespace platform::device {
namespace {

std::mutex g_mutex;
bool g_written = false;
ULONGLONG g_lastMinute = 0;  // FILETIME of the minute written
std::filesystem::path g_lastFile;  // the registry file it went to (tests move the device root)

}  // namespace

bool RefreshSystemClockValue() {
  SYSTEMTIME now = clock::LocalNow();
  now.wSecond = 0;
  now.wMilliseconds = 0;
  FILETIME ft{};
  if (!SystemTimeToFileTime(&now, &ft)) return false;
  const ULONGLONG minute = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::filesystem::path file = RegistryFile();
  if (g_written && minute == g_lastMinute && file == g_lastFile) return false;
  registry::Name path, name;
  registry::MakeKeyPath(u"System\\State\\DateTime", &path);
  registry::MakeValueName(u"Time", &name);
  const registry::Root hklm = 2;
  if (registry::CreateKey(hklm, path, nullptr) != ERROR_SUCCESS) return false;
  if (registry::SetValue(hklm, path, name, REG_BINARY, &ft, sizeof ft) != ERROR_SUCCESS) return false;
  g_written = true;
  g_lastMinute = minute;
  g_lastFile = file;
  return true;
}

void StartSystemClockValue() {
  static std::once_flag once;
  RefreshSystemClockValue();
  std::call_once(once, [] { wm::AddIdlePoller([] { RefreshSystemClockValue(); }); });
}

}  // namespace platform::device
