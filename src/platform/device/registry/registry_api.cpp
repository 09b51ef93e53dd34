// The registry calls of the system, over registry_store.
#include <cstring>

#include "platform/base/handle_table.h"
#include "platform/base/text.h"
#include "platform/device/registry/registry_keys.h"
#include "winreg.h"

namespace platform::device::registry {
namespace {

HandleTable<OpenKey>& Keys() {
  static HandleTable<OpenKey> table(kTagKey);
  return table;
}

LONG AddKey(const OpenKey& key, PHKEY result) {
  uint32_t h = Keys().Add(std::make_shared<OpenKey>(key));
  if (!h) return ERROR_NOT_ENOUGH_MEMORY;
  *result = ToHandle<HKEY>(h);
  return ERROR_SUCCESS;
}

}  // namespace

LONG Resolve(HKEY key, const char16_t* subKey, OpenKey* out) {
  Root root;
  if (RootFromHandle(key, &root)) {
    out->root = root;
    out->path = Name{};
  } else {
    auto open = Keys().Get(FromHandle(key));
    if (!open) return ERROR_INVALID_HANDLE;
    *out = *open;
  }
  if (subKey && *subKey) {
    Name joined;
    if (!JoinKeyPath(out->path, subKey, &joined)) return ERROR_INVALID_PARAMETER;
    out->path = joined;
  }
  return ERROR_SUCCESS;
}

}  // namespace platform::device::registry

using namespace platform::device::registry;

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey open;
  LONG st = Resolve(key, subKey, &open);
  if (st != ERROR_SUCCESS) return st;
  bool created = false;
  st = CreateKey(open.root, open.path, &created);
  if (st != ERROR_SUCCESS) return st;
  st = AddKey(open, result);
  if (st == ERROR_SUCCESS && disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return st;
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM samDesired, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey open;
  LONG st = Resolve(key, subKey, &open);
  if (st != ERROR_SUCCESS) return st;
  st = KeyExists(open.root, open.path);
  if (st != ERROR_SUCCESS) return st;
  return AddKey(open, result);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  LONG st = Resolve(key, nullptr, &open);
  if (st != ERROR_SUCCESS) return st;
  Name name;
  if (!MakeValueName(valueName, &name)) return ERROR_FILE_NOT_FOUND;  // cannot exist
  Value value;
  st = GetValue(open.root, open.path, name, &value);
  if (st != ERROR_SUCCESS) return st;
  if (type) *type = value.type;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (data) {
    if (*dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.data.data(), size);
  }
  if (dataSize) *dataSize = size;
  return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize) {
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  if (dataSize > REG_MAX_VALUE_DATA) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  LONG st = Resolve(key, nullptr, &open);
  if (st != ERROR_SUCCESS) return st;
  Name name;
  if (!MakeValueName(valueName, &name)) return ERROR_INVALID_PARAMETER;
  return SetValue(open.root, open.path, name, type, data, dataSize);
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  OpenKey open;
  LONG st = Resolve(key, nullptr, &open);
  if (st != ERROR_SUCCESS) return st;
  Name name;
  if (!MakeValueName(valueName, &name)) return ERROR_FILE_NOT_FOUND;
  return DeleteValue(open.root, open.path, name);
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  LONG st = Resolve(key, subKey, &open);
  if (st != ERROR_SUCCESS) return st;
  return DeleteKey(open.root, open.path);
}

LONG RegCloseKey(HKEY key) {
  Root root;
  if (RootFromHandle(key, &root)) return ERROR_SUCCESS;
  return Keys().Remove(platform::FromHandle(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameChars, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (!valueName || !valueNameChars) return ERROR_INVALID_PARAMETER;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  LONG st = Resolve(key, nullptr, &open);
  if (st != ERROR_SUCCESS) return st;
  Value value;
  st = EnumValue(open.root, open.path, index, &value);
  if (st != ERROR_SUCCESS) return st;
  std::u16string name = platform::Utf8ToUtf16(value.name);
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (*valueNameChars <= name.size() || (data && *dataSize < size)) {
    if (data) *dataSize = size;
    return ERROR_MORE_DATA;
  }
  std::memcpy(valueName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  *valueNameChars = static_cast<DWORD>(name.size());
  if (type) *type = value.type;
  if (data) std::memcpy(data, value.data.data(), size);
  if (dataSize) *dataSize = size;
  return ERROR_SUCCESS;
}
