// The lock screen in the running program: at start, from the menu, the ways past it, a wrong
// pattern and the clock's minute.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace {

using nlohmann::json;

const char kKey[] = "HKCU\\SOFTWARE\\Ostrand\\Parlo";
const std::vector<int> kDefaultPassword = {5, 8, 3, 6};

class Lock : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::Finished init = e2e::Run("parlo-device", {"--device", dir(), "init", "--empty"});
    ASSERT_EQ(init.exitCode, 0) << init.err;
  }
  std::string dir() const { return device_.dir().string(); }

  void SetUseLock(bool on) {
    e2e::Finished f = e2e::Run("parlo-device", {"--device", dir(), "reg", "set", kKey, "use_lock", "dword", on ? "1" : "0"});
    ASSERT_EQ(f.exitCode, 0) << f.err;
  }
  void Receive(const std::string& from, const std::string& text) {
    e2e::Finished f = e2e::Run("parlo-device", {"--device", dir(), "receive", "--from", from, text});
    ASSERT_EQ(f.exitCode, 0) << f.err;
  }
  // A second launch on the same device, as a user would start it.
  e2e::Finished Launch(const std::vector<std::string>& words) {
    std::vector<std::string> args = {"--device", dir(), "--headless", "--virtual-clock", "2024-03-05 14:08:00"};
    args.insert(args.end(), words.begin(), words.end());
    return e2e::Run("parlo", args);
  }

  // The centre of key k on the 480 x 800, 192 dpi screen: cells 153 by 193 under a 200-high strip.
  static std::string At(int k) { return std::to_string(86 + 153 * (k % 3)) + " " + std::to_string(296 + 193 * (k / 3)); }
  static void Draw(e2e::Parlo& parlo, const std::vector<int>& keys) {
    parlo.Send("down " + At(keys.front()));
    for (size_t i = 1; i < keys.size(); ++i) parlo.Send("move " + At(keys[i]));
    parlo.Send("up " + At(keys.back()));
  }
  static std::string View(e2e::Parlo& parlo) {
    const json view = parlo.Send("screen")["view"];
    return view.is_string() ? view.get<std::string>() : "";
  }
  static void ChooseFromMenu(e2e::Parlo& parlo, int id) {
    parlo.Send("tap 100 35");  // the list's title opens the program menu
    const json menu = parlo.Send("screen")["menu"];
    ASSERT_TRUE(menu.is_array());
    for (const json& item : menu) {
      if (item["id"] != id) continue;
      const json& r = item["rect"];
      parlo.Send("tap " + std::to_string((r[0].get<int>() + r[2].get<int>()) / 2) + " " +
                 std::to_string((r[1].get<int>() + r[3].get<int>()) / 2));
      return;
    }
    ADD_FAILURE() << "no menu item " << id;
  }

  parlo_test::TempDevice device_;
};

TEST_F(Lock, AtStartTheLockHidesTheStartViewUntilTheRightPattern) {
  SetUseLock(true);
  Receive("0101234", "hello");
  const struct {
    std::vector<std::string> args;
    int startMode;
    const char* after;
  } cases[] = {{{}, 0, "MainView"}, {{"-recent"}, 2, "ThreadView"}};
  for (const auto& c : cases) {
    e2e::Parlo parlo(device_.dir(), c.args);
    json state = parlo.Send("state");
    EXPECT_EQ(state["mode"], 5);
    EXPECT_EQ(state["previous"], c.startMode);
    const json screen = parlo.Send("screen");
    EXPECT_EQ(screen["view"], "LockView");
    ASSERT_EQ(screen["texts"].size(), 1u);  // nothing of the messages shows
    EXPECT_EQ(screen["texts"][0]["text"], "14:07");
    Draw(parlo, kDefaultPassword);
    EXPECT_EQ(View(parlo), c.after);
    EXPECT_EQ(parlo.Send("quit")["exit"], 1);
  }
}

TEST_F(Lock, ContactsStartsWithoutTheLock) {
  SetUseLock(true);
  e2e::Parlo parlo(device_.dir(), {"-contacts"});
  EXPECT_NE(parlo.Send("state")["mode"], 5);
  EXPECT_NE(View(parlo), "LockView");
  parlo.Send("quit");
}

TEST_F(Lock, TheMenuLocksNowAndTogglesTheLockAtStart) {
  e2e::Parlo parlo(device_.dir());
  ChooseFromMenu(parlo, 33341);  // 문자 잠그기
  EXPECT_EQ(View(parlo), "LockView");
  EXPECT_EQ(parlo.Send("state")["mode"], 5);
  Draw(parlo, kDefaultPassword);
  EXPECT_EQ(View(parlo), "MainView");
  ChooseFromMenu(parlo, 33340);  // 문자 잠금 사용
  EXPECT_EQ(parlo.Send("state")["settings"]["use_lock"], true);
  parlo.Send("quit");
  parlo.Wait();
  e2e::Parlo again(device_.dir());
  EXPECT_EQ(View(again), "LockView");
  again.Send("quit");
}

TEST_F(Lock, AWrongPatternKeepsTheLockWhileTheClockFollowsTheMinute) {
  SetUseLock(true);
  e2e::Parlo parlo(device_.dir());
  Draw(parlo, {5, 8, 3});
  EXPECT_EQ(parlo.Send("state")["mode"], 5);
  parlo.Send("advance 51000");  // 14:08:00
  const json screen = parlo.Send("screen");
  EXPECT_EQ(screen["view"], "LockView");
  ASSERT_EQ(screen["texts"].size(), 1u);
  EXPECT_EQ(screen["texts"][0]["text"], "14:08");
  parlo.Send("quit");
}

TEST_F(Lock, ASecondLaunchWithAnOptionOrANewMessageInTheBackgroundPassesTheLock) {
  SetUseLock(true);
  Receive("0101234", "hello");
  {
    e2e::Parlo parlo(device_.dir());
    ASSERT_EQ(View(parlo), "LockView");
    EXPECT_EQ(Launch({"-recent"}).exitCode, 0);  // handed over
    EXPECT_EQ(View(parlo), "ThreadView");
    parlo.Send("quit");
    parlo.Wait();
  }
  e2e::Parlo parlo(device_.dir());
  ASSERT_EQ(View(parlo), "LockView");
  parlo.Send("deactivate");
  Receive("0105678", "while away");
  parlo.Send("idle");
  EXPECT_EQ(View(parlo), "ThreadView");
  EXPECT_EQ(parlo.Send("state")["mode"], 1);
  parlo.Send("quit");
}

}  // namespace
