#include "platform/device/processes/module.h"

#include <string_view>

#include "platform/base/handle_table.h"
#include "strsafe.h"
#include "winbase.h"

namespace platform::device {

HINSTANCE ProgramInstance() {
  constexpr uint32_t value = (kTagModule << 29) | (1u << HandleTable<int>::kIndexBits) | HandleTable<int>::kIndexMask;
  return ToHandle<HINSTANCE>(value);
}

}  // namespace platform::device

using namespace platform::device;

namespace {
constexpr DWORD kErrorModNotFound = 126;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  if (module && module != ProgramInstance()) {
    SetLastError(kErrorModNotFound);
    return 0;
  }
  if (!fileName || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::u16string_view path(kProgramPath);
  if (path.size() >= size) {
    // Cut and terminated, with the buffer's size as the result, as the system does.
    StringCchCopyNW(fileName, size, path.data(), size - 1);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  StringCchCopyW(fileName, size, path.data());
  return static_cast<DWORD>(path.size());
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  if (!moduleName) return ProgramInstance();
  std::u16string_view name(moduleName);
  std::u16string_view path(kProgramPath);
  std::u16string_view base = path.substr(path.rfind(u'\\') + 1);
  if (_wcsicmp(moduleName, path.data()) == 0 || _wcsicmp(moduleName, base.data()) == 0) return ProgramInstance();
  (void)name;
  SetLastError(kErrorModNotFound);
  return nullptr;
}
