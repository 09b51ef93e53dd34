// The registry's storage: keys and typed values in DIR/registry.db (SQLite), shared by every
// program on the device. Each write is one transaction; a busy timeout lets two programs write.
// Every value carries a serial number that changes with each write, which is how change
// notifications tell a write apart even when another program made it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "windef.h"

struct sqlite3;

namespace platform::device::registry {

// HKEY_CLASSES_ROOT .. HKEY_USERS as 0..3.
using Root = int;
bool RootFromHandle(HKEY key, Root* root);

// A key path or value name twice: as written (for listing) and folded (for lookups), so that
// "\System\State" and "system\state" are the same key. Leading, trailing and doubled
// backslashes are dropped.
struct Name {
  std::string display;  // UTF-8
  std::string fold;     // UTF-8, letters folded to lower case
};
// False for overlong paths (REG_MAX_KEY_PATH characters).
bool MakeKeyPath(std::u16string_view text, Name* out);
// False for overlong names (REG_MAX_VALUE_NAME characters). Null is the default value "".
bool MakeValueName(const char16_t* text, Name* out);
// Joins a subkey path onto an opened key's path.
bool JoinKeyPath(const Name& base, std::u16string_view sub, Name* out);

struct Value {
  std::string name;  // UTF-8, as written
  DWORD type = 0;
  std::string data;  // the bytes as stored
  int64_t serial = 0;
};

// All calls return a registry status: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND (no such key or value),
// ERROR_BADDB (the file is not a registry database; it is left untouched), ERROR_KEY_DELETED,
// ERROR_DISK_FULL, ERROR_ACCESS_DENIED (another program held the file too long).
LONG CreateKey(Root root, const Name& path, bool* created);
LONG KeyExists(Root root, const Name& path);
LONG GetValue(Root root, const Name& path, const Name& name, Value* out);
LONG SetValue(Root root, const Name& path, const Name& name, DWORD type, const void* data, size_t size);
LONG DeleteValue(Root root, const Name& path, const Name& name);
// Deletes the key, its subkeys and their values. A root itself cannot be deleted.
LONG DeleteKey(Root root, const Name& path);
LONG EnumValue(Root root, const Name& path, DWORD index, Value* out);

// Changes whenever this program or another one committed a registry write since the last call
// returned a different number; cheap enough to call on every idle pass.
uint64_t ChangeStamp();

// Runs `work` inside one write transaction on the open registry file (for tables that live
// beside the registry, such as the shell's notifications). `work` returns an SQLite result code.
LONG WithWriteTransaction(const std::function<int(sqlite3*)>& work);
LONG WithReader(const std::function<int(sqlite3*)>& work);

// Closes the file (tests switch device roots; it reopens on the next call).
void Close();

}  // namespace platform::device::registry
