// parlo-device itself: what init makes, how it refuses, and the calls, launches and composer
// stand-in it keeps.
#include <filesystem>
#include <fstream>

#include "e2e/session.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

// A phone the test makes itself, at device_/phone.
class DeviceTool : public DeviceTest {
 protected:
  Args InitArgs() const override { return {}; }
  void SetUp() override { root_ = device_.dir() / "phone"; }
};

// Each line names what was not understood and, where a command was wanted, the commands; a
// device that is a file is named; an init that cannot write the demo says why.
TEST_F(DeviceTool, BadInputIsOneLineOnStderr) {
  const fs::path file = device_.dir() / "not-a-folder";
  std::ofstream(file) << "x";
  const fs::path blocked = device_.dir() / "blocked";
  fs::create_directories(blocked / "contacts.vcf");
  const std::string notAFolder = "the device " + file.string() + " is not a folder\n";
  struct Case {
    fs::path device;
    Args args;
    std::vector<std::string> mentions;
    int exitCode = 2;
  } cases[] = {
      {root_, {"init", "--demo", "--empty"}, {"--empty"}},
      {root_, {"frobnicate"}, {"\"frobnicate\"", "init, ", "receive"}},
      {root_, {}, {"init, ", "reg"}},
      {root_, {"reg", "frob"}, {"\"frob\"", "get, set, del"}},
      {root_, {"init", "--bogus"}, {"--bogus"}},
      {root_, {"reg", "set", "HKCU\\T", "v", "dword", "010"}, {"010"}},
      {root_, {"init", std::string(5000, 'a')}, {"4096"}},
      // Only init makes a device: a message alone would leave half a phone behind.
      {root_, {"receive", "--from", "010", "hi"}, {"init"}},
      {file, {"init", "--empty"}, {notAFolder}},
      {file, {"messages"}, {notAFolder}},
      {file, {"contacts", "list"}, {notAFolder}},
      {file, {"receive", "--from", "010", "hi"}, {notAFolder}},
      {file, {"calls"}, {notAFolder}},
      {blocked, {"init", "--demo"}, {"contacts.vcf"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device.filename().string() + " " + (c.args.empty() ? "" : c.args[0].substr(0, 20)));
    root_ = c.device;
    Finished f = Device(c.args);
    if (c.exitCode == 2) {
      EXPECT_EQ(f.exitCode, 2);
    } else {
      EXPECT_NE(f.exitCode, 0);
    }
    EXPECT_EQ(f.err.rfind("parlo-device: ", 0), 0u) << f.err;
    EXPECT_EQ(Lines(f.err), 1) << f.err;
    for (const std::string& m : c.mentions) EXPECT_NE(f.err.find(m), std::string::npos) << m << " in " << f.err;
  }
  EXPECT_FALSE(fs::exists(device_.dir() / "phone"));
  EXPECT_EQ(parlo_test::ReadFileBytes(file), "x");
}

TEST_F(DeviceTool, CallsAndLaunchesAreJsonLinesOldestFirst) {
  ASSERT_EQ(Device({"init", "--empty"}).exitCode, 0);
  EXPECT_EQ(Device({"calls"}).out, "");
  std::ofstream(root_ / "network" / "calls.jsonl")
      << "{\"number\": \"0101\", \"name\": \"가\", \"time\": \"2024-03-05 14:07:09\"}\n"
      << "not json\n\n"
      << "{\"number\":\"0102\",\"name\":\"\",\"time\":\"2024-03-05 14:08:00\"}\n";
  Finished f = Device({"calls"});
  EXPECT_EQ(f.exitCode, 0);
  EXPECT_EQ(f.out,
            "{\"number\":\"0101\",\"name\":\"가\",\"time\":\"2024-03-05 14:07:09\"}\n"
            "{\"number\":\"0102\",\"name\":\"\",\"time\":\"2024-03-05 14:08:00\"}\n");
  EXPECT_NE(f.err.find("line 2"), std::string::npos);
  EXPECT_EQ(Device({"launches"}).out, "");
}

TEST_F(DeviceTool, TheComposerStandInRecordsHowItWasStarted) {
  // Installed where a quote in the path would end the script's quoting and run what follows.
  fs::path install = device_.dir() / "a'$(touch injected)'b";
  fs::create_directories(install);
  fs::copy_file(BinDir() / "parlo-device", install / "parlo-device");
  ASSERT_EQ(e2e::Run((install / "parlo-device").string(), {"--device", dir(), "init", "--empty"}).exitCode, 0);
  fs::path standIn = root_ / "windows" / "MMSC.exe";
  ASSERT_TRUE(fs::exists(standIn));
  // Started as the platform starts a process: its arguments, and the phone's view in the environment.
  std::string command = "cd '" + dir() + "' && PARLO_DEVICE='" + dir() +
                        "' PARLO_PHONE_PATH='\\windows\\MMSC.exe' PARLO_COMMAND_LINE='\"3\" \"-x y\"' '" +
                        standIn.string() + "' 3 '-x y'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_FALSE(fs::exists(root_ / "injected"));
  ExpectFields(Json({"launches"}).at(0),
               {{"path", "\\windows\\MMSC.exe"}, {"command_line", "\"3\" \"-x y\""}, {"args", json::array({"3", "-x y"})}});
}

}  // namespace
