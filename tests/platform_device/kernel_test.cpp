#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <tuple>

#include "device_fixture.h"
#include "kit/last_error.h"
#include "platform/device/processes/command_line.h"
#include "platform/device/processes/module.h"
#include "winbase.h"

namespace {

using parlo_test::DeviceTest;
using parlo_test::WithError;
using platform::device::SplitCommandLine;
using Args = std::vector<std::u16string>;

DWORD WINAPI AddOne(LPVOID p) {
  ++*static_cast<std::atomic<int>*>(p);
  return 42;
}

TEST_F(DeviceTest, SecondMutexOfTheSameNameAlreadyExistsOddNamesStayInTheRunFolderAndThreadsSignalTheirEnd) {
  auto create = [](const std::u16string& name) { return WithError(CreateMutexW(nullptr, FALSE, name.c_str())); };
  auto [first, e1] = create(u"Parlo");
  auto [second, e2] = create(u"Parlo");
  auto [other, e3] = create(u"Other");
  ASSERT_TRUE(first && second && other);
  EXPECT_EQ(std::tuple(e1, e2, e3),
            std::tuple(DWORD(ERROR_SUCCESS), DWORD(ERROR_ALREADY_EXISTS), DWORD(ERROR_SUCCESS)));
  struct stat st {};  // the folder of the locks is private
  ASSERT_EQ(::stat((dir() / "run").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // Closing the extra handle keeps the lock; closing the holder frees the name.
  ASSERT_TRUE(CloseHandle(second));
  auto [third, e4] = create(u"Parlo");
  ASSERT_TRUE(CloseHandle(third) && CloseHandle(first));
  auto [again, e5] = create(u"Parlo");
  EXPECT_EQ(std::tuple(e4, e5), std::tuple(DWORD(ERROR_ALREADY_EXISTS), DWORD(ERROR_SUCCESS)));
  // Names with odd characters are safe file names inside the run folder; overlong ones are refused.
  auto [odd, e6] = create(u"../../escape/이름");
  EXPECT_EQ(std::tuple(odd != nullptr, e6), std::tuple(true, DWORD(ERROR_SUCCESS)));
  for (auto& e : std::filesystem::directory_iterator(dir() / "run")) EXPECT_EQ(e.path().parent_path(), dir() / "run");
  EXPECT_FALSE(std::filesystem::exists(dir() / "escape"));
  EXPECT_EQ(create(std::u16string(300, u'n')), std::tuple(HANDLE(nullptr), DWORD(ERROR_INVALID_PARAMETER)));
  for (HANDLE h : {again, other, odd}) CloseHandle(h);
  // A thread runs, and its handle signals when it ends.
  std::atomic<int> counter{0};
  DWORD id = 0;
  HANDLE t = CreateThread(nullptr, 0, AddOne, &counter, 0, &id);
  ASSERT_NE(t, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(counter.load(), 1);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(CloseHandle(t));
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_FAILED);
  // Without a start routine there is no thread.
  EXPECT_EQ(WithError(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr)),
            std::tuple(HANDLE(nullptr), DWORD(ERROR_INVALID_PARAMETER)));
}

TEST(CommandLineTest, SplitsTheSystemsWay) {
  EXPECT_EQ(SplitCommandLine(u""), Args{});
  EXPECT_EQ(SplitCommandLine(u"  a   b\tc "), (Args{u"a", u"b", u"c"}));
  EXPECT_EQ(SplitCommandLine(u"\"5\" \"hello world\""), (Args{u"5", u"hello world"}));
  EXPECT_EQ(SplitCommandLine(u"\"\""), (Args{u""}));
  EXPECT_EQ(SplitCommandLine(u"a\\\\b"), (Args{u"a\\\\b"}));          // backslashes alone are literal
  EXPECT_EQ(SplitCommandLine(u"a\\\"b"), (Args{u"a\"b"}));            // \" is a quote
  EXPECT_EQ(SplitCommandLine(u"\"a\\\\\" b"), (Args{u"a\\", u"b"}));  // \\" is \ and a closing quote
  EXPECT_EQ(SplitCommandLine(u"a\\\\\\\"b"), (Args{u"a\\\"b"}));      // \\\" is \ and a quote
  EXPECT_EQ(SplitCommandLine(u"\"say \"\"hi\"\"\""), (Args{u"say \"hi\""}));
  EXPECT_EQ(SplitCommandLine(u"ab\"c d\"e f"), (Args{u"abc de", u"f"}));
  EXPECT_EQ(SplitCommandLine(u"\"unterminated arg"), (Args{u"unterminated arg"}));
}

void WriteScript(const std::filesystem::path& path, const std::string& body) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << "#!/bin/sh\n" << body;
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

DWORD RunToEnd(LPCWSTR application, std::u16string line) {
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(application, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi)) {
    ADD_FAILURE() << "not started";
    return 0;
  }
  EXPECT_NE(pi.dwProcessId, 0u);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  CloseHandle(pi.hProcess);
  return code;
}

TEST_F(DeviceTest, CreateProcessRunsAnExecutableAtAPhonePathOrNamedByTheFirstWordAndTheModuleIsParlo) {
  WriteScript(dir() / "windows" / "MMSC.exe",
              "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$PARLO_DEVICE/args.txt\"\n"
              "printf '%s|%s' \"$PARLO_PHONE_PATH\" \"$PARLO_COMMAND_LINE\" > \"$PARLO_DEVICE/env.txt\"\n"
              "exit 3\n");
  EXPECT_EQ(RunToEnd(u"\\windows\\MMSC.exe", u"\"5\" \"안녕 hello\""), 3u);
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "args.txt"), "5\n안녕 hello\n");
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "env.txt"), "\\windows\\MMSC.exe|\"5\" \"안녕 hello\"");
  // Without an application name the first word names the program.
  WriteScript(dir() / "Program Files" / "Tool" / "run.exe", "printf '%s|' \"$@\" > \"$PARLO_DEVICE/args.txt\"\n");
  RunToEnd(nullptr, u"  \"\\Program Files\\Tool\\run.exe\"  one \"two three\"");
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "args.txt"), "one|two three|");
  // A missing or non-executable file, or one outside the phone, does not start.
  PROCESS_INFORMATION pi{};
  std::u16string line = u"x";
  WriteHost(dir() / "windows" / "plain.exe", "not runnable");
  std::filesystem::permissions(dir() / "windows" / "plain.exe", std::filesystem::perms::owner_read);
  for (const char16_t* app : {u"\\windows\\missing.exe", u"\\windows\\plain.exe", u"\\..\\bin\\sh"}) {
    EXPECT_FALSE(CreateProcessW(app, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi));
    if (app[1] == u'w') {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    }
  }
  // The program's own module is Parlo.exe.
  WCHAR path[260];
  DWORD n = GetModuleFileNameW(nullptr, path, 260);
  EXPECT_EQ(std::u16string(path), u"\\Program Files\\Parlo\\Parlo.exe");
  EXPECT_EQ(n, 30u);
  WCHAR small[8];
  EXPECT_EQ(WithError(GetModuleFileNameW(nullptr, small, 8)), std::tuple(8u, DWORD(ERROR_INSUFFICIENT_BUFFER)));
  EXPECT_EQ(std::u16string(small), u"\\Progra");
  HMODULE self = GetModuleHandleW(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(std::tuple(GetModuleHandleW(u"parlo.EXE"), GetModuleHandleW(u"coredll.dll")), std::tuple(self, nullptr));
  EXPECT_EQ(GetModuleFileNameW(self, path, 260), 30u);
}

}  // namespace
