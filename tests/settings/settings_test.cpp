#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>

#include "kit/temp_device.h"
#include "settings/settings.h"

namespace {

const WCHAR* const kFlags[] = {u"use_lock",  u"use_original_view", u"find_call_number", u"find_company_name",
                               u"find_name", u"view_sort",         u"close"};

struct Value {
  DWORD type = 0;
  std::string bytes;
  bool operator==(const Value&) const = default;
};

std::optional<Value> ReadValue(const WCHAR* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  Value v;
  v.bytes.resize(2048);
  DWORD size = static_cast<DWORD>(v.bytes.size());
  LONG rc = RegQueryValueExW(key, name, nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  v.bytes.resize(size);
  return v;
}

std::optional<DWORD> ReadDword(const WCHAR* name) {
  auto v = ReadValue(name);
  if (!v || v->type != REG_DWORD || v->bytes.size() != 4) return std::nullopt;
  DWORD d;
  std::memcpy(&d, v->bytes.data(), 4);
  return d;
}

void Write(const WCHAR* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
      ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

void WriteDword(const WCHAR* name, DWORD value) { Write(name, REG_DWORD, &value, 4); }

void WriteAllFlags(DWORD value) {
  for (const WCHAR* name : kFlags) WriteDword(name, value);
}

std::string MultiSz(const std::u16string& text) {
  std::u16string withNull = text + u'\0';
  return std::string(reinterpret_cast<const char*>(withNull.data()), withNull.size() * 2);
}

class SettingsTest : public ::testing::Test {
 protected:
  static Settings Loaded() {
    Settings s;
    s.Load();
    return s;
  }
  parlo_test::TempDevice device_;
};

// The first start creates the seven flags; later, toggles reach the registry only at shutdown,
// and the password is never written by a save. The password the first two starts leave is seen
// end to end.
TEST_F(SettingsTest, FirstStartCreatesTheFlagsAndTogglesWaitForShutdown) {
  Settings s = Loaded();
  EXPECT_FALSE(s.use_lock || s.use_original_view || s.find_company_name || s.find_call_number || s.find_name ||
               s.view_sort);
  for (const WCHAR* name : kFlags) EXPECT_EQ(ReadDword(name), name == kFlags[6] ? 1u : 0u);  // close is on
  Write(u"password", REG_SZ, u"99", 6);
  s = Loaded();
  s.password[0] = u'1';
  s.view_sort = !s.view_sort;
  s.use_lock = !s.use_lock;
  s.close = !s.close;
  auto toggled = [] { return std::tuple(ReadDword(u"view_sort"), ReadDword(u"use_lock"), ReadDword(u"close")); };
  EXPECT_EQ(toggled(), std::tuple(0u, 0u, 1u));
  s.Save();
  EXPECT_EQ(toggled(), std::tuple(1u, 1u, 0u));
  // Toggled twice, a flag saves what it was.
  s.view_sort = !s.view_sort;
  s.view_sort = !s.view_sort;
  s.Save();
  EXPECT_EQ(ReadDword(u"view_sort"), 1u);
  EXPECT_EQ(ReadValue(u"password"), (Value{REG_SZ, std::string("9\0009\0\0\0", 6)}));
}

TEST_F(SettingsTest, StoredPasswordIsReadUpToItsDataAndAnOverlongOneIsReplacedByTheDefault) {
  const std::u16string overlong(300, u'1');
  const struct {
    std::u16string stored;
    DWORD bytes;
    std::u16string loaded;
  } cases[] = {
      {u"14789", 12, u"14789"},                                          // with its terminator
      {u"12", 4, u"12"},                                                 // without one
      {overlong, static_cast<DWORD>((overlong.size() + 1) * 2), u"5836"},  // too long for the field
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.size());
    WriteAllFlags(0);
    Write(u"password", REG_SZ, c.stored.c_str(), c.bytes);
    EXPECT_EQ(std::u16string(Loaded().password), c.loaded);
  }
  // The overlong one was replaced in the registry too.
  EXPECT_EQ(ReadValue(u"password"), (Value{REG_MULTI_SZ, MultiSz(u"5836")}));
}

TEST_F(SettingsTest, FlagsAreReadByTheirBytesAndAMissingOrUnreadableOneCountsAsOn) {
  WriteAllFlags(0);
  WriteDword(u"use_original_view", 7);
  Write(u"find_name", REG_SZ, u"", 2);   // reads as 0
  Write(u"view_sort", REG_SZ, u"0", 4);  // reads as 0x00000030
  Write(u"close", REG_SZ, u"00", 6);     // longer than four bytes: unreadable, so on
  Settings s = Loaded();
  EXPECT_EQ(std::tuple(s.use_original_view, s.find_name, s.find_company_name, s.view_sort, s.close),
            std::tuple(true, false, false, true, true));
  EXPECT_EQ(ReadDword(u"use_original_view"), 7u);  // loading writes nothing back
  s.Save();
  EXPECT_EQ(ReadDword(u"use_original_view"), 1u);  // any non-zero flag is saved as one
}

TEST_F(SettingsTest, RegistryFileThatIsNotADatabaseLeavesDefaultsAndTheFileAlone) {
  const auto file = device_.dir() / "registry.db";
  const std::string garbage = "this is not a registry, just some text\n" + std::string(2000, '\x5a');
  std::ofstream(file, std::ios::binary) << garbage;
  Settings s = Loaded();
  EXPECT_EQ(std::tuple(s.use_lock, s.close, std::u16string(s.password)), std::tuple(false, true, u"5836"));
  s.view_sort = true;
  s.Save();
  EXPECT_EQ(parlo_test::ReadFileBytes(file), garbage);
}

}  // namespace
