// The compose view as a user reaches it: as an answer typed on the on-screen keyboard and sent. (A
// second launch with a number is the start-up tests' part.)
#include "e2e/session.h"

namespace {

using namespace e2e;

class Compose : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    Receive("01033334444", "잘 지내?", "2024-03-05 11:00:00");
  }
  // Taps the on-screen keyboard's keys, one after the other.
  static void TapKeys(Parlo& parlo, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) TapItem(parlo, "sip_keys", "key", key);
  }
  static json Field(Parlo& parlo, int id) {
    const json screen = parlo.Send("screen");
    for (const json& w : screen["windows"])
      if (w["id"] == id && w["class"] == "EDIT") return w;
    ADD_FAILURE() << "no field " << id;
    return json::object();
  }
  // From the list into the conversation, then 답장.
  static void Reply(Parlo& parlo) {
    TapText(parlo, "01033334444");
    ASSERT_EQ(parlo.Send("screen")["view"], "ThreadView");
    TapText(parlo, "답장");
    ASSERT_EQ(parlo.Send("screen")["view"], "SendView");
  }
};

// An answer typed on the keyboard counts the syllable being composed; slid, it is sent and recorded.
TEST_F(Compose, AnAnswerTypedOnTheKeyboardCountsTheSyllableBeingComposedAndSlidingSendsIt) {
  Parlo parlo(device_.dir());
  Reply(parlo);
  ExpectFields(parlo.Send("state")["compose"], {{"recipient", "01033334444"}, {"reply_source", true}});
  TapKeys(parlo, {"ㅇ", "ㅏ"});
  EXPECT_EQ(Field(parlo, 1001)["composition"], "아");
  EXPECT_TRUE(Shows(parlo, "2자/1쪽"));
  TapKeys(parlo, {"ㄴ", "ㄴ", "ㅕ", "ㅇ"});
  ExpectFields(Field(parlo, 1001), {{"text", "안"}, {"composition", "녕"}});
  EXPECT_TRUE(Shows(parlo, "4자/1쪽"));
  TapKeys(parlo, {"space"});
  // The answer still goes to the sender.
  ExpectFields(parlo.Send("state")["compose"], {{"text", "안녕 "}, {"counter", "5자/1쪽"}, {"reply_source", true}});
  TapKeys(parlo, {"hide"});
  ASSERT_EQ(parlo.Send("screen")["sip"], false);
  // The knob rests in the middle of the bar along the bottom; to the right end sends.
  parlo.Send("drag 240 772 479 772 300 12");
  EXPECT_EQ(parlo.Send("screen")["view"], "MainView");
  ExpectFields(Json({"outbox"}).at(0), {{"to", "01033334444"}, {"text", "안녕 "}});
  ExpectFields(Json({"messages", "--db", "send"}).at(0)["props"],
               {{"0x0003001F", "안녕 "}, {"0x0002001F", "01033334444"}});
  const json state = parlo.Send("state");
  EXPECT_EQ(state["mode"], 0);
  ASSERT_FALSE(state["conversations"].empty());
  const json& first = state["conversations"][0];
  EXPECT_EQ(first["name"], "01033334444");
  // The newest message is first in a conversation, or last when the list is oldest first.
  const json& records = first["records"];
  ASSERT_EQ(records.size(), 2u);
  const json& newest = state["settings"]["view_sort"] == true ? records.back() : records.front();
  ExpectFields(newest, {{"text", "안녕 "}, {"dbIndex", 1}});
}

}  // namespace
