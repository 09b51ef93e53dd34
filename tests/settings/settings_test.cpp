#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "kit/temp_device.h"
#include "settings/settings.h"

namespace {

const WCHAR kKey[] = u"SOFTWARE\\Ostrand\\Parlo";

struct Value {
  DWORD type = 0;
  std::string bytes;
};

std::optional<Value> ReadValue(const WCHAR* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
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
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

void WriteDword(const WCHAR* name, DWORD value) { Write(name, REG_DWORD, &value, 4); }

void WriteAllFlags(DWORD value) {
  for (const WCHAR* name : {u"use_lock", u"use_original_view", u"find_call_number", u"find_company_name",
                            u"find_name", u"view_sort", u"close"}) {
    WriteDword(name, value);
  }
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
  // One start and shutdown of the program, as far as Settings sees it.
  static void StartAndStop() { Loaded().Save(); }
  parlo_test::TempDevice device_;
};

TEST_F(SettingsTest, FirstStartUsesDefaultsAndCreatesSevenFlagsWithoutPassword) {
  Settings s = Loaded();
  EXPECT_FALSE(s.use_lock);
  EXPECT_FALSE(s.use_original_view);
  EXPECT_FALSE(s.find_company_name);
  EXPECT_FALSE(s.find_call_number);
  EXPECT_FALSE(s.find_name);
  EXPECT_FALSE(s.view_sort);
  EXPECT_TRUE(s.close);
  EXPECT_EQ(std::u16string(s.password), u"5836");
  EXPECT_EQ(std::u16string(s.store_path), u"\\MITs Store\\MMS\\mms.edb");
  EXPECT_EQ(s.start_number[0], 0);

  EXPECT_EQ(ReadDword(u"use_lock"), 0u);
  EXPECT_EQ(ReadDword(u"use_original_view"), 0u);
  EXPECT_EQ(ReadDword(u"find_call_number"), 0u);
  EXPECT_EQ(ReadDword(u"find_company_name"), 0u);
  EXPECT_EQ(ReadDword(u"find_name"), 0u);
  EXPECT_EQ(ReadDword(u"view_sort"), 0u);
  EXPECT_EQ(ReadDword(u"close"), 1u);
  EXPECT_FALSE(ReadValue(u"password"));
}

TEST_F(SettingsTest, SecondStartWritesTheDefaultPasswordAsMultiString) {
  StartAndStop();
  ASSERT_FALSE(ReadValue(u"password"));
  StartAndStop();
  auto password = ReadValue(u"password");
  ASSERT_TRUE(password);
  EXPECT_EQ(password->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(password->bytes, MultiSz(u"5836"));
}

TEST_F(SettingsTest, StoredPasswordIsRead) {
  WriteAllFlags(0);
  std::u16string stored = u"14789";
  Write(u"password", REG_SZ, stored.c_str(), static_cast<DWORD>((stored.size() + 1) * 2));
  EXPECT_EQ(std::u16string(Loaded().password), u"14789");
}

TEST_F(SettingsTest, PasswordWithoutTerminatorEndsWithItsData) {
  WriteAllFlags(0);
  Write(u"password", REG_SZ, u"12", 4);
  EXPECT_EQ(std::u16string(Loaded().password), u"12");
}

TEST_F(SettingsTest, PasswordTooLongForTheFieldIsReplacedByTheDefault) {
  WriteAllFlags(0);
  std::u16string longPassword(300, u'1');
  Write(u"password", REG_SZ, longPassword.c_str(), static_cast<DWORD>((longPassword.size() + 1) * 2));
  EXPECT_EQ(std::u16string(Loaded().password), u"5836");
  auto stored = ReadValue(u"password");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(stored->bytes, MultiSz(u"5836"));
}

TEST_F(SettingsTest, MissingFlagValueCountsAsOn) {
  WriteAllFlags(0);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueW(key, u"use_lock"), ERROR_SUCCESS);
  RegCloseKey(key);
  Settings s = Loaded();
  EXPECT_TRUE(s.use_lock);
  EXPECT_FALSE(s.view_sort);
  EXPECT_FALSE(s.close);
}

TEST_F(SettingsTest, AnyNonZeroFlagIsOnAndSavedAsOne) {
  WriteAllFlags(0);
  WriteDword(u"view_sort", 7);
  Settings s = Loaded();
  EXPECT_TRUE(s.view_sort);
  EXPECT_EQ(ReadDword(u"view_sort"), 7u);  // loading writes nothing back
  s.Save();
  EXPECT_EQ(ReadDword(u"view_sort"), 1u);
}

TEST_F(SettingsTest, FlagStoredAsStringIsReadByItsBytes) {
  WriteAllFlags(0);
  Write(u"find_name", REG_SZ, u"", 2);   // reads as 0
  Write(u"view_sort", REG_SZ, u"0", 4);  // reads as 0x00000030
  Write(u"close", REG_SZ, u"00", 6);     // longer than four bytes: unreadable, so on
  Settings s = Loaded();
  EXPECT_FALSE(s.find_name);
  EXPECT_TRUE(s.view_sort);
  EXPECT_TRUE(s.close);
}

TEST_F(SettingsTest, MenuTogglesReachTheRegistryOnlyAtShutdown) {
  StartAndStop();
  Settings s = Loaded();
  s.view_sort = !s.view_sort;
  s.use_lock = !s.use_lock;
  s.close = !s.close;
  EXPECT_EQ(ReadDword(u"view_sort"), 0u);
  EXPECT_EQ(ReadDword(u"use_lock"), 0u);
  EXPECT_EQ(ReadDword(u"close"), 1u);
  s.Save();
  EXPECT_EQ(ReadDword(u"view_sort"), 1u);
  EXPECT_EQ(ReadDword(u"use_lock"), 1u);
  EXPECT_EQ(ReadDword(u"close"), 0u);
}

TEST_F(SettingsTest, TogglingTwiceSavesTheSameValue) {
  StartAndStop();
  Settings s = Loaded();
  s.view_sort = !s.view_sort;
  s.view_sort = !s.view_sort;
  s.Save();
  EXPECT_EQ(ReadDword(u"view_sort"), 0u);
}

TEST_F(SettingsTest, SaveNeverWritesThePassword) {
  WriteAllFlags(0);
  Write(u"password", REG_SZ, u"99", 6);
  Settings s = Loaded();
  s.password[0] = u'1';
  s.Save();
  auto stored = ReadValue(u"password");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->bytes, std::string("9\0009\0\0\0", 6));
}

TEST_F(SettingsTest, RegistryFileThatIsNotADatabaseLeavesDefaultsAndTheFileAlone) {
  const auto file = device_.dir() / "registry.db";
  const std::string garbage = "this is not a registry, just some text\n" + std::string(2000, '\x5a');
  {
    std::ofstream out(file, std::ios::binary);
    out << garbage;
  }
  Settings s = Loaded();
  EXPECT_FALSE(s.use_lock);
  EXPECT_TRUE(s.close);
  EXPECT_EQ(std::u16string(s.password), u"5836");
  s.view_sort = true;
  s.Save();
  EXPECT_EQ(parlo_test::ReadFileBytes(file), garbage);
}

}  // namespace
