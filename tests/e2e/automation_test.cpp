// The automation session itself: answers inside modal loops whatever command opened them,
// answers given as a finger gives them, overlong lines, and the last answer before the end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace {

using nlohmann::json;

// 삭제, the right button of the message list's footer.
constexpr const char* kDelete = "360 750";

class Automation : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::Finished init = e2e::Run("parlo-device", {"--device", device_.dir().string(), "init", "--empty"});
    ASSERT_EQ(init.exitCode, 0) << init.err;
  }
  parlo_test::TempDevice device_;
};

TEST_F(Automation, AdvanceAnswersWhenATimerItFiresOpensABox) {
  e2e::Parlo parlo(device_.dir());
  EXPECT_EQ(parlo.Send(std::string("down ") + kDelete), (json{{"ok", true}}));
  // Held 400 ms, 삭제 asks whether to delete everything.
  EXPECT_EQ(parlo.Send("advance 450"), (json{{"ok", true}}));
  json box = parlo.Send("screen")["msgbox"];
  ASSERT_TRUE(box.is_object());
  EXPECT_EQ(box["buttons"].size(), 2u);
  EXPECT_EQ(parlo.Send("answer no"), (json{{"ok", true}}));
  EXPECT_TRUE(parlo.Send("screen")["msgbox"].is_null());
  parlo.Send("quit");
}

TEST_F(Automation, AnAnsweredBoxLeavesTheNextTapToCount) {
  e2e::Parlo parlo(device_.dir());
  for (int round = 0; round < 2; ++round) {
    // Nothing is selected: 삭제 says so.
    parlo.Send(std::string("tap ") + kDelete);
    ASSERT_TRUE(parlo.Send("screen")["msgbox"].is_object()) << "round " << round;
    EXPECT_EQ(parlo.Send("answer ok"), (json{{"ok", true}}));
  }
  parlo.Send("quit");
}

TEST_F(Automation, KeysDriveAnOpenMenu) {
  e2e::Parlo parlo(device_.dir());
  parlo.Send("tap 100 40");  // the title opens the program menu
  ASSERT_TRUE(parlo.Send("screen")["menu"].is_array());
  // Down to its second item, 문자 잠금 사용, which turns the lock on.
  EXPECT_EQ(parlo.Send("key down"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("key down"), (json{{"ok", true}}));
  EXPECT_EQ(parlo.Send("key enter"), (json{{"ok", true}}));
  EXPECT_TRUE(parlo.Send("screen")["menu"].is_null());
  EXPECT_EQ(parlo.Send("state")["settings"]["use_lock"], true);
  parlo.Send("quit");
}

TEST_F(Automation, TheAboutBoxAnsweredGivesTheFrameItsFullScreenBack) {
  e2e::Parlo parlo(device_.dir());
  parlo.Send("tap 100 40");
  bool chosen = false;
  const json menu = parlo.Send("screen")["menu"];
  for (const json& item : menu) {
    if (item["id"] != 33347) continue;  // 이 프로그램은..
    const json& r = item["rect"];
    parlo.Send("tap " + std::to_string((r[0].get<int>() + r[2].get<int>()) / 2) + " " +
               std::to_string((r[1].get<int>() + r[3].get<int>()) / 2));
    chosen = true;
  }
  ASSERT_TRUE(chosen);
  auto shown = [&parlo](const char* cls) {
    int n = 0;
    const json windows = parlo.Send("screen")["windows"];
    for (const json& w : windows) n += w["class"] == cls && w["visible"] == true;
    return n;
  };
  ASSERT_EQ(shown("Dialog"), 1);
  EXPECT_EQ(parlo.Send("answer ok"), (json{{"ok", true}}));
  EXPECT_EQ(shown("Dialog"), 0);
  EXPECT_EQ(shown("menu_worker"), 0) << "the menu bar stays over the footer buttons";
  parlo.Send("quit");
}

TEST_F(Automation, TapsBehindAnErrorBoxDoNotReachTheList) {
  for (const char* text : {"one", "two", "three"}) {
    e2e::Finished got = e2e::Run("parlo-device", {"--device", device_.dir().string(), "receive", "--from", "0101", text});
    ASSERT_EQ(got.exitCode, 0) << got.err;
  }
  // A registry that cannot be written: marking the message read fails with a box of no owner.
  std::filesystem::remove(device_.dir() / "registry.db-wal");
  std::filesystem::remove(device_.dir() / "registry.db-shm");
  std::ofstream(device_.dir() / "registry.db", std::ios::binary | std::ios::trunc) << std::string(8192, '\x5a');
  e2e::Parlo parlo(device_.dir());
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

TEST_F(Automation, OverlongLinesAreRefusedAndErrorsEchoAShortPrefix) {
  e2e::Parlo parlo(device_.dir());
  json refused = parlo.Send(std::string(70 * 1024, 'x'));
  ASSERT_TRUE(refused.contains("error"));
  EXPECT_LT(refused.dump().size(), 200u);
  json unknown = parlo.Send(std::string(60 * 1024, 'y'));
  ASSERT_TRUE(unknown.contains("error"));
  EXPECT_LT(unknown.dump().size(), 200u);
  EXPECT_EQ(parlo.Send("state")["mode"], 0);
  parlo.Send("quit");
}

TEST_F(Automation, ATapThatEndsTheProgramIsAnsweredFirst) {
  e2e::Parlo parlo(device_.dir());
  // The header's exit button, top right, closes the program.
  EXPECT_EQ(parlo.Send("tap 440 35"), (json{{"ok", true}}));
  parlo.Wait();
}

}  // namespace
