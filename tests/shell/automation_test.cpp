// The simulator's option parsing and the automation pieces the program's state goes through.
#include <gtest/gtest.h>

#include "platform/automation/commands.h"
#include "platform/automation/launch_options.h"
#include "platform/automation/state.h"
#include "platform/automation/state_json.h"

namespace {

using namespace platform::automation;

std::optional<LaunchOptions> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string ignored;
  return ParseLaunchOptions(args, error ? error : &ignored);
}

TEST(LaunchOptions, SimulatorOptionsThenTheProgramsWordsJoinedBySingleSpaces) {
  auto o = Parse({"--device", "/tmp/d", "--headless", "--automate", "--virtual-clock", "2024-03-05 14:07:09",
                  "--screen", "240x320@96", "--zoom", "2", "-new", "0101234"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->device, "/tmp/d");
  EXPECT_TRUE(o->headless);
  EXPECT_TRUE(o->automate);
  EXPECT_EQ(o->width, 240);
  EXPECT_EQ(o->height, 320);
  EXPECT_EQ(o->dpi, 96);
  EXPECT_EQ(o->zoom, 2);
  EXPECT_EQ(o->commandLine, "-new 0101234");
}

TEST(LaunchOptions, ProgramWordsKeepEmptyWordsAndLaterDoubleDashesAndTheDefaultIsThePhonesScreen) {
  // An empty word still counts: "-new", "", "5" gives two spaces, as on the phone.
  EXPECT_EQ(Parse({"-new", "", "5"})->commandLine, "-new  5");
  EXPECT_EQ(Parse({"--", "--headless"})->commandLine, "--headless");
  EXPECT_EQ(Parse({"-recent", "--headless"})->commandLine, "-recent --headless");
  auto o = Parse({});
  EXPECT_EQ(o->commandLine, "");
  EXPECT_EQ(o->width, 480);
  EXPECT_EQ(o->height, 800);
  EXPECT_EQ(o->dpi, 192);
  EXPECT_EQ(o->zoom, 1);
  EXPECT_FALSE(o->headless);
}

// Refusals the launcher prints are seen end to end in tests/e2e/start_up_test.cpp; these are the rest.
TEST(LaunchOptions, BadValuesAreRefusedWithAReason) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--screen", "480x800@192junk"}, {"--screen", "0x800@192"}, {"--zoom", "0"}, {"--zoom", "2x"},
           {"--virtual-clock", "2024-02-30 00:00:00"}, {"--device", ""}}) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << args[0] << " " << args[1];
    EXPECT_NE(error.find(args[0]), std::string::npos) << error;
  }
  EXPECT_TRUE(Parse({std::string(kMaxArgument, '1')}));
}

TEST(LaunchOptions, DeviceFolderFallsBackToTheEnvironmentThenHome) {
  LaunchOptions o;
  o.device = "/x";
  EXPECT_EQ(ResolveDeviceDir(o), "/x");
  o.device.clear();
  setenv("PARLO_DEVICE", "/from/env", 1);
  EXPECT_EQ(ResolveDeviceDir(o), "/from/env");
  unsetenv("PARLO_DEVICE");
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(ResolveDeviceDir(o), "/home/u/.local/share/parlo/device");
}

TEST(AutomationCommands, WordsSplitAtSpacesButTextStaysWhole) {
  EXPECT_EQ(SplitCommand("  tap   10 20 "), (std::vector<std::string>{"tap", "10", "20"}));
  EXPECT_EQ(SplitCommand("type 안녕 하세요  x\r"), (std::vector<std::string>{"type", "안녕 하세요  x"}));
  EXPECT_EQ(SplitCommand("screenshot /tmp/a b.png"), (std::vector<std::string>{"screenshot", "/tmp/a b.png"}));
  EXPECT_TRUE(SplitCommand("   ").empty());
}

TEST(AutomationCommands, KeyNames) {
  const std::pair<const char*, UINT> names[] = {
      {"up", VK_UP}, {"ENTER", VK_RETURN}, {"back", VK_ESCAPE}, {"backspace", VK_BACK}, {"f3", VK_F3},
      {"F12", VK_F12}, {"f25", 0}, {"f03", 0}, {"7", '7'}, {"nosuch", 0}};
  for (auto [name, vk] : names) EXPECT_EQ(KeyCodeForName(name), vk) << name;
}

TEST(AutomationState, SourcesWriteNestedJsonInOrder) {
  int a = AddStateSource([](StateWriter& w) {
    w.Int("mode", 4);
    w.Text("start_number", u"010가");
    w.BeginObject("settings");
    w.Bool("close", true);
    w.EndObject();
  });
  int b = AddStateSource([](StateWriter& w) {
    w.BeginArray("conversations");
    w.BeginObject(nullptr);
    w.Int("id", 1);
    w.EndObject();
    w.Int(nullptr, 2);
    w.EndArray();
    w.Null("compose");
    w.EndObject();  // unbalanced: never pops the root
    w.Int("after", 1);
  });
  nlohmann::json state = CollectState();
  EXPECT_EQ(state["mode"], 4);
  EXPECT_EQ(state["start_number"], "010가");
  EXPECT_EQ(state["settings"]["close"], true);
  EXPECT_EQ(state["conversations"], nlohmann::json::parse(R"([{"id":1},2])"));
  EXPECT_TRUE(state["compose"].is_null());
  EXPECT_EQ(state["after"], 1);
  RemoveStateSource(a);
  RemoveStateSource(b);
  EXPECT_EQ(CollectState(), nlohmann::json::object());
}

}  // namespace
