#include <fstream>
#include <tuple>
#include <vector>

#include "device_fixture.h"

namespace {

using RegistryTest = parlo_test::DeviceTest;

// A short buffer gets ERROR_MORE_DATA with the size needed and is left alone; no buffer reports
// type and size only; an empty default value is stored.
TEST_F(RegistryTest, QueriesReportTheSizeNeededAndMissingBadOrOverlongThingsAreRefused) {
  HKEY key = Create(HKEY_CURRENT_USER, u"SOFTWARE\\Ostrand\\Parlo");
  ASSERT_EQ(SetString(key, u"password", std::u16string(300, u'7')), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key, u"view_sort", u"yes"), ERROR_SUCCESS);
  // A 520-byte text buffer, and a four-byte read as for a DWORD.
  for (auto [name, bufferSize, needed] : {std::tuple{u"password", 520u, 602u}, {u"view_sort", 4u, 8u}}) {
    std::vector<BYTE> buf(bufferSize, 0x5A);
    DWORD size = bufferSize;
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, nullptr, buf.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_TRUE(std::all_of(buf.begin(), buf.end(), [](BYTE b) { return b == 0x5A; }));
  }
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"view_sort", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::tuple(type, size), std::tuple(DWORD(REG_SZ), 8u));
  BYTE b;
  EXPECT_EQ(RegQueryValueExW(key, u"view_sort", nullptr, &type, &b, nullptr), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  size = 99;
  EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::tuple(type, size), std::tuple(DWORD(REG_BINARY), 0u));

  // Missing keys and values are not found; bad handles and overlong names are refused and write nothing.
  EXPECT_EQ(GetDword(key, u"use_lock", 5), 5u);
  EXPECT_EQ(QueryStatus(key, u"use_lock"), ERROR_FILE_NOT_FOUND);
  HKEY other = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Nobody", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(RegDeleteValueW(key, u"use_lock"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(QueryStatus(nullptr, u"x"), ERROR_INVALID_HANDLE);
  std::u16string longPath(REG_MAX_KEY_PATH + 1, u'k'), longName(REG_MAX_VALUE_NAME + 1, u'n');
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, longPath.c_str(), 0, nullptr, 0, 0, nullptr, &other, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetDword(key, longName.c_str(), 1), ERROR_INVALID_PARAMETER);
  std::string big(REG_MAX_VALUE_DATA + 1, 'x');
  EXPECT_EQ(RegSetValueExW(key, u"big", 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                           static_cast<DWORD>(big.size())),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(QueryStatus(key, u"big"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(key, u"x", 1), ERROR_INVALID_HANDLE);
}

// Paths ignore case and a leading or trailing backslash, roots are separate, subkeys open
// relative to an opened key and parents are made on the way.
TEST_F(RegistryTest, KeyPathsIgnoreCaseAndSlashesAndOpenRelativeToAKey) {
  DWORD disposition = 0;
  HKEY a = Create(HKEY_LOCAL_MACHINE, u"\\System\\State\\Messages\\SMS\\Unread", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  ASSERT_EQ(SetDword(a, u"Count", 3), ERROR_SUCCESS);
  HKEY b = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"system\\STATE\\messages\\sms\\unread", 0, KEY_READ, &b), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(b, u"COUNT"), 3u);
  HKEY c = Create(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread\\", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"System\\State\\Messages\\SMS\\Unread", 0, KEY_READ, &other),
            ERROR_FILE_NOT_FOUND);
  HKEY parent = Create(HKEY_CURRENT_USER, u"SOFTWARE");
  HKEY child = nullptr;
  ASSERT_EQ(RegCreateKeyExW(parent, u"Ostrand\\Parlo", 0, nullptr, 0, 0, nullptr, &child, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  ASSERT_EQ(SetDword(child, u"close", 1), ERROR_SUCCESS);
  HKEY same = nullptr, mid = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\ostrand\\parlo", 0, KEY_READ, &same), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(same, u"close"), 1u);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Ostrand", 0, KEY_READ, &mid), ERROR_SUCCESS);
  for (HKEY k : {a, b, c, parent, child, same, mid}) RegCloseKey(k);
}

TEST_F(RegistryTest, DeleteTakesTheValueOrKeyButNotSiblingsWithTheSamePrefixAndEnumListsInNameOrder) {
  HKEY a = Create(HKEY_CURRENT_USER, u"Top\\Inner\\Deep");
  SetDword(a, u"v", 1);
  HKEY sibling = Create(HKEY_CURRENT_USER, u"Top\\Inner2");
  SetDword(sibling, u"v", 2);
  SetDword(sibling, u"w", 3);
  EXPECT_EQ(RegDeleteValueW(sibling, u"W"), ERROR_SUCCESS);  // that value only
  EXPECT_EQ(QueryStatus(sibling, u"w"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"top\\inner"), ERROR_SUCCESS);
  HKEY k = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Top\\Inner\\Deep", 0, 0, &k), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Top\\Inner", 0, 0, &k), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Top\\Inner2", 0, 0, &k), ERROR_SUCCESS);
  EXPECT_EQ(QueryStatus(k, u"v"), ERROR_SUCCESS);
  // A handle to the deleted key can no longer write.
  EXPECT_EQ(SetDword(a, u"v", 3), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Top\\Inner"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED);
  for (HKEY h : {a, sibling, k}) RegCloseKey(h);
  // Values are listed in name order.
  HKEY key = Create(HKEY_CURRENT_USER, u"Test");
  SetDword(key, u"b", 2);
  SetDword(key, u"A", 1);
  std::u16string names;
  char16_t name[16];
  DWORD chars = 16, type = 0;
  for (DWORD i = 0; RegEnumValueW(key, i, name, &chars, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS; ++i) {
    EXPECT_EQ(chars, 1u);
    names += std::u16string(name) + u";";
    chars = 16;
  }
  EXPECT_EQ(names, u"A;b;");
  EXPECT_EQ(RegEnumValueW(key, 2, name, &chars, nullptr, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, AFileThatIsNotADatabaseFailsEveryCallAndIsLeftUntouched) {
  const std::string note = "this is a note, not a registry\n" + std::string(5000, 'z');
  const std::string header = std::string("SQLite format 3", 16) + std::string(4080, '\x5a');
  for (const std::string& junk : {note, header}) {
    platform::device::registry::Close();
    std::ofstream(dir() / "registry.db", std::ios::binary | std::ios::trunc) << junk;
    HKEY key = nullptr;
    LONG created = RegCreateKeyExW(HKEY_CURRENT_USER, u"A", 0, nullptr, 0, 0, nullptr, &key, nullptr);
    EXPECT_NE(created, ERROR_SUCCESS);
    if (junk == note) {
      EXPECT_EQ(std::tuple(created, RegOpenKeyExW(HKEY_CURRENT_USER, u"A", 0, 0, &key),
                           SetDword(HKEY_CURRENT_USER, u"x", 1), QueryStatus(HKEY_CURRENT_USER, u"x"),
                           RegDeleteKeyW(HKEY_CURRENT_USER, u"A")),
                std::tuple(ERROR_BADDB, ERROR_BADDB, ERROR_BADDB, ERROR_BADDB, ERROR_BADDB));
    }
    EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "registry.db"), junk);
  }
}

}  // namespace
