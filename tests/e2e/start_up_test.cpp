// Starting Parlo: the first state and screen, settings across starts, second launches and the
// instance socket, screenshots, and the launcher's refusals.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "e2e/session.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

class StartUp : public DeviceTest {
 protected:
  json RegGet(const std::string& name, int* exitCode = nullptr) {
    Finished f = Device({"reg", "get", kSettingsKey, name});
    if (exitCode) *exitCode = f.exitCode;
    return f.exitCode == 0 ? json::parse(f.out) : json();
  }
};

// One session: the list mode, default settings and the screen; commands the session refuses
// (unknown, malformed numbers, overlong lines) leave it going; quit ends it as Linux expects.
TEST_F(StartUp, AFreshStartShowsTheListAndRefusedCommandsLeaveTheSessionGoing) {
  Parlo parlo(device_.dir());
  json state = parlo.Send("state");
  EXPECT_EQ(state["mode"], 0);
  EXPECT_EQ(state["previous"], 0);
  EXPECT_EQ(state["start_mode"], 0);
  EXPECT_EQ(state["start_number"], "");
  EXPECT_EQ(state["settings"]["close"], true);
  EXPECT_EQ(state["settings"]["use_lock"], false);
  EXPECT_EQ(state["settings"]["password"], "5836");
  EXPECT_EQ(state["settings"]["store_path"], "\\MITs Store\\MMS\\mms.edb");

  json screen = parlo.Send("screen");
  int frames = 0;
  for (const json& w : screen["windows"]) {
    if (w["class"] != "Parlo") continue;
    ++frames;
    EXPECT_EQ(w["text"], "Parlo");
    EXPECT_EQ(w["visible"], true);
    EXPECT_EQ(w["rect"][1], 0);  // full screen: the frame starts at the top
  }
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(screen["view"], "MainView");
  EXPECT_TRUE(screen["msgbox"].is_null());
  EXPECT_TRUE(screen["menu"].is_null());
  EXPECT_EQ(screen["cursor"], "arrow");
  EXPECT_EQ(screen["foreground"], true);

  // Numbers are plain decimal: no octal, hex, sign, tail or overflow.
  for (const char* line : {"fly 1 2", "tap 10", "key nosuchkey", "advance -5", "tap 010 100", "tap 0x5 100",
                           "tap +3 100", "tap 3abc 100", "down -0 5", "key f03", "key f99999999999999999999",
                           "advance 99999999999999999999", "drag 1 1 2 2 010",
                           "answer ok",  // nothing is waiting
                           "type"}) {    // nothing to type
    EXPECT_TRUE(parlo.Send(line).contains("error")) << line;
  }
  // Overlong lines are refused, and an error echoes only a short prefix of the line.
  for (const std::string& line : {std::string(70 * 1024, 'x'), std::string(60 * 1024, 'y')}) {
    json refused = parlo.Send(line);
    EXPECT_TRUE(refused.contains("error")) << line.size();
    EXPECT_LT(refused.dump().size(), 200u) << line.size();
  }
  EXPECT_EQ(parlo.Send("advance 1000"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("tap 100 100"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("key down"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
  // The program's own value answers quit; the process ends as Linux expects of a normal end.
  EXPECT_EQ(parlo.Send("quit"), (json{{"exit", 1}}));
  EXPECT_EQ(parlo.Wait(), 0);
}

TEST_F(StartUp, StartNumberFromTheCommandLine) {
  Parlo parlo(device_.dir(), {"-new", "0101234"});
  json state = parlo.Send("state");
  EXPECT_EQ(state["start_mode"], 4);
  EXPECT_EQ(state["start_number"], "0101234");
  parlo.Send("quit");
}

// Quit or closed input saves the flags; the password is written by the second start; flags read
// from the registry come back normalised.
TEST_F(StartUp, SettingsAreSavedAtTheEndAndTheSecondStartWritesTheDefaultPassword) {
  // A phone without the installer's key.
  ASSERT_EQ(Device({"reg", "del", kSettingsKey}).exitCode, 0);
  {
    Parlo parlo(device_.dir());
    EXPECT_EQ(parlo.Send("quit"), (json{{"exit", 1}}));
    EXPECT_EQ(parlo.Wait(), 0);
  }
  EXPECT_EQ(RegGet("use_lock"), (json{{"type", "dword"}, {"value", 0}}));
  EXPECT_EQ(RegGet("close"), (json{{"type", "dword"}, {"value", 1}}));
  int missing = 0;
  RegGet("password", &missing);
  EXPECT_EQ(missing, 1);
  {
    Parlo parlo(device_.dir());
    parlo.Send("state");
    EXPECT_EQ(parlo.Wait(), 0);  // closed input closes the program normally
  }
  EXPECT_EQ(RegGet("password"), (json{{"type", "multi_sz"}, {"value", {"5836"}}}));
  ASSERT_EQ(Device({"reg", "set", kSettingsKey, "view_sort", "dword", "7"}).exitCode, 0);
  ASSERT_EQ(Device({"reg", "del", kSettingsKey, "use_lock"}).exitCode, 0);
  {
    Parlo parlo(device_.dir());
    json settings = parlo.Send("state")["settings"];
    EXPECT_EQ(settings["view_sort"], true);
    EXPECT_EQ(settings["use_lock"], true);
    parlo.Send("quit");
    parlo.Wait();
  }
  EXPECT_EQ(RegGet("view_sort")["value"], 1);
  EXPECT_EQ(RegGet("use_lock")["value"], 1);
}

// One running program: second launches without arguments or with -CONTACTS bring it forward, a
// new message while another program is in front does too, garbage on its instance socket is
// refused, and a number is still handed over afterwards.
TEST_F(StartUp, SecondLaunchesAndNewMessagesReachTheRunningProgram) {
  Parlo parlo(device_.dir());
  for (const Args& words : {Args{}, Args{"-CONTACTS"}}) {
    SCOPED_TRACE(words.empty() ? "no arguments" : words[0]);
    EXPECT_EQ(parlo.Send("deactivate"), (json{{"ok", true}}));
    ASSERT_EQ(parlo.Send("screen")["foreground"], false);
    EXPECT_EQ(Launch(words).exitCode, 0);
    EXPECT_EQ(parlo.Send("screen")["foreground"], true);
    json state = parlo.Send("state");
    EXPECT_EQ(state["mode"], 0);
    EXPECT_EQ(state["previous"], 0);
    EXPECT_EQ(state["start_number"], "");
  }

  int sockets = 0;
  for (const auto& entry : fs::directory_iterator(device_.dir() / "run")) {
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

  EXPECT_EQ(Launch({"1", "0107777"}).exitCode, 0);
  EXPECT_EQ(parlo.Send("state")["start_number"], "0107777");
  parlo.Send("deactivate");
  ASSERT_EQ(parlo.Send("screen")["foreground"], false);
  ASSERT_EQ(Device({"receive", "--from", "01011112222", "hello"}).exitCode, 0);
  EXPECT_EQ(parlo.Send("idle"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("screen")["foreground"], true) << "a new message";
  EXPECT_EQ(parlo.Send("quit")["exit"], 1);
}

TEST_F(StartUp, AScreenshotIsAPngAndIsRefusedInOneLineWhileAnInstanceRuns) {
  fs::path png = device_.dir() / "shot.png";
  Finished f = e2e::Run("parlo", {"--device", dir(), "--screenshot", png.string()});
  EXPECT_EQ(f.exitCode, 0) << f.err;
  std::string bytes = parlo_test::ReadFileBytes(png);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  fs::remove(png);

  Parlo parlo(device_.dir());
  parlo.Send("idle");
  f = e2e::Run("parlo", {"--device", dir(), "--screenshot", png.string()});
  EXPECT_EQ(f.exitCode, 1);
  EXPECT_NE(f.err.find("another Parlo is running"), std::string::npos) << f.err;
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
  EXPECT_FALSE(fs::exists(png));
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
}

TEST(Launcher, MissingDeviceIsCreatedPrivate) {
  parlo_test::TempDevice device;
  fs::path fresh = device.dir() / "new-phone";
  Finished f = e2e::Run("parlo", {"--device", fresh.string(), "--headless", "--automate"}, "quit\n");
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
  Finished f = e2e::Run("parlo", {"--device", device.dir().string(), "--headless"});
  close(hung);
  EXPECT_EQ(f.exitCode, 1);
  EXPECT_NE(f.err.find("not answering"), std::string::npos) << f.err;
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
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
    Finished f = e2e::Run("parlo", {"--device", device.dir().string(), "--headless"});
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
    Finished f = e2e::Run("parlo", args);
    EXPECT_EQ(f.exitCode, 2) << args.back();
    EXPECT_NE(f.err.find("parlo: "), std::string::npos);
    EXPECT_NE(f.err.find(says), std::string::npos) << f.err;
    EXPECT_TRUE(f.out.empty());
  }
  EXPECT_FALSE(fs::exists(device.dir() / "registry.db"));
}

TEST(Launcher, WithoutADisplayItSaysSoAndExitsTwo) {
  parlo_test::TempDevice device;
  Finished f = e2e::Run("parlo", {"--device", device.dir().string()}, "",
                             {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
  EXPECT_EQ(f.exitCode, 2);
  // One line of ours, nothing from the display library before it.
  EXPECT_EQ(f.err.rfind("parlo: no display", 0), 0u) << f.err;
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
  EXPECT_NE(f.err.find("--headless"), std::string::npos) << f.err;
}

}  // namespace
