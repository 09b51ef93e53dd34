#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const char kKey[] = "HKCU\\SOFTWARE\\Ostrand\\Parlo";

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::Finished init = e2e::Run("parlo-device", {"--device", dir().string(), "init", "--empty"});
    ASSERT_EQ(init.exitCode, 0) << init.err;
  }
  const fs::path& dir() const { return device_.dir(); }

  json RegGet(const std::string& name, int* exitCode = nullptr) {
    e2e::Finished f = e2e::Run("parlo-device", {"--device", dir().string(), "reg", "get", kKey, name});
    if (exitCode) *exitCode = f.exitCode;
    return f.exitCode == 0 ? json::parse(f.out) : json();
  }

  // A second launch on the same device, as a user would start it.
  e2e::Finished Launch(const std::vector<std::string>& words) {
    std::vector<std::string> args = {"--device", dir().string(), "--headless", "--virtual-clock", "2024-03-05 14:08:00"};
    args.insert(args.end(), words.begin(), words.end());
    return e2e::Run("parlo", args);
  }

  parlo_test::TempDevice device_;
};

TEST_F(StartUp, PlainStartShowsTheListModeAndDefaultSettings) {
  e2e::Parlo parlo(dir());
  json state = parlo.Send("state");
  EXPECT_EQ(state["mode"], 0);
  EXPECT_EQ(state["previous"], 0);
  EXPECT_EQ(state["start_mode"], 0);
  EXPECT_EQ(state["start_number"], "");
  EXPECT_EQ(state["settings"]["close"], true);
  EXPECT_EQ(state["settings"]["use_lock"], false);
  EXPECT_EQ(state["settings"]["password"], "5836");
  EXPECT_EQ(state["settings"]["store_path"], "\\MITs Store\\MMS\\mms.edb");
  // The program's own value answers quit; the process ends as Linux expects of a normal end.
  EXPECT_EQ(parlo.Send("quit"), (json{{"exit", 1}}));
  EXPECT_EQ(parlo.Wait(), 0);
}

TEST_F(StartUp, StartNumberFromTheCommandLine) {
  e2e::Parlo parlo(dir(), {"-new", "0101234"});
  json state = parlo.Send("state");
  EXPECT_EQ(state["start_mode"], 4);
  EXPECT_EQ(state["start_number"], "0101234");
  parlo.Send("quit");
}

TEST_F(StartUp, QuitSavesTheSettingsAndTheSecondStartTheDefaultPassword) {
  // A phone without the installer's key.
  ASSERT_EQ(e2e::Run("parlo-device", {"--device", dir().string(), "reg", "del", kKey}).exitCode, 0);
  {
    e2e::Parlo parlo(dir());
    EXPECT_EQ(parlo.Send("quit"), (json{{"exit", 1}}));
    EXPECT_EQ(parlo.Wait(), 0);
  }
  EXPECT_EQ(RegGet("use_lock"), (json{{"type", "dword"}, {"value", 0}}));
  EXPECT_EQ(RegGet("close"), (json{{"type", "dword"}, {"value", 1}}));
  int missing = 0;
  RegGet("password", &missing);
  EXPECT_EQ(missing, 1);
  {
    e2e::Parlo parlo(dir());
    parlo.Send("quit");
    parlo.Wait();
  }
  EXPECT_EQ(RegGet("password"), (json{{"type", "multi_sz"}, {"value", {"5836"}}}));
}

TEST_F(StartUp, FlagsReadFromTheRegistryAreSavedNormalised) {
  {
    e2e::Parlo parlo(dir());
    parlo.Send("quit");
    parlo.Wait();
  }
  ASSERT_EQ(e2e::Run("parlo-device", {"--device", dir().string(), "reg", "set", kKey, "view_sort", "dword", "7"}).exitCode, 0);
  ASSERT_EQ(e2e::Run("parlo-device", {"--device", dir().string(), "reg", "del", kKey, "use_lock"}).exitCode, 0);
  e2e::Parlo parlo(dir());
  json settings = parlo.Send("state")["settings"];
  EXPECT_EQ(settings["view_sort"], true);
  EXPECT_EQ(settings["use_lock"], true);
  parlo.Send("quit");
  parlo.Wait();
  EXPECT_EQ(RegGet("view_sort")["value"], 1);
  EXPECT_EQ(RegGet("use_lock")["value"], 1);
}

