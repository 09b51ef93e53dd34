// The lock screen in the running program: at start, from the menu, the ways past it, a wrong
// pattern and the clock's minute.
#include <string>
#include <vector>

#include "e2e/session.h"

namespace {

using namespace e2e;

const std::vector<int> kDefaultPassword = {5, 8, 3, 6};

class Lock : public DeviceTest {
 protected:
  // The centre of key k on the 480 x 800, 192 dpi screen: cells 153 by 193 under a 200-high strip.
  static std::string At(int k) { return std::to_string(86 + 153 * (k % 3)) + " " + std::to_string(296 + 193 * (k / 3)); }
  static void Draw(Parlo& parlo, const std::vector<int>& keys) {
    parlo.Send("down " + At(keys.front()));
    for (size_t i = 1; i < keys.size(); ++i) parlo.Send("move " + At(keys[i]));
    parlo.Send("up " + At(keys.back()));
  }
  // The lock screen shows the time and nothing of the messages.
  static void ExpectLocked(Parlo& parlo, const char* time) {
    const json screen = parlo.Send("screen");
    EXPECT_EQ(screen["view"], "LockView");
    ASSERT_EQ(screen["texts"].size(), 1u);
    EXPECT_EQ(screen["texts"][0]["text"], time);
  }
};

// At start the lock hides the start view; the right pattern, a second launch with an option (handed
// over) or a new message while another program is in front passes it.
TEST_F(Lock, AtStartOrFromTheMenuTheLockHidesTheViewUntilTheRightPatternPassesIt) {
  Json({"reg", "set", kSettingsKey, "use_lock", "dword", "1"});
  Receive("0101234", "hello");
  enum Pass { kPattern, kLaunch, kMessage };
  const struct {
    Args args;
    int startMode;
    Pass pass;
    const char* after;
  } cases[] = {{{}, 0, kPattern, "MainView"},
               {{"-recent"}, 2, kPattern, "ThreadView"},
               {{}, 0, kLaunch, "ThreadView"},
               {{}, 0, kMessage, "ThreadView"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "pass " << c.pass << ", start mode " << c.startMode);
    Parlo parlo(device_.dir(), c.args);
    ExpectFields(parlo.Send("state"), {{"mode", 5}, {"previous", c.startMode}});
    ExpectLocked(parlo, "14:07");
    if (c.pass == kPattern) Draw(parlo, kDefaultPassword);
    if (c.pass == kLaunch) {
      EXPECT_EQ(Launch({"-recent"}).exitCode, 0);
    }
    if (c.pass == kMessage) {
      parlo.Send("deactivate");
      Receive("0105678", "while away");
      parlo.Send("idle");
    }
    EXPECT_EQ(parlo.Send("screen")["view"], c.after);
    EXPECT_EQ(parlo.Send("state")["mode"], std::string(c.after) == "MainView" ? 0 : 1);
    EXPECT_EQ(parlo.Send("quit")["exit"], 1);
  }
  // The menu locks now; a wrong pattern keeps the lock while its clock follows the minute; the
  // right one opens; the menu's toggle locks the next start.
  Json({"reg", "set", kSettingsKey, "use_lock", "dword", "0"});
  Parlo parlo(device_.dir());
  ChooseFromMenu(parlo, 33341);  // 문자 잠그기
  ExpectLocked(parlo, "14:07");
  Draw(parlo, {5, 8, 3});
  EXPECT_EQ(parlo.Send("state")["mode"], 5);
  parlo.Send("advance 51000");  // 14:08:00
  ExpectLocked(parlo, "14:08");
  Draw(parlo, kDefaultPassword);
  EXPECT_EQ(parlo.Send("screen")["view"], "MainView");
  ChooseFromMenu(parlo, 33340);  // 문자 잠금 사용
  EXPECT_EQ(parlo.Send("state")["settings"]["use_lock"], true);
  parlo.Wait();
  Parlo again(device_.dir());
  EXPECT_EQ(again.Send("screen")["view"], "LockView");
}

}  // namespace
