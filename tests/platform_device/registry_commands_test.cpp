// parlo-device reg get|set|del, run as the user runs it.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "device_fixture.h"
#include "winreg.h"

namespace {

struct ToolRun {
  int code = -1;
  std::string out;
};

class RegistryCommandsTest : public parlo_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    const char* bin = std::getenv("PARLO_BIN_DIR");
    tool_ = std::filesystem::path(bin ? bin : "") / "parlo-device";
    if (!bin || !std::filesystem::exists(tool_)) GTEST_SKIP() << "parlo-device is not built";
  }
  // Arguments are single-quoted for the shell; none of the tests' arguments hold a quote.
  ToolRun Device(const std::vector<std::string>& args) {
    std::string cmd = "'" + tool_.string() + "' --device '" + dir().string() + "'";
    for (auto& a : args) cmd += " '" + a + "'";
    cmd += " 2>/dev/null";
    ToolRun r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
  std::filesystem::path tool_;
};

TEST_F(RegistryCommandsTest, SetThenGetEachType) {
  EXPECT_EQ(Device({"reg", "set", "HKLM\\System\\State\\Messages\\SMS\\Unread", "Count", "dword", "0x1F"}).code, 0);
  ToolRun r = Device({"reg", "get", "hklm\\system\\state\\messages\\sms\\unread", "COUNT"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "{\"type\":\"dword\",\"value\":31}\n");
  EXPECT_EQ(Device({"reg", "set", "HKCU\\SOFTWARE\\Ostrand\\Parlo", "password", "sz", "5836"}).code, 0);
  EXPECT_EQ(Device({"reg", "get", "HKCU\\SOFTWARE\\Ostrand\\Parlo", "password"}).out,
            "{\"type\":\"sz\",\"value\":\"5836\"}\n");
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "list", "multi_sz", "a", "안녕 b"}).code, 0);
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "list"}).out, "{\"type\":\"multi_sz\",\"value\":[\"a\",\"안녕 b\"]}\n");
}

TEST_F(RegistryCommandsTest, BinaryValuesPrintAsHex) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"System\\State\\DateTime", 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const BYTE bytes[] = {0x00, 0xAB, 0x10};
  ASSERT_EQ(RegSetValueExW(key, u"Time", 0, REG_BINARY, bytes, 3), ERROR_SUCCESS);
  RegCloseKey(key);
  platform::device::registry::Close();
  EXPECT_EQ(Device({"reg", "get", "HKLM\\System\\State\\DateTime", "Time"}).out,
            "{\"type\":\"binary\",\"value\":\"00ab10\"}\n");
}

TEST_F(RegistryCommandsTest, MissingKeyOrValueExitsOne) {
  EXPECT_EQ(Device({"reg", "get", "HKCU\\Nothing", "x"}).code, 1);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "1"}).code, 0);
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "w"}).code, 1);
  EXPECT_EQ(Device({"reg", "del", "HKCU\\T", "w"}).code, 1);
  EXPECT_EQ(Device({"reg", "del", "HKCU\\T", "v"}).code, 0);
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "v"}).code, 1);
  EXPECT_EQ(Device({"reg", "del", "HKCU\\T"}).code, 0);
  EXPECT_EQ(Device({"reg", "del", "HKCU\\T"}).code, 1);
}

TEST_F(RegistryCommandsTest, BadInputExitsTwoAndChangesNothing) {
  ASSERT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "7"}).code, 0);
  const std::string before = parlo_test::ReadFileBytes(dir() / "registry.db");
  EXPECT_EQ(Device({"reg", "set", "HKXX\\T", "v", "dword", "1"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "-1"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "4294967296"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "12abc"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "qword", "1"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "sz", "a", "b"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\" + std::string(600, 'k'), "v", "dword", "1"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", std::string(300, 'n'), "dword", "1"}).code, 2);
  EXPECT_EQ(Device({"reg", "del", "HKCU"}).code, 2);
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "v"}).out, "{\"type\":\"dword\",\"value\":7}\n");
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "registry.db"), before);
}

TEST_F(RegistryCommandsTest, ARegistryFileThatIsNotADatabaseIsReportedAndKept) {
  std::ofstream(dir() / "registry.db") << "not a database";
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "v"}).code, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "1"}).code, 2);
  EXPECT_EQ(parlo_test::ReadFileBytes(dir() / "registry.db"), "not a database");
}

}  // namespace
