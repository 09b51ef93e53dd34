// The simulator's option parsing and the automation pieces the program's state goes through.
#include <gtest/gtest.h>

#include <tuple>

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

// The simulator's options come first; the program's words after them are joined by single spaces,
// an empty word included ("-new", "", "5" gives two spaces, as on the phone). No options: the
// phone's own screen.
TEST(LaunchOptions, SimulatorOptionsThenTheProgramsWordsBadValuesAndTheDeviceFolder) {
  using Fields = std::tuple<std::string, bool, bool, std::string, int, int, int, int, std::string>;
  const struct {
    std::vector<std::string> args;
    Fields want;
  } cases[] = {
      {{"--device", "/tmp/d", "--headless", "--automate", "--virtual-clock", "2024-03-05 14:07:09", "--screen",
        "240x320@96", "--zoom", "2", "-new", "0101234"},
       {"/tmp/d", true, true, "2024-03-05 14:07:09", 240, 320, 96, 2, "-new 0101234"}},
      {{"-new", "", "5"}, {"", false, false, "", 480, 800, 192, 1, "-new  5"}},
      {{"--", "--headless"}, {"", false, false, "", 480, 800, 192, 1, "--headless"}},
      {{"-recent", "--headless"}, {"", false, false, "", 480, 800, 192, 1, "-recent --headless"}},
      {{}, {"", false, false, "", 480, 800, 192, 1, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "no words" : c.args[0]);
    auto o = Parse(c.args);
    ASSERT_TRUE(o);
    EXPECT_EQ(Fields(o->device, o->headless, o->automate, o->virtualClock, o->width, o->height, o->dpi, o->zoom,
                     o->commandLine),
              c.want);
  }
  // Refusals the launcher prints are seen end to end in tests/e2e/start_up_test.cpp; these are the rest.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--screen", "480x800@192junk"}, {"--screen", "0x800@192"}, {"--zoom", "0"}, {"--zoom", "2x"},
           {"--virtual-clock", "2024-02-30 00:00:00"}, {"--device", ""}}) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << args[0] << " " << args[1];
    EXPECT_NE(error.find(args[0]), std::string::npos) << error;
  }
  EXPECT_TRUE(Parse({std::string(kMaxArgument, '1')}));
  // The device folder falls back to the environment, then to the home folder.
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

TEST(AutomationCommands, WordsSplitAtSpacesButTextStaysWholeAndKeysHaveNames) {
  EXPECT_EQ(SplitCommand("  tap   10 20 "), (std::vector<std::string>{"tap", "10", "20"}));
  EXPECT_EQ(SplitCommand("type 안녕 하세요  x\r"), (std::vector<std::string>{"type", "안녕 하세요  x"}));
  EXPECT_EQ(SplitCommand("screenshot /tmp/a b.png"), (std::vector<std::string>{"screenshot", "/tmp/a b.png"}));
  EXPECT_TRUE(SplitCommand("   ").empty());
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
  EXPECT_EQ(CollectState(), nlohmann::json::parse(R"({"mode": 4, "start_number": "010가", "settings": {"close": true},
                          "conversations": [{"id": 1}, 2], "compose": null, "after": 1})"));
  RemoveStateSource(a);
  RemoveStateSource(b);
  EXPECT_EQ(CollectState(), nlohmann::json::object());
}

}  // namespace