TEST_F(StartUp, SecondLaunchWithoutArgumentsOrWithContactsOnlyBringsItForward) {
  e2e::Parlo parlo(dir());
  EXPECT_EQ(parlo.Send("deactivate"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("screen")["foreground"], false);
  EXPECT_EQ(Launch({}).exitCode, 0);
  json screen = parlo.Send("screen");
  EXPECT_EQ(screen["foreground"], true);
  parlo.Send("deactivate");
  EXPECT_EQ(Launch({"-CONTACTS"}).exitCode, 0);
  EXPECT_EQ(parlo.Send("screen")["foreground"], true);
  json state = parlo.Send("state");
  EXPECT_EQ(state["mode"], 0);
  EXPECT_EQ(state["previous"], 0);
  EXPECT_EQ(state["start_number"], "");
}

TEST_F(StartUp, GarbageOnTheInstanceSocketIsRefusedAndTheProgramGoesOn) {
  e2e::Parlo parlo(dir());
  parlo.Send("idle");
  int sockets = 0;
  for (const auto& entry : fs::directory_iterator(dir() / "run")) {
    if (entry.path().extension() != ".sock") continue;
    ++sockets;
    for (const std::string& junk : {std::string("GET / HTTP/1.0\r\n\r\n"), std::string(100000, '\xff'),
                                    std::string("\x10\x00\x00\x00", 4)}) {
      int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      ASSERT_GE(fd, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::string path = entry.path().string();
      ASSERT_LT(path.size(), sizeof addr.sun_path);
      std::copy(path.begin(), path.end(), addr.sun_path);
      if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        (void)!write(fd, junk.data(), junk.size());
      }
      close(fd);
    }
  }
  EXPECT_EQ(sockets, 1);
  EXPECT_EQ(parlo.Send("idle"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
  // A real hand-over still works afterwards.
  EXPECT_EQ(Launch({"1", "0107777"}).exitCode, 0);
  EXPECT_EQ(parlo.Send("state")["start_number"], "0107777");
}

TEST_F(StartUp, NewMessageWhileAnotherProgramIsInFrontBringsTheFrameForward) {
  std::string d = dir().string();
  ASSERT_EQ(e2e::Run("parlo-device", {"--device", d, "receive", "--from", "0101", "first"}).exitCode, 0);
  e2e::Parlo parlo(dir());
  parlo.Send("deactivate");
  ASSERT_EQ(parlo.Send("screen")["foreground"], false);
  ASSERT_EQ(e2e::Run("parlo-device", {"--device", d, "receive", "--from", "01011112222", "hello"}).exitCode, 0);
  EXPECT_EQ(parlo.Send("idle"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("screen")["foreground"], true);
  EXPECT_EQ(parlo.Send("quit")["exit"], 1);
}

TEST_F(StartUp, AutomationErrorsLeaveTheSessionGoing) {
  e2e::Parlo parlo(dir());
  EXPECT_TRUE(parlo.Send("fly 1 2").contains("error"));
  EXPECT_TRUE(parlo.Send("tap 10").contains("error"));
  EXPECT_TRUE(parlo.Send("key nosuchkey").contains("error"));
  EXPECT_TRUE(parlo.Send("advance -5").contains("error"));
  // Numbers are plain decimal: no octal, hex, sign, tail or overflow.
  for (const char* line : {"tap 010 100", "tap 0x5 100", "tap +3 100", "tap 3abc 100", "down -0 5", "key f03",
                           "key f99999999999999999999", "advance 99999999999999999999", "drag 1 1 2 2 010"}) {
    EXPECT_TRUE(parlo.Send(line).contains("error")) << line;
  }
  EXPECT_TRUE(parlo.Send("answer ok").contains("error"));  // nothing is waiting
  EXPECT_TRUE(parlo.Send("type").contains("error"));  // nothing to type
  EXPECT_EQ(parlo.Send("advance 1000"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("tap 100 100"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("key down"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
  EXPECT_EQ(parlo.Send("quit")["exit"], 1);
}

TEST_F(StartUp, ScreenReportsTheFrameAndTheMessageList) {
  e2e::Parlo parlo(dir());
  json screen = parlo.Send("screen");
  ASSERT_TRUE(screen["windows"].is_array());
  bool frame = false;
  for (const json& w : screen["windows"]) {
    if (w["class"] == "Parlo") {
      frame = true;
      EXPECT_EQ(w["text"], "Parlo");
      EXPECT_EQ(w["visible"], true);
      // Full screen: the frame starts at the top of the screen.
      EXPECT_EQ(w["rect"][1], 0);
    }
  }
  EXPECT_TRUE(frame);
  EXPECT_EQ(screen["view"], "MainView");
  EXPECT_TRUE(screen["msgbox"].is_null());
  EXPECT_TRUE(screen["menu"].is_null());
  EXPECT_EQ(screen["cursor"], "arrow");
  EXPECT_EQ(screen["foreground"], true);
  parlo.Send("quit");
}

TEST_F(StartUp, ClosedInputClosesTheProgramNormally) {
  {
    e2e::Parlo parlo(dir());
    parlo.Send("state");
    EXPECT_EQ(parlo.Wait(), 0);
  }
  EXPECT_EQ(RegGet("close")["value"], 1);
}

TEST_F(StartUp, ScreenshotWritesAPngAndEnds) {
  fs::path png = dir() / "shot.png";
  e2e::Finished f = e2e::Run("parlo", {"--device", dir().string(), "--screenshot", png.string()});
  EXPECT_EQ(f.exitCode, 0) << f.err;
  std::string bytes = parlo_test::ReadFileBytes(png);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST(Launcher, MissingDeviceIsCreatedPrivate) {
  parlo_test::TempDevice device;
  fs::path fresh = device.dir() / "new-phone";
  e2e::Finished f = e2e::Run("parlo", {"--device", fresh.string(), "--headless", "--automate"}, "quit\n");
  EXPECT_EQ(f.exitCode, 0) << f.err;
  EXPECT_EQ(f.out, "{\"exit\":1}\n");
  EXPECT_TRUE(fs::is_directory(fresh / "run"));
  EXPECT_TRUE(fs::is_directory(fresh / "network"));
  // The message database, the registry, the contacts and every companion and cache beside them.
  ASSERT_TRUE(fs::exists(fresh / "registry.db"));
  ASSERT_TRUE(fs::exists(fresh / "contacts.vcf"));
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_all);
  for (const auto& entry : fs::recursive_directory_iterator(fresh)) {
    if (entry.is_symlink()) continue;
    EXPECT_EQ(entry.status().permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
        << entry.path();
  }
}

// A program on the device that takes connections but never answers: a hung Parlo.
TEST(Launcher, AHungInstanceIsNamedAndNoSecondCopyStarts) {
  parlo_test::TempDevice device;
  fs::create_directory(device.dir() / "run");
  int hung = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string path = (device.dir() / "run" / "instance-4000021.sock").string();
  ASSERT_LT(path.size(), sizeof addr.sun_path);
  std::copy(path.begin(), path.end(), addr.sun_path);
  ASSERT_EQ(bind(hung, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(hung, 16), 0);
  e2e::Finished f = e2e::Run("parlo", {"--device", device.dir().string(), "--headless"});
  close(hung);
  EXPECT_EQ(f.exitCode, 1);
  EXPECT_NE(f.err.find("not answering"), std::string::npos) << f.err;
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
}

TEST_F(StartUp, ScreenshotWhileAnInstanceRunsIsRefusedInOneLine) {
  e2e::Parlo parlo(dir());
  parlo.Send("idle");
  fs::path png = dir() / "shot.png";
  e2e::Finished f = e2e::Run("parlo", {"--device", dir().string(), "--screenshot", png.string()});
  EXPECT_EQ(f.exitCode, 1);
  EXPECT_NE(f.err.find("another Parlo is running"), std::string::npos) << f.err;
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
  EXPECT_FALSE(fs::exists(png));
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
}

TEST(Launcher, ARunFolderThatIsNotOursIsRefusedInOneLine) {
  for (const char* kind : {"file", "symlink"}) {
    parlo_test::TempDevice device;
    fs::path run = device.dir() / "run";
    if (std::string(kind) == "file") {
      std::ofstream(run) << "x";
    } else {
      fs::create_directory(device.dir() / "elsewhere");
      fs::create_directory_symlink(device.dir() / "elsewhere", run);
    }
    e2e::Finished f = e2e::Run("parlo", {"--device", device.dir().string(), "--headless"});
    EXPECT_EQ(f.exitCode, 1) << kind;
    EXPECT_NE(f.err.find(run.string()), std::string::npos) << kind << ": " << f.err;
    EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << kind << ": " << f.err;
  }
}

TEST(Launcher, BadOptionsAreRefusedPlainly) {
  parlo_test::TempDevice device;
  std::string d = device.dir().string();
  // Each refusal says what was wrong.
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
      {{"--device", d, "--headless", "--zoom", "x"}, "--zoom"},
      {{"--device", d, "--headless", "--screen", "480x800"}, "WIDTHxHEIGHT@DPI"},
      {{"--device", d, "--headless", "--screen", "10x10@1"}, "from 64 to 4096 pixels, DPI from 48 to 960"},
      {{"--device", d, "--headless", "--virtual-clock", "2024-13-01 00:00:00"}, "--virtual-clock"},
      {{"--device", d, "--headless", "--frobnicate"}, "--frobnicate"},
      {{"--device", d, "--headless", std::string(10000, 'x')}, "longer than"},
      {{"--device"}, "needs a value"}};
  for (const auto& [args, says] : rows) {
    e2e::Finished f = e2e::Run("parlo", args);
    EXPECT_EQ(f.exitCode, 2) << args.back();
    EXPECT_NE(f.err.find("parlo: "), std::string::npos);
    EXPECT_NE(f.err.find(says), std::string::npos) << f.err;
    EXPECT_TRUE(f.out.empty());
  }
  EXPECT_FALSE(fs::exists(device.dir() / "registry.db"));
}

TEST(Launcher, WithoutADisplayItSaysSoAndExitsTwo) {
  parlo_test::TempDevice device;
  e2e::Finished f = e2e::Run("parlo", {"--device", device.dir().string()}, "",
                             {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
  EXPECT_EQ(f.exitCode, 2);
  // One line of ours, nothing from the display library before it.
  EXPECT_EQ(f.err.rfind("parlo: no display", 0), 0u) << f.err;
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
  EXPECT_NE(f.err.find("--headless"), std::string::npos) << f.err;
}

}  // namespace
