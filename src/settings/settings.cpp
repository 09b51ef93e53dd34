#include "settings/settings.h"

#include <cstring>

namespace {

const WCHAR kDefaultPassword[] = u"5836";

struct FlagRef {
  const WCHAR* name;
  bool Settings::*field;
};

// The order the values are read and written in.
const FlagRef kFlags[] = {
    {u"use_lock", &Settings::use_lock},
    {u"use_original_view", &Settings::use_original_view},
    {u"find_call_number", &Settings::find_call_number},
    {u"find_company_name", &Settings::find_company_name},
    {u"find_name", &Settings::find_name},
    {u"view_sort", &Settings::view_sort},
    {u"close", &Settings::close},
};

bool OpenKey(HKEY* key, DWORD* disposition) {
  return RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key,
                         disposition) == ERROR_SUCCESS;
}

void WriteFlags(HKEY key, const Settings& s) {
  for (const FlagRef& flag : kFlags) {
    DWORD value = (s.*flag.field) ? 1 : 0;
    RegSetValueExW(key, flag.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
}

}  // namespace

Settings::Settings() {
  StringCchCopyW(store_path, 260, kDefaultStorePath);
  StringCchCopyW(password, 260, kDefaultPassword);
}

void Settings::Load() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (!OpenKey(&key, &disposition)) return;
  if (disposition == REG_OPENED_EXISTING_KEY) {
    DWORD size = sizeof password;
    if (RegQueryValueExW(key, u"password", nullptr, nullptr, reinterpret_cast<BYTE*>(password), &size) ==
        ERROR_SUCCESS) {
      // A stored value need not end in a null; the field is always a string.
      password[size / sizeof(WCHAR) < 260 ? size / sizeof(WCHAR) : 259] = 0;
    } else {
      StringCchCopyW(password, 260, kDefaultPassword);
      RegSetValueExW(key, u"password", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kDefaultPassword),
                     sizeof kDefaultPassword);
    }
    for (const FlagRef& flag : kFlags) {
      DWORD value = 0;
      DWORD valueSize = sizeof value;
      bool read = RegQueryValueExW(key, flag.name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                                   &valueSize) == ERROR_SUCCESS;
      // A missing or unreadable flag counts as on.
      this->*flag.field = !(read && value == 0);
    }
  } else if (disposition == REG_CREATED_NEW_KEY) {
    WriteFlags(key, *this);
  }
  RegCloseKey(key);
}

void Settings::Save() const {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (!OpenKey(&key, &disposition)) return;
  WriteFlags(key, *this);
  RegCloseKey(key);
}

bool Settings::Stored() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  bool all = true;
  for (const FlagRef& flag : kFlags) {
    DWORD value = 0, size = sizeof value;
    all = all && RegQueryValueExW(key, flag.name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
                     ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return all;
}
