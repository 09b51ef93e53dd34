// Starting Parlo: the first state and screen, settings across starts, second launches and the
// instance socket, screenshots, and the launcher's refusals. Then the automation session itself:
// answers inside modal loops whatever command opened them, answers given as a finger gives them,
// and the last answer before the end.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "e2e/session.h"
#include "platform/device/instance/unix_socket.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

class StartUp : public DeviceTest {
 protected:
  json RegGet(const std::string& name) {
    Finished f = Device({"reg", "get", kSettingsKey, name});
    return f.exitCode == 0 ? json::parse(f.out) : json(f.exitCode);
  }
};

// One session: the list mode, default settings and the screen; commands the session refuses
// (unknown, malformed numbers, overlong lines) leave it going; quit ends it as Linux expects.
TEST_F(StartUp, AFreshStartShowsTheListAndRefusedCommandsLeaveTheSessionGoing) {
  Parlo parlo(device_.dir());
  ExpectFields(parlo.Send("state"), {{"mode", 0},
                                     {"previous", 0},
                                     {"start_mode", 0},
                                     {"start_number", ""},
                                     {"settings",
                                      {{"close", true},
                                       {"use_lock", false},
                                       {"password", "5836"},
                                       {"store_path", "\\MITs Store\\MMS\\mms.edb"}}}});

  json screen = parlo.Send("screen");
  std::vector<json> frames;
  for (const json& w : screen["windows"])
    if (w["class"] == "Parlo") frames.push_back(w);
  ASSERT_EQ(frames.size(), 1u);
  ExpectFields(frames[0], {{"text", "Parlo"}, {"visible", true}});
  EXPECT_EQ(frames[0]["rect"][1], 0);  // full screen: the frame starts at the top
  ExpectFields(screen, {{"view", "MainView"}, {"msgbox", nullptr}, {"menu", nullptr}, {"cursor", "arrow"},
                        {"foreground", true}});

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
  for (const char* line : {"advance 1000", "tap 100 100", "key down"}) EXPECT_EQ(parlo.Send(line), kOk);
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
  // The program's own value answers quit; the process ends as Linux expects of a normal end.
  EXPECT_EQ(parlo.Send("quit"), (json{{"exit", 1}}));
  EXPECT_EQ(parlo.Wait(), 0);
}

// Quit or closed input saves the flags; the password is written by the second start; flags read
// from the registry come back normalised.
TEST_F(StartUp, SettingsAreSavedAtTheEndAndTheSecondStartWritesTheDefaultPassword) {
  // A phone without the installer's key.
  Json({"reg", "del", kSettingsKey});
  {
    Parlo parlo(device_.dir());
    EXPECT_EQ(parlo.Send("quit"), (json{{"exit", 1}}));
    EXPECT_EQ(parlo.Wait(), 0);
  }
  EXPECT_EQ(RegGet("use_lock"), (json{{"type", "dword"}, {"value", 0}}));
  EXPECT_EQ(RegGet("close"), (json{{"type", "dword"}, {"value", 1}}));
  EXPECT_EQ(RegGet("password"), 1);  // missing
  {
    Parlo parlo(device_.dir());
    parlo.Send("state");
    EXPECT_EQ(parlo.Wait(), 0);  // closed input closes the program normally
  }
  EXPECT_EQ(RegGet("password"), (json{{"type", "multi_sz"}, {"value", {"5836"}}}));
  Json({"reg", "set", kSettingsKey, "view_sort", "dword", "7"});
  Json({"reg", "del", kSettingsKey, "use_lock"});
  {
    Parlo parlo(device_.dir());
    ExpectFields(parlo.Send("state")["settings"], {{"view_sort", true}, {"use_lock", true}});
  }
  EXPECT_EQ(RegGet("view_sort")["value"], 1);
  EXPECT_EQ(RegGet("use_lock")["value"], 1);
}

