#include <fstream>
#include <tuple>
#include <vector>

#include "device_fixture.h"
#include "winreg.h"

namespace {

using parlo_test::DeviceTest;

class RegistryTest : public DeviceTest {
 protected:
  HKEY Create(HKEY root, const char16_t* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition), ERROR_SUCCESS);
    return key;
  }
  LONG SetDword(HKEY key, const char16_t* name, DWORD v) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
  }
  LONG SetString(HKEY key, const char16_t* name, std::u16string_view s, DWORD type = REG_SZ) {
    std::u16string withNull(s);
    withNull.push_back(0);
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(withNull.data()),
                          static_cast<DWORD>(withNull.size() * 2));
  }
};

// --- Types and sizes --------------------------------------------------------------------

// Each value comes back with the type it was written with and its bytes as given (the settings
// code writes its default password as REG_MULTI_SZ).
TEST_F(RegistryTest, ValuesComeBackWithTheirTypeAndBytes) {
  const DWORD seven = 7;
  const char16_t text[] = u"5836";
  const char16_t multi[] = u"ab\0cd\0";  // two strings and the closing empty one
  const BYTE blob[] = {0, 1, 2, 0xFF, 0};
  const struct {
    const char16_t* name;
    DWORD type;
    std::string bytes;
  } cases[] = {
      {u"use_lock", REG_DWORD, std::string(reinterpret_cast<const char*>(&seven), 4)},
      {u"password", REG_SZ, std::string(reinterpret_cast<const char*>(text), sizeof text)},
      {u"default_password", REG_MULTI_SZ, std::string(reinterpret_cast<const char*>(text), sizeof text)},
      {u"list", REG_MULTI_SZ, std::string(reinterpret_cast<const char*>(multi), sizeof multi)},
      {u"blob", REG_BINARY, std::string(reinterpret_cast<const char*>(blob), sizeof blob)},
  };
  HKEY key = Create(HKEY_CURRENT_USER, u"SOFTWARE\\Ostrand\\Parlo");
  for (const auto& c : cases)
    ASSERT_EQ(RegSetValueExW(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                             static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS);
  for (const auto& c : cases) {
    BYTE buf[32] = {};
    DWORD type = 0, size = sizeof buf;
    ASSERT_EQ(RegQueryValueExW(key, c.name, nullptr, &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf), size), c.bytes);
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, ShortBufferGetsMoreDataWithTheNeededSizeAndIsLeftAlone) {
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
  RegCloseKey(key);
}

TEST_F(RegistryTest, NullDataReportsTypeAndSizeOnlyAndEmptyDefaultValuesAreStored) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"Test");
  ASSERT_EQ(SetString(key, u"name", u"hello"), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(size, 12u);
  BYTE b;
  EXPECT_EQ(RegQueryValueExW(key, u"name", nullptr, &type, &b, nullptr), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  size = 99;
  EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(size, 0u);
  RegCloseKey(key);
}

// --- Missing things ----------------------------------------------------------------------

TEST_F(RegistryTest, MissingThingsAreNotFoundAndBadHandlesRefused) {
  HKEY key = Create(HKEY_CURRENT_USER, u"SOFTWARE\\Ostrand\\Parlo");
  DWORD dw = 5, size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"use_lock", nullptr, nullptr, reinterpret_cast<BYTE*>(&dw), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(dw, 5u);
  HKEY other = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Nobody", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(RegDeleteValueW(key, u"use_lock"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(nullptr, u"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(key, u"x", 1), ERROR_INVALID_HANDLE);
}

// --- Key paths ----------------------------------------------------------------------------

TEST_F(RegistryTest, KeyPathsIgnoreCaseAndALeadingBackslashAndRootsAreSeparate) {
  DWORD disposition = 0;
  HKEY a = Create(HKEY_LOCAL_MACHINE, u"\\System\\State\\Messages\\SMS\\Unread", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  ASSERT_EQ(SetDword(a, u"Count", 3), ERROR_SUCCESS);
  HKEY b = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"system\\STATE\\messages\\sms\\unread", 0, KEY_READ, &b), ERROR_SUCCESS);
  DWORD dw = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(b, u"COUNT", nullptr, nullptr, reinterpret_cast<BYTE*>(&dw), &size), ERROR_SUCCESS);
  EXPECT_EQ(dw, 3u);
  HKEY c = Create(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread\\", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"System\\State\\Messages\\SMS\\Unread", 0, KEY_READ, &other),
            ERROR_FILE_NOT_FOUND);
  for (HKEY k : {a, b, c}) RegCloseKey(k);
}

