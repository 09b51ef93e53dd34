#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace {

namespace fs = std::filesystem;

TEST(DeviceTool, InitEmptyMakesTheFolders) {
  parlo_test::TempDevice device;
  fs::path root = device.dir() / "phone";
  e2e::Finished f = e2e::Run("parlo-device", {"--device", root.string(), "init", "--empty"});
  ASSERT_EQ(f.exitCode, 0) << f.err;
  EXPECT_TRUE(fs::is_directory(root / "network"));
  EXPECT_TRUE(fs::is_directory(root / "Program Files" / "Parlo"));
  EXPECT_EQ(fs::status(root / "run").permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(DeviceTool, BadInputIsOneLineOnStderrAndExitTwo) {
  parlo_test::TempDevice device;
  fs::path root = device.dir() / "phone";
  // Each line names what was not understood and, where a command was wanted, the commands.
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> mentions;
  };
  for (const Case& c : std::vector<Case>{
           {{"init", "--demo", "--empty"}, {"--empty"}},
           {{"frobnicate"}, {"\"frobnicate\"", "init, ", "receive"}},
           {{}, {"init, ", "reg"}},
           {{"reg", "frob"}, {"\"frob\"", "get, set, del"}},
           {{"init", "--bogus"}, {"--bogus"}},
           {{"reg", "set", "HKCU\\T", "v", "dword", "010"}, {"010"}},
           {{"init", std::string(5000, 'a')}, {"4096"}},
           // Only init makes a device: a message alone would leave half a phone behind.
           {{"receive", "--from", "010", "hi"}, {"init"}}}) {
    std::vector<std::string> args = {"--device", root.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    e2e::Finished f = e2e::Run("parlo-device", args);
    EXPECT_EQ(f.exitCode, 2);
    EXPECT_EQ(f.err.rfind("parlo-device: ", 0), 0u) << f.err;
    EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
    for (const std::string& m : c.mentions) EXPECT_NE(f.err.find(m), std::string::npos) << m << " in " << f.err;
  }
  EXPECT_FALSE(fs::exists(root));
}

TEST(DeviceTool, ADeviceThatIsAFileIsRefused) {
  parlo_test::TempDevice device;
  fs::path file = device.dir() / "not-a-folder";
  std::ofstream(file) << "x";
  for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
           {"init", "--empty"}, {"messages"}, {"contacts", "list"}, {"receive", "--from", "010", "hi"}, {"calls"}}) {
    std::vector<std::string> args = {"--device", file.string()};
    args.insert(args.end(), command.begin(), command.end());
    e2e::Finished f = e2e::Run("parlo-device", args);
    EXPECT_EQ(f.exitCode, 2) << command[0];
    EXPECT_EQ(f.err, "parlo-device: the device " + file.string() + " is not a folder\n") << command[0];
  }
  EXPECT_EQ(parlo_test::ReadFileBytes(file), "x");
}

TEST(DeviceTool, InitThatCannotWriteTheDemoFailsAndSaysWhy) {
  parlo_test::TempDevice device;
  fs::create_directories(device.dir() / "contacts.vcf");
  e2e::Finished f = e2e::Run("parlo-device", {"--device", device.dir().string(), "init", "--demo"});
  EXPECT_NE(f.exitCode, 0);
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
  EXPECT_NE(f.err.find("contacts.vcf"), std::string::npos) << f.err;
}

TEST(DeviceTool, CallsAndLaunchesAreJsonLinesOldestFirst) {
  parlo_test::TempDevice device;
  std::string d = device.dir().string();
  ASSERT_EQ(e2e::Run("parlo-device", {"--device", d, "init", "--empty"}).exitCode, 0);
  EXPECT_EQ(e2e::Run("parlo-device", {"--device", d, "calls"}).out, "");
  {
    std::ofstream calls(device.dir() / "network" / "calls.jsonl");
    calls << "{\"number\": \"0101\", \"name\": \"가\", \"time\": \"2024-03-05 14:07:09\"}\n"
          << "not json\n"
          << "\n"
          << "{\"number\":\"0102\",\"name\":\"\",\"time\":\"2024-03-05 14:08:00\"}\n";
  }
  e2e::Finished f = e2e::Run("parlo-device", {"--device", d, "calls"});
  EXPECT_EQ(f.exitCode, 0);
  EXPECT_EQ(f.out,
            "{\"number\":\"0101\",\"name\":\"가\",\"time\":\"2024-03-05 14:07:09\"}\n"
            "{\"number\":\"0102\",\"name\":\"\",\"time\":\"2024-03-05 14:08:00\"}\n");
  EXPECT_NE(f.err.find("line 2"), std::string::npos);
  EXPECT_EQ(e2e::Run("parlo-device", {"--device", d, "launches"}).out, "");
}

}  // namespace

namespace {

TEST(DeviceTool, TheComposerStandInRecordsHowItWasStarted) {
  parlo_test::TempDevice device;
  fs::path root = device.dir() / "phone";
  // Installed where a quote in the path would end the script's quoting and run what follows.
  fs::path install = device.dir() / "a'$(touch injected)'b";
  fs::create_directories(install);
  fs::copy_file(e2e::BinDir() / "parlo-device", install / "parlo-device");
  ASSERT_EQ(e2e::Run((install / "parlo-device").string(), {"--device", root.string(), "init", "--empty"}).exitCode, 0);
  fs::path standIn = root / "windows" / "MMSC.exe";
  ASSERT_TRUE(fs::exists(standIn));
  // Started as the platform starts a process: its arguments, and the phone's view in the environment.
  std::string command = "cd '" + root.string() + "' && PARLO_DEVICE='" + root.string() +
                        "' PARLO_PHONE_PATH='\\windows\\MMSC.exe' PARLO_COMMAND_LINE='\"3\" \"-x y\"' '" +
                        standIn.string() + "' 3 '-x y'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_FALSE(fs::exists(root / "injected"));
  e2e::Finished f = e2e::Run("parlo-device", {"--device", root.string(), "launches"});
  ASSERT_EQ(f.exitCode, 0) << f.err;
  nlohmann::json launch = nlohmann::json::parse(f.out);
  EXPECT_EQ(launch["path"], "\\windows\\MMSC.exe");
  EXPECT_EQ(launch["command_line"], "\"3\" \"-x y\"");
  EXPECT_EQ(launch["args"], (nlohmann::json{"3", "-x y"}));
}

}  // namespace