// A screenshot is a PNG. Then one running program: second launches without arguments or with
// -CONTACTS bring it forward, a new message while another program is in front does too, garbage on
// its instance socket and a screenshot are refused, and a number is still handed over afterwards.
TEST_F(StartUp, AScreenshotThenSecondLaunchesAndNewMessagesReachTheRunningProgram) {
  const fs::path png = device_.dir() / "shot.png";
  Finished shot = e2e::Run("parlo", {"--device", dir(), "--screenshot", png.string()});
  EXPECT_EQ(shot.exitCode, 0) << shot.err;
  EXPECT_EQ(parlo_test::ReadFileBytes(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  fs::remove(png);
  Parlo parlo(device_.dir());
  for (const Args& words : {Args{}, Args{"-CONTACTS"}}) {
    SCOPED_TRACE(words.empty() ? "no arguments" : words[0]);
    EXPECT_EQ(parlo.Send("deactivate"), kOk);
    ASSERT_EQ(parlo.Send("screen")["foreground"], false);
    EXPECT_EQ(Launch(words).exitCode, 0);
    EXPECT_EQ(parlo.Send("screen")["foreground"], true);
    ExpectFields(parlo.Send("state"), {{"mode", 0}, {"previous", 0}, {"start_number", ""}});
  }

  int sockets = 0;
  for (const auto& entry : fs::directory_iterator(device_.dir() / "run")) {
    if (entry.path().extension() != ".sock") continue;
    ++sockets;
    for (const std::string& junk : {std::string("GET / HTTP/1.0\r\n\r\n"), std::string(100000, '\xff'),
                                    std::string("\x10\x00\x00\x00", 4)}) {
      const int fd = platform::device::ConnectTo(entry.path());
      ASSERT_GE(fd, 0);
      platform::device::WriteAll(fd, junk, platform::device::DeadlineIn(2000));
      close(fd);
    }
  }
  EXPECT_EQ(sockets, 1);
  EXPECT_EQ(parlo.Send("idle"), kOk);
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
  shot = e2e::Run("parlo", {"--device", dir(), "--screenshot", png.string()});
  ExpectRefusal(shot, "parlo: ", 1);
  EXPECT_NE(shot.err.find("another Parlo is running"), std::string::npos) << shot.err;
  EXPECT_FALSE(fs::exists(png));

  // The number opens a message to it, ready to type; the back button in the top bar goes back to
  // the list and takes the keyboard along.
  const Finished second = Launch({"1", "0107777"});
  EXPECT_EQ(std::tuple(second.exitCode, second.err), std::tuple(0, ""));
  ExpectFields(parlo.Send("state"), {{"mode", 3},
                                     {"previous", 4},
                                     {"start_mode", 0},
                                     {"start_number", "0107777"},
                                     {"compose",
                                      {{"recipient", "0107777"},
                                       {"text", ""},
                                       {"sender", "나"},
                                       {"initialised", true},
                                       {"reply_source", false}}}});
  ExpectFields(parlo.Send("screen"), {{"view", "SendView"}, {"foreground", true}, {"sip", true}});
  EXPECT_TRUE(Shows(parlo, "0자/0쪽"));
  EXPECT_EQ(Item(parlo, "windows", "id", 1001)["focus"], true);
  parlo.Send("tap 440 35");
  ExpectFields(parlo.Send("screen"), {{"view", "MainView"}, {"sip", false}});
  parlo.Send("deactivate");
  ASSERT_EQ(parlo.Send("screen")["foreground"], false);
  Receive("01011112222", "hello");
  EXPECT_EQ(parlo.Send("idle"), kOk);
  EXPECT_EQ(parlo.Send("screen")["foreground"], true) << "a new message";
  EXPECT_EQ(parlo.Send("quit")["exit"], 1);
}

// On the machine's clock, as a user starts it.
TEST(Launcher, MissingDeviceIsCreatedPrivateAndRefusalsArePlain) {
  parlo_test::TempDevice device;
  fs::path fresh = device.dir() / "new-phone";
  Finished f = e2e::Run("parlo", {"--device", fresh.string(), "--headless", "--automate"}, "quit\n");
  EXPECT_EQ(f.exitCode, 0) << f.err;
  EXPECT_EQ(f.out, "{\"exit\":1}\n");
  for (const char* folder : {"run", "network", "Program Files/Parlo"}) EXPECT_TRUE(fs::is_directory(fresh / folder));
  // The message database, the registry, the contacts and every companion and cache beside them.
  ASSERT_TRUE(fs::exists(fresh / "registry.db"));
  ASSERT_TRUE(fs::exists(fresh / "contacts.vcf"));
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_all);
  for (const auto& entry : fs::recursive_directory_iterator(fresh)) {
    if (entry.is_symlink()) continue;
    EXPECT_EQ(entry.status().permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
        << entry.path();
  }
  // Each refusal starts "parlo: ", says what was wrong, exits with its code and prints nothing on
  // stdout; the options' refusals add the usage, the others are one line.
  const fs::path d = device.dir();
  auto at = [&d](const char* name) { return (d / name).string(); };
  for (const char* name : {"hung/run", "file", "symlink", "elsewhere"}) fs::create_directories(d / name);
  // A program on the device that takes connections but never answers: a hung Parlo.
  const int hung = platform::device::ListenAt(d / "hung" / "run" / "instance-4000021.sock");
  ASSERT_GE(hung, 0);
  std::ofstream(d / "file" / "run") << "x";
  fs::create_directory_symlink(d / "elsewhere", d / "symlink" / "run");
  const std::string o = at("options");
  const struct {
    Args args;
    int exitCode;
    std::vector<std::string> says;
    bool oneLine;
    Args unsetEnv;
  } cases[] = {
      {{"--device", at("hung"), "--headless"}, 1, {"not answering"}, true, {}},
      {{"--device", at("file"), "--headless"}, 1, {at("file") + "/run"}, true, {}},
      {{"--device", at("symlink"), "--headless"}, 1, {at("symlink") + "/run"}, true, {}},
      {{"--device", at("plain")}, 2, {"no display", "--headless"}, true, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}},
      {{"--device", o, "--headless", "--zoom", "x"}, 2, {"--zoom"}, false, {}},
      {{"--device", o, "--headless", "--screen", "480x800"}, 2, {"WIDTHxHEIGHT@DPI"}, false, {}},
      {{"--device", o, "--headless", "--screen", "10x10@1"}, 2, {"from 64 to 4096 pixels, DPI from 48 to 960"}, false, {}},
      {{"--device", o, "--headless", "--virtual-clock", "2024-13-01 00:00:00"}, 2, {"--virtual-clock"}, false, {}},
      {{"--device", o, "--headless", "--frobnicate"}, 2, {"--frobnicate"}, false, {}},
      {{"--device", o, "--headless", std::string(10000, 'x')}, 2, {"longer than"}, false, {}},
      {{"--device"}, 2, {"needs a value"}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back().substr(0, 40));
    Finished f = e2e::Run("parlo", c.args, "", c.unsetEnv);
    ExpectRefusal(f, "parlo: ", c.exitCode, c.oneLine);
    for (const std::string& part : c.says) EXPECT_NE(f.err.find(part), std::string::npos) << f.err;
  }
  close(hung);
  EXPECT_FALSE(fs::exists(d / "options"));
}

// 삭제, the right button of the message list's footer.
constexpr const char* kDelete = "360 750";

class Automation : public DeviceTest {};

// One session, in order: a timer fired by advance opens a box; answered boxes leave the next tap
// to count; the about box answered gives the frame its screen back; keys drive an open menu; a tap
// that ends the program is answered first.
TEST_F(Automation, ModalLoopsAnswerWhateverOpenedThem) {
  Parlo parlo(device_.dir());
  {
    SCOPED_TRACE("a held 삭제");
    EXPECT_EQ(parlo.Send(std::string("down ") + kDelete), kOk);
    // Held 400 ms, 삭제 asks whether to delete everything.
    EXPECT_EQ(parlo.Send("advance 450"), kOk);
    json box = parlo.Send("screen")["msgbox"];
    ASSERT_TRUE(box.is_object());
    EXPECT_EQ(box["buttons"].size(), 2u);
    EXPECT_EQ(parlo.Send("answer no"), kOk);
    EXPECT_TRUE(parlo.Send("screen")["msgbox"].is_null());
  }
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE("a tapped 삭제, round " + std::to_string(round));
    // Nothing is selected: 삭제 says so.
    parlo.Send(std::string("tap ") + kDelete);
    ASSERT_TRUE(parlo.Send("screen")["msgbox"].is_object());
    EXPECT_EQ(parlo.Send("answer ok"), kOk);
  }
  {
    SCOPED_TRACE("the about box");
    ChooseFromMenu(parlo, 33347);  // 이 프로그램은..
    auto shown = [&parlo](const char* cls) {
      int n = 0;
      const json windows = parlo.Send("screen")["windows"];
      for (const json& w : windows) n += w["class"] == cls && w["visible"] == true;
      return n;
    };
    ASSERT_EQ(shown("Dialog"), 1);
    EXPECT_EQ(parlo.Send("answer ok"), kOk);
    EXPECT_EQ(shown("Dialog"), 0);
    EXPECT_EQ(shown("menu_worker"), 0) << "the menu bar stays over the footer buttons";
  }
  {
    SCOPED_TRACE("keys in an open menu");
    parlo.Send("tap 100 40");  // the title opens the program menu
    ASSERT_TRUE(parlo.Send("screen")["menu"].is_array());
    // Down to its second item, 문자 잠금 사용, which turns the lock on.
    for (const char* key : {"key down", "key down", "key enter"}) EXPECT_EQ(parlo.Send(key), kOk);
    EXPECT_TRUE(parlo.Send("screen")["menu"].is_null());
    EXPECT_EQ(parlo.Send("state")["settings"]["use_lock"], true);
  }
  // The header's exit button, top right, closes the program.
  EXPECT_EQ(parlo.Send("tap 440 35"), kOk);
  parlo.Wait();
}

TEST_F(Automation, TapsBehindAnErrorBoxDoNotReachTheList) {
  for (const char* text : {"one", "two", "three"}) Receive("0101", text);
  // A registry that cannot be written: marking the message read fails with a box of no owner.
  std::filesystem::remove(device_.dir() / "registry.db-wal");
  std::filesystem::remove(device_.dir() / "registry.db-shm");
  std::ofstream(device_.dir() / "registry.db", std::ios::binary | std::ios::trunc) << std::string(8192, '\x5a');
  Parlo parlo(device_.dir());
  parlo.Send("tap 200 100");
  json box = parlo.Send("screen")["msgbox"];
  ASSERT_TRUE(box.is_object());
  parlo.Send(std::string("tap ") + kDelete);
  EXPECT_EQ(parlo.Send("screen")["msgbox"], box) << "삭제 behind the box asked its own question";
  EXPECT_EQ(parlo.Send("state")["conversations"].size(), 1u);
  // Three messages could not be marked read; the user is told once.
  parlo.Send("answer ok");
  EXPECT_TRUE(parlo.Send("screen")["msgbox"].is_null());
  EXPECT_EQ(parlo.Send("state")["conversations"][0]["records"].size(), 3u);
}

}  // namespace