TEST_F(RegistryTest, SubkeysOpenRelativeToAnOpenedKey) {
  HKEY parent = Create(HKEY_CURRENT_USER, u"SOFTWARE");
  DWORD disposition = 0;
  HKEY child = nullptr;
  ASSERT_EQ(RegCreateKeyExW(parent, u"Ostrand\\Parlo", 0, nullptr, 0, 0, nullptr, &child, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  ASSERT_EQ(SetDword(child, u"close", 1), ERROR_SUCCESS);
  HKEY same = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\ostrand\\parlo", 0, KEY_READ, &same), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(same, u"close", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  // Parents were made on the way.
  HKEY mid = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Ostrand", 0, KEY_READ, &mid), ERROR_SUCCESS);
  for (HKEY k : {parent, child, same, mid}) RegCloseKey(k);
}

TEST_F(RegistryTest, OverlongNamesAreRefusedAndNothingIsWritten) {
  std::u16string longPath(REG_MAX_KEY_PATH + 1, u'k');
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, longPath.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  key = Create(HKEY_CURRENT_USER, u"Test");
  std::u16string longName(REG_MAX_VALUE_NAME + 1, u'n');
  EXPECT_EQ(SetDword(key, longName.c_str(), 1), ERROR_INVALID_PARAMETER);
  std::string big(REG_MAX_VALUE_DATA + 1, 'x');
  EXPECT_EQ(RegSetValueExW(key, u"big", 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                           static_cast<DWORD>(big.size())),
            ERROR_INVALID_PARAMETER);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"big", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

// --- Deleting -----------------------------------------------------------------------------

TEST_F(RegistryTest, DeleteTakesTheValueOrKeyWithSubkeysButNotSiblingsWithTheSamePrefix) {
  HKEY a = Create(HKEY_CURRENT_USER, u"Top\\Inner\\Deep");
  SetDword(a, u"v", 1);
  HKEY sibling = Create(HKEY_CURRENT_USER, u"Top\\Inner2");
  SetDword(sibling, u"v", 2);
  SetDword(sibling, u"w", 3);
  EXPECT_EQ(RegDeleteValueW(sibling, u"W"), ERROR_SUCCESS);  // that value only
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(sibling, u"w", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"top\\inner"), ERROR_SUCCESS);
  HKEY k = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Top\\Inner\\Deep", 0, 0, &k), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Top\\Inner", 0, 0, &k), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Top\\Inner2", 0, 0, &k), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(k, u"v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  // A handle to the deleted key can no longer write.
  EXPECT_EQ(SetDword(a, u"v", 3), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Top\\Inner"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED);
  for (HKEY h : {a, sibling, k}) RegCloseKey(h);
}

TEST_F(RegistryTest, EnumValueListsInNameOrder) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Test");
  SetDword(key, u"b", 2);
  SetDword(key, u"A", 1);
  char16_t name[16];
  DWORD chars = 16, type = 0;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &chars, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"A");
  EXPECT_EQ(chars, 1u);
  chars = 16;
  ASSERT_EQ(RegEnumValueW(key, 1, name, &chars, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"b");
  chars = 16;
  EXPECT_EQ(RegEnumValueW(key, 2, name, &chars, nullptr, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

// --- The file ------------------------------------------------------------------------------

TEST_F(RegistryTest, ValuesSurviveClosingAndReopeningTheFile) {
  HKEY key = Create(HKEY_CURRENT_USER, u"SOFTWARE\\Ostrand\\Parlo");
  SetDword(key, u"view_sort", 1);
  RegCloseKey(key);
  platform::device::registry::Close();
  ASSERT_TRUE(std::filesystem::exists(dir() / "registry.db"));
  DWORD disposition = 0;
  key = Create(HKEY_CURRENT_USER, u"SOFTWARE\\Ostrand\\Parlo", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  DWORD dw = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"view_sort", nullptr, nullptr, reinterpret_cast<BYTE*>(&dw), &size), ERROR_SUCCESS);
  EXPECT_EQ(dw, 1u);
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
      EXPECT_EQ(created, ERROR_BADDB);
      EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"A", 0, 0, &key), ERROR_BADDB);
      DWORD v = 1, size = 4;
      EXPECT_EQ(RegSetValueExW(HKEY_CURRENT_USER, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_BADDB);
      EXPECT_EQ(RegQueryValueExW(HKEY_CURRENT_USER, u"x", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
                ERROR_BADDB);
      EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"A"), ERROR_BADDB);
    }
    EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "registry.db"), junk);
  }
}

// A second program writes through its own connection while this one keeps the file open; the
// change stamp moves for this program's writes and for the other's.
TEST_F(RegistryTest, AnotherConnectionsWritesAreSeenAndMoveTheChangeStamp) {
  namespace reg = platform::device::registry;
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread");
  uint64_t s0 = reg::ChangeStamp();
  EXPECT_EQ(reg::ChangeStamp(), s0);
  SetDword(key, u"Count", 4);
  uint64_t s1 = reg::ChangeStamp();
  EXPECT_NE(s1, s0);
  EXPECT_EQ(OtherProgramRuns("UPDATE reg_meta SET value=value+1 WHERE name='serial';"
                             "UPDATE reg_values SET data=x'09000000', serial=(SELECT value FROM reg_meta "
                             "WHERE name='serial') WHERE fold='count'"),
            2);
  EXPECT_NE(reg::ChangeStamp(), s1);
  DWORD dw = 0, size = 4;
  ASSERT_EQ(RegQueryValueExW(key, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&dw), &size), ERROR_SUCCESS);
  EXPECT_EQ(dw, 9u);
  RegCloseKey(key);
}

}  // namespace
