// The automation session itself: answers inside modal loops whatever command opened them,
// answers given as a finger gives them, and the last answer before the end.
#include <filesystem>
#include <fstream>

#include "e2e/session.h"

namespace {

using namespace e2e;

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
