// reg get|set|del: the phone's registry from outside the program.
//   reg get ROOT\KEY NAME                      {"type": "dword"|"sz"|"multi_sz"|"binary", "value": ...}
//   reg set ROOT\KEY NAME dword|sz|multi_sz VALUE...
//   reg del ROOT\KEY [NAME]
// ROOT is HKCU or HKLM (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE also read). A dword VALUE is
// decimal (no leading zeros) or 0x-hex; a multi_sz takes each following argument as one string (none: empty list).
// A missing key or value exits 1; bad input exits 2 with nothing changed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "arguments.h"
#include "platform/base/text.h"
#include "platform/device/registry/registry_store.h"
#include "winreg.h"

namespace parlo_device {
namespace {

struct KeyArg {
  HKEY root = nullptr;
  std::u16string path;  // below the root
};

[[noreturn]] void Missing(const std::string& what) {
  platform::device::registry::Close();
  std::fprintf(stderr, "parlo-device: %s\n", what.c_str());
  std::fflush(stdout);
  std::exit(1);
}

KeyArg ParseKey(const std::string& text) {
  std::string rootName = text.substr(0, text.find('\\'));
  std::string upper;
  for (char c : rootName) upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  KeyArg key;
  if (upper == "HKCU" || upper == "HKEY_CURRENT_USER") key.root = HKEY_CURRENT_USER;
  else if (upper == "HKLM" || upper == "HKEY_LOCAL_MACHINE") key.root = HKEY_LOCAL_MACHINE;
  else throw UsageError{"reg: the key must start with HKCU\\ or HKLM\\, not \"" + rootName + "\""};
  key.path = rootName.size() < text.size() ? Wide(text.substr(rootName.size() + 1), "the key") : u"";
  if (key.path.size() > REG_MAX_KEY_PATH)
    throw UsageError{"reg: the key path is longer than " + std::to_string(REG_MAX_KEY_PATH) + " characters"};
  return key;
}

std::u16string ParseName(const std::string& text) {
  std::u16string name = Wide(text, "the value name");
  if (name.size() > REG_MAX_VALUE_NAME)
    throw UsageError{"reg: the value name is longer than " + std::to_string(REG_MAX_VALUE_NAME) + " characters"};
  return name;
}

// Failures other than "not there" are the registry file's, not the user's: exit 2 with why.
std::string Describe(LONG status) {
  switch (status) {
    case ERROR_BADDB: return "the registry file is not a registry database (left as it is)";
    case ERROR_ACCESS_DENIED: return "the registry file is busy or cannot be written";
    case ERROR_DISK_FULL: return "the disk is full";
    case ERROR_PATH_NOT_FOUND: return "the device folder cannot be opened";
    case ERROR_INVALID_PARAMETER: return "a name or value is too long";
    default: return "registry error " + std::to_string(status);
  }
}

std::u16string Units(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return out;
}

nlohmann::json Render(DWORD type, const std::string& data) {
  nlohmann::json out;
  if (type == REG_DWORD && data.size() == 4) {
    DWORD v;
    std::memcpy(&v, data.data(), 4);
    out["type"] = "dword";
    out["value"] = v;
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::u16string text = Units(data);
    out["type"] = "sz";
    out["value"] = platform::Utf16ToUtf8(text.substr(0, text.find(u'\0')));
  } else if (type == REG_MULTI_SZ) {
    std::u16string all = Units(data);
    nlohmann::json list = nlohmann::json::array();
    size_t start = 0;
    while (start < all.size()) {
      size_t end = all.find(u'\0', start);
      if (end == std::u16string::npos) end = all.size();
      if (end == start) break;  // the empty string that ends the list
      list.push_back(platform::Utf16ToUtf8(all.substr(start, end - start)));
      start = end + 1;
    }
    out["type"] = "multi_sz";
    out["value"] = list;
  } else {
    static const char* hex = "0123456789abcdef";
    std::string text;
    for (unsigned char c : data) {
      text.push_back(hex[c >> 4]);
      text.push_back(hex[c & 15]);
    }
    out["type"] = "binary";
    out["value"] = text;
  }
  return out;
}

void Get(const std::string& keyText, const std::string& nameText) {
  KeyArg key = ParseKey(keyText);
  std::u16string name = ParseName(nameText);
  HKEY hkey = nullptr;
  LONG st = RegOpenKeyExW(key.root, key.path.c_str(), 0, KEY_READ, &hkey);
  if (st == ERROR_FILE_NOT_FOUND) Missing("reg get: no key " + keyText);
  if (st != ERROR_SUCCESS) throw UsageError{"reg get: " + Describe(st)};
  DWORD type = 0, size = 0;
  st = RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &size);
  std::string data(size, '\0');
  if (st == ERROR_SUCCESS && size)
    st = RegQueryValueExW(hkey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(hkey);
  if (st == ERROR_FILE_NOT_FOUND) Missing("reg get: no value \"" + nameText + "\" under " + keyText);
  if (st != ERROR_SUCCESS) throw UsageError{"reg get: " + Describe(st)};
  data.resize(size);
  std::puts(Render(type, data).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

void Set(const std::string& keyText, const std::string& nameText, const std::string& typeText,
         const std::vector<std::string>& values) {
  KeyArg key = ParseKey(keyText);
  std::u16string name = ParseName(nameText);
  DWORD type;
  std::string data;
  if (typeText == "dword") {
    if (values.size() != 1) throw UsageError{"reg set: a dword takes exactly one VALUE"};
    DWORD v = ParseDword(values[0]);
    type = REG_DWORD;
    data.assign(reinterpret_cast<const char*>(&v), 4);
  } else if (typeText == "sz") {
    if (values.size() != 1) throw UsageError{"reg set: an sz takes exactly one VALUE"};
    std::u16string text = Wide(values[0], "the value") + u'\0';
    type = REG_SZ;
    data.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  } else if (typeText == "multi_sz") {
    std::u16string all;
    for (auto& v : values) {
      std::u16string piece = Wide(v, "the value");
      if (piece.empty()) throw UsageError{"reg set: a multi_sz cannot hold an empty string"};
      all += piece + u'\0';
    }
    all += u'\0';
    type = REG_MULTI_SZ;
    data.assign(reinterpret_cast<const char*>(all.data()), all.size() * 2);
  } else {
    throw UsageError{"reg set: the type must be dword, sz or multi_sz, not \"" + typeText + "\""};
  }
  if (data.size() > REG_MAX_VALUE_DATA) throw UsageError{"reg set: the value is too long"};
  HKEY hkey = nullptr;
  LONG st = RegCreateKeyExW(key.root, key.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hkey, nullptr);
  if (st != ERROR_SUCCESS) throw UsageError{"reg set: " + Describe(st)};
  st = RegSetValueExW(hkey, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                      static_cast<DWORD>(data.size()));
  RegCloseKey(hkey);
  if (st != ERROR_SUCCESS) throw UsageError{"reg set: " + Describe(st)};
}

void Delete(const std::string& keyText, const std::vector<std::string>& names) {
  KeyArg key = ParseKey(keyText);
  if (names.size() > 1) throw UsageError{"reg del: give at most one value NAME"};
  if (names.empty()) {
    if (key.path.find_first_not_of(u'\\') == std::u16string::npos)
      throw UsageError{"reg del: a root key cannot be deleted"};
    LONG st = RegDeleteKeyW(key.root, key.path.c_str());
    if (st == ERROR_FILE_NOT_FOUND) Missing("reg del: no key " + keyText);
    if (st != ERROR_SUCCESS) throw UsageError{"reg del: " + Describe(st)};
    return;
  }
  std::u16string name = ParseName(names[0]);
  HKEY hkey = nullptr;
  LONG st = RegOpenKeyExW(key.root, key.path.c_str(), 0, KEY_WRITE, &hkey);
  if (st == ERROR_FILE_NOT_FOUND) Missing("reg del: no key " + keyText);
  if (st != ERROR_SUCCESS) throw UsageError{"reg del: " + Describe(st)};
  st = RegDeleteValueW(hkey, name.c_str());
  RegCloseKey(hkey);
  if (st == ERROR_FILE_NOT_FOUND) Missing("reg del: no value \"" + names[0] + "\" under " + keyText);
  if (st != ERROR_SUCCESS) throw UsageError{"reg del: " + Describe(st)};
}

}  // namespace

void AddRegistryCommands(CLI::App& app) {
  CLI::App* reg = app.add_subcommand("reg", "read and change the phone's registry");
  reg->require_subcommand(1);

  auto getKey = std::make_shared<std::string>();
  auto getName = std::make_shared<std::string>();
  CLI::App* get = reg->add_subcommand("get", "print a value as JSON");
  get->add_option("key", *getKey, "ROOT\\KEY (ROOT: HKCU or HKLM)")->required();
  get->add_option("name", *getName, "value name")->required();
  get->callback([getKey, getName] { Get(*getKey, *getName); });

  auto setKey = std::make_shared<std::string>();
  auto setName = std::make_shared<std::string>();
  auto setType = std::make_shared<std::string>();
  auto setValues = std::make_shared<std::vector<std::string>>();
  CLI::App* set = reg->add_subcommand("set", "write a value (the key is made if missing)");
  set->add_option("key", *setKey, "ROOT\\KEY (ROOT: HKCU or HKLM)")->required();
  set->add_option("name", *setName, "value name")->required();
  set->add_option("type", *setType, "dword, sz or multi_sz")->required();
  set->add_option("value", *setValues, "the value; a multi_sz takes one argument per string");
  set->callback([setKey, setName, setType, setValues] { Set(*setKey, *setName, *setType, *setValues); });

  auto delKey = std::make_shared<std::string>();
  auto delNames = std::make_shared<std::vector<std::string>>();
  CLI::App* del = reg->add_subcommand("del", "delete a value, or a key with everything below it");
  del->add_option("key", *delKey, "ROOT\\KEY (ROOT: HKCU or HKLM)")->required();
  del->add_option("name", *delNames, "value name (without it the key is deleted)");
  del->callback([delKey, delNames] { Delete(*delKey, *delNames); });
}

}  // namespace parlo_device
