// parlo-device reg get|set|del, run as the user runs it.
#include <gtest/gtest.h>

#include <fstream>

#include "e2e/process.h"
#include "kit/temp_device.h"
#include "platform/device/registry/registry_store.h"
#include "winreg.h"

namespace {

class RegistryCommands : public ::testing::Test {
 protected:
  void TearDown() override { platform::device::registry::Close(); }
  e2e::Finished Device(std::vector<std::string> args) {
    args.insert(args.begin(), {"--device", device_.dir().string()});
    return e2e::Run("parlo-device", args);
  }
  std::string Registry() { return parlo_test::ReadFileBytes(device_.dir() / "registry.db"); }
  parlo_test::TempDevice device_;
};

TEST_F(RegistryCommands, SetThenGetEachType) {
  const struct {
    std::vector<std::string> set, get;
    std::string printed;
  } cases[] = {
      {{"HKLM\\System\\State\\Messages\\SMS\\Unread", "Count", "dword", "0x1F"},
       {"hklm\\system\\state\\messages\\sms\\unread", "COUNT"},
       "{\"type\":\"dword\",\"value\":31}\n"},
      {{"HKCU\\SOFTWARE\\Ostrand\\Parlo", "password", "sz", "5836"},
       {"HKCU\\SOFTWARE\\Ostrand\\Parlo", "password"},
       "{\"type\":\"sz\",\"value\":\"5836\"}\n"},
      {{"HKCU\\T", "list", "multi_sz", "a", "안녕 b"}, {"HKCU\\T", "list"},
       "{\"type\":\"multi_sz\",\"value\":[\"a\",\"안녕 b\"]}\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> set = {"reg", "set"}, get = {"reg", "get"};
    set.insert(set.end(), c.set.begin(), c.set.end());
    get.insert(get.end(), c.get.begin(), c.get.end());
    EXPECT_EQ(Device(set).exitCode, 0) << c.printed;
    e2e::Finished f = Device(get);
    EXPECT_EQ(f.exitCode, 0) << c.printed;
    EXPECT_EQ(f.out, c.printed);
  }
}

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

TEST_F(RegistryCommands, MissingKeyOrValueExitsOne) {
  const std::pair<std::vector<std::string>, int> steps[] = {
      {{"reg", "get", "HKCU\\Nothing", "x"}, 1}, {{"reg", "set", "HKCU\\T", "v", "dword", "1"}, 0},
      {{"reg", "get", "HKCU\\T", "w"}, 1},       {{"reg", "del", "HKCU\\T", "w"}, 1},
      {{"reg", "del", "HKCU\\T", "v"}, 0},       {{"reg", "get", "HKCU\\T", "v"}, 1},
      {{"reg", "del", "HKCU\\T"}, 0},            {{"reg", "del", "HKCU\\T"}, 1}};
  for (const auto& [args, code] : steps) EXPECT_EQ(Device(args).exitCode, code) << args[1] << " " << args.back();
}

TEST_F(RegistryCommands, BadInputExitsTwoAndChangesNothing) {
  ASSERT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "7"}).exitCode, 0);
  const std::string before = Registry();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
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
