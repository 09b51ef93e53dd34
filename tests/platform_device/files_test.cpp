#include <sys/stat.h>

#include <iterator>
#include <tuple>

#include "device_fixture.h"
#include "kit/last_error.h"
#include "platform/base/text.h"
#include "winbase.h"

namespace {

using parlo_test::WithError;

using FilesTest = parlo_test::DeviceTest;

// The phone's storage is private, whatever the process's umask.
TEST_F(FilesTest, WhatTheDeviceCreatesIsTheUsersAlone) {
  const mode_t previous = ::umask(022);
  ASSERT_TRUE(CreateDirectoryW(u"\\Data", nullptr));
  HANDLE h = CreateFileW(u"\\Data\\cache.dat", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  RegCloseKey(Create(HKEY_CURRENT_USER, u"Software"));
  ::umask(previous);
  for (auto [path, mode] : {std::pair{dir() / "Data", 0700}, {dir() / "Data" / "cache.dat", 0600},
                            {dir() / "registry.db", 0600}, {dir() / "registry.db-wal", 0600}}) {
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0) << path;
    EXPECT_EQ(st.st_mode & 0777, mode) << path;
  }
}

// What each disposition does with an existing or missing file, and the error it leaves.
TEST_F(FilesTest, DispositionsOpenCreateOrRefuseAndSayWhyAndPathsThatLeaveTheRootAreRefused) {
  constexpr DWORD kAny = 0xFFFFFFFF;  // the error is not looked at
  const struct {
    const char16_t* path;
    DWORD access, disposition;
    bool opens;
    DWORD error, size;
  } cases[] = {
      {u"\\nofile.dat", GENERIC_READ, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, 0},
      {u"\\nodir\\file.dat", GENERIC_READ, OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND, 0},
      {u"\\nodir\\file.dat", GENERIC_WRITE, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND, 0},
      {u"\\a.txt", GENERIC_WRITE, CREATE_NEW, false, ERROR_FILE_EXISTS, 0},
      {u"\\a.txt", GENERIC_READ, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, 11},
      {u"\\a.txt", GENERIC_WRITE, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, 0},
      {u"\\b.txt", GENERIC_WRITE, OPEN_ALWAYS, true, ERROR_SUCCESS, 0},
      {u"\\a.txt", GENERIC_WRITE, TRUNCATE_EXISTING, true, kAny, 0},
      {u"\\none.txt", GENERIC_WRITE, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, 0},
      {u"\\folder", GENERIC_READ, OPEN_EXISTING, false, ERROR_ACCESS_DENIED, 0},  // a directory is not a file
  };
  ASSERT_TRUE(CreateDirectoryW(u"\\folder", nullptr));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    WriteHost(dir() / "a.txt", "old content");
    SetLastError(12345);
    HANDLE h = CreateFileW(c.path, c.access, 0, nullptr, c.disposition, 0, nullptr);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens) << "case " << i;
    if (c.error != kAny) {
      EXPECT_EQ(GetLastError(), c.error) << "case " << i;
    }
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_EQ(GetFileSize(h, nullptr), c.size) << "case " << i;
      CloseHandle(h);
    } else {
      EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "a.txt"), "old content") << "case " << i;
    }
  }
  // Paths that leave the root are refused.
  WriteHost(dir().parent_path() / (dir().filename().string() + "-outside.txt"), "secret");
  std::u16string escape = u"\\..\\" + platform::Utf8ToUtf16(dir().filename().string() + "-outside.txt");
  EXPECT_EQ(WithError(CreateFileW(escape.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
            std::tuple(INVALID_HANDLE_VALUE, DWORD(ERROR_ACCESS_DENIED)));
  EXPECT_EQ(CreateFileW(u"\\a\\..\\..\\x", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW(u"\\etc/passwd", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileW(escape.c_str()));
  EXPECT_FALSE(CreateDirectoryW(u"\\..\\evil", nullptr));
  EXPECT_FALSE(std::filesystem::exists(dir().parent_path() / "evil"));
  std::filesystem::remove(dir().parent_path() / (dir().filename().string() + "-outside.txt"));
}

TEST_F(FilesTest, ReadStopsAtTheEndSeekWorksFromEachOriginAndAccessModesAreEnforced) {
  WriteHost(dir() / "a.bin", "0123456789");
  HANDLE h = CreateFileW(u"\\a.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buf[16] = {};
  DWORD n = 0;
  for (auto [want, expected] : {std::pair{4u, "0123"}, {16u, "456789"}, {16u, ""}}) {
    ASSERT_TRUE(ReadFile(h, buf, want, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), expected);
  }
  EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_BEGIN), 3u);
  EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_CURRENT), 5u);
  EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_END), 9u);
  ASSERT_TRUE(ReadFile(h, buf, 1, &n, nullptr));
  EXPECT_EQ(buf[0], '9');
  EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_NE(GetLastError(), DWORD(ERROR_SUCCESS));
  // A failed seek leaves the position where it was.
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
  // Writing past the end grows the file.
  EXPECT_EQ(SetFilePointer(h, 12, nullptr, FILE_BEGIN), 12u);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, "X", 1, &written, nullptr));
  EXPECT_EQ(GetFileSize(h, nullptr), 13u);
  CloseHandle(h);

  // Access modes are enforced; closed or foreign handles are refused.
  WriteHost(dir() / "a.bin", "data");
  HANDLE r = CreateFileW(u"\\a.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(WithError(WriteFile(r, "x", 1, &n, nullptr)), std::tuple(FALSE, DWORD(ERROR_ACCESS_DENIED)));
  HANDLE w = CreateFileW(u"\\a.bin", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(WithError(ReadFile(w, buf, 1, &n, nullptr)), std::tuple(FALSE, DWORD(ERROR_ACCESS_DENIED)));
  CloseHandle(w);
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "a.bin"), "data");
  ASSERT_TRUE(CloseHandle(r));
  n = 7;
  EXPECT_EQ(WithError(ReadFile(r, buf, 1, &n, nullptr)), std::tuple(FALSE, DWORD(ERROR_INVALID_HANDLE)));
  EXPECT_EQ(n, 0u);
  HANDLE foreign = reinterpret_cast<HANDLE>(0x1234);
  EXPECT_EQ(std::tuple(CloseHandle(r), CloseHandle(INVALID_HANDLE_VALUE), GetFileSize(foreign, nullptr)),
            std::tuple(FALSE, FALSE, INVALID_FILE_SIZE));
}

