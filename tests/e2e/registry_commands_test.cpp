// parlo-device reg get|set|del, run as the user runs it.
#include <fstream>

#include "e2e/session.h"
#include "platform/device/registry/registry_store.h"
#include "winreg.h"

namespace {

using namespace e2e;

// The registry alone, on a folder no init made.
class RegistryCommands : public DeviceTest {
 protected:
  Args InitArgs() const override { return {}; }
  void TearDown() override { platform::device::registry::Close(); }
  std::string Registry() { return parlo_test::ReadFileBytes(device_.dir() / "registry.db"); }
};

TEST_F(RegistryCommands, BinaryValuesPrintAsHex) {
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

// Each type set and read back (key and value names in any case); a missing key or value exits 1.
TEST_F(RegistryCommands, StepsAndTheirAnswers) {
  const std::string unread = "HKLM\\System\\State\\Messages\\SMS\\Unread";
  const struct {
    Args args;
    int exitCode;
    const char* printed;  // nullptr: not looked at
  } steps[] = {
      {{"set", unread, "Count", "dword", "0x1F"}, 0, nullptr},
      {{"get", "hklm\\system\\state\\messages\\sms\\unread", "COUNT"}, 0, "{\"type\":\"dword\",\"value\":31}\n"},
      {{"set", kSettingsKey, "password", "sz", "5836"}, 0, nullptr},
      {{"get", kSettingsKey, "password"}, 0, "{\"type\":\"sz\",\"value\":\"5836\"}\n"},
      {{"set", "HKCU\\L", "list", "multi_sz", "a", "안녕 b"}, 0, nullptr},
      {{"get", "HKCU\\L", "list"}, 0, "{\"type\":\"multi_sz\",\"value\":[\"a\",\"안녕 b\"]}\n"},
      {{"get", "HKCU\\Nothing", "x"}, 1, nullptr},
      {{"set", "HKCU\\T", "v", "dword", "1"}, 0, nullptr},
      {{"get", "HKCU\\T", "w"}, 1, nullptr},
      {{"del", "HKCU\\T", "w"}, 1, nullptr},
      {{"del", "HKCU\\T", "v"}, 0, nullptr},
      {{"get", "HKCU\\T", "v"}, 1, nullptr},
      {{"del", "HKCU\\T"}, 0, nullptr},
      {{"del", "HKCU\\T"}, 1, nullptr},
  };
  for (const auto& step : steps) {
    Args args = {"reg"};
    args.insert(args.end(), step.args.begin(), step.args.end());
    Finished f = Device(args);
    EXPECT_EQ(f.exitCode, step.exitCode) << step.args[0] << " " << step.args.back() << ": " << f.err;
    if (step.printed) {
      EXPECT_EQ(f.out, step.printed);
    }
  }
}

TEST_F(RegistryCommands, BadInputExitsTwoAndChangesNothing) {
  ASSERT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "7"}).exitCode, 0);
  const std::string before = Registry();
  for (const Args& args : std::vector<Args>{
           {"reg", "set", "HKXX\\T", "v", "dword", "1"},
           {"reg", "set", "HKCU\\T", "v", "dword", "-1"},
           {"reg", "set", "HKCU\\T", "v", "dword", "4294967296"},
           {"reg", "set", "HKCU\\T", "v", "dword", "12abc"},
           {"reg", "set", "HKCU\\T", "v", "qword", "1"},
           {"reg", "set", "HKCU\\T", "v", "sz", "a", "b"},
           {"reg", "set", "HKCU\\" + std::string(600, 'k'), "v", "dword", "1"},
           {"reg", "set", "HKCU\\T", std::string(300, 'n'), "dword", "1"},
           {"reg", "del", "HKCU"}})
    EXPECT_EQ(Device(args).exitCode, 2) << args[2].substr(0, 20) << " " << args.back();
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "v"}).out, "{\"type\":\"dword\",\"value\":7}\n");
  EXPECT_EQ(Registry(), before);
}

TEST_F(RegistryCommands, ARegistryFileThatIsNotADatabaseIsReportedAndKept) {
  std::ofstream(device_.dir() / "registry.db") << "not a database";
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "v"}).exitCode, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "1"}).exitCode, 2);
  EXPECT_EQ(Registry(), "not a database");
}

}  // namespace
