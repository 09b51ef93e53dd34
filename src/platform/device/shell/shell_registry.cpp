// The shell's registry helpers: one value read or written by key path in one call.
#include <cstring>

#include "aygshell.h"
#include "platform/device/registry/registry_keys.h"

using namespace platform::device::registry;

namespace {

LONG ReadValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, Value* out) {
  OpenKey key;
  LONG st = Resolve(root, subKey, &key);
  if (st != ERROR_SUCCESS) return st;
  Name name;
  if (!MakeValueName(valueName, &name)) return ERROR_FILE_NOT_FOUND;
  return GetValue(key.root, key.path, name, out);
}

}  // namespace

HRESULT RegistryGetDWORD(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD* data) {
  if (!data) return E_INVALIDARG;
  Value v;
  LONG st = ReadValue(root, subKey, valueName, &v);
  if (st != ERROR_SUCCESS) return HRESULT_FROM_WIN32(st);
  if (v.type != REG_DWORD || v.data.size() != sizeof(DWORD)) return E_INVALIDARG;
  std::memcpy(data, v.data.data(), sizeof(DWORD));
  return S_OK;
}

HRESULT RegistryGetString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPWSTR data, UINT chars) {
  if (!data || chars == 0) return E_INVALIDARG;
  Value v;
  LONG st = ReadValue(root, subKey, valueName, &v);
  if (st != ERROR_SUCCESS) return HRESULT_FROM_WIN32(st);
  if (v.type != REG_SZ && v.type != REG_EXPAND_SZ) return E_INVALIDARG;
  size_t units = v.data.size() / sizeof(char16_t);
  std::u16string text(units, u'\0');
  std::memcpy(text.data(), v.data.data(), units * sizeof(char16_t));
  text = text.substr(0, text.find(u'\0'));
  if (text.size() >= chars) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(data, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return S_OK;
}

HRESULT RegistrySetDWORD(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD data) {
  OpenKey key;
  LONG st = Resolve(root, subKey, &key);
  if (st != ERROR_SUCCESS) return HRESULT_FROM_WIN32(st);
  Name name;
  if (!MakeValueName(valueName, &name)) return E_INVALIDARG;
  st = CreateKey(key.root, key.path, nullptr);
  if (st == ERROR_SUCCESS) st = SetValue(key.root, key.path, name, REG_DWORD, &data, sizeof data);
  return st == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(st);
}

BOOL SHInitExtraControls() { return TRUE; }