TEST_F(FilesTest, DeleteMoveAndAttributes) {
  WriteHost(dir() / "a.txt", "a");
  WriteHost(dir() / "b.txt", "b");
  EXPECT_EQ(std::tuple(GetFileAttributesW(u"\\a.txt"), GetFileAttributesW(u"\\")),
            std::tuple(DWORD(FILE_ATTRIBUTE_NORMAL), DWORD(FILE_ATTRIBUTE_DIRECTORY)));
  EXPECT_EQ(WithError(GetFileAttributesW(u"\\missing")),
            std::tuple(INVALID_FILE_ATTRIBUTES, DWORD(ERROR_FILE_NOT_FOUND)));
  // Moving never replaces.
  EXPECT_EQ(WithError(MoveFileW(u"\\a.txt", u"\\b.txt")), std::tuple(FALSE, DWORD(ERROR_ALREADY_EXISTS)));
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "b.txt"), "b");
  ASSERT_TRUE(MoveFileW(u"\\a.txt", u"\\c.txt"));
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "c.txt"), "a");
  ASSERT_TRUE(DeleteFileW(u"\\c.txt"));
  EXPECT_EQ(WithError(DeleteFileW(u"\\c.txt")), std::tuple(FALSE, DWORD(ERROR_FILE_NOT_FOUND)));
  ASSERT_TRUE(CreateDirectoryW(u"\\d", nullptr));
  EXPECT_EQ(WithError(CreateDirectoryW(u"\\d", nullptr)), std::tuple(FALSE, DWORD(ERROR_ALREADY_EXISTS)));
  EXPECT_FALSE(DeleteFileW(u"\\d"));
  EXPECT_TRUE(std::filesystem::is_directory(dir() / "d"));
}

}  // namespace
