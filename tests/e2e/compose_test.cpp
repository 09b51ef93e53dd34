// The compose view as a user reaches it: from the list's footer, as an answer typed on the
// on-screen keyboard, and from a second launch with a number; sending an answer.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace {

using nlohmann::json;

class Compose : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::Finished init = e2e::Run("parlo-device", {"--device", dir(), "init", "--empty"});
    ASSERT_EQ(init.exitCode, 0) << init.err;
    e2e::Finished got =
        e2e::Run("parlo-device", {"--device", dir(), "receive", "--from", "01033334444", "--at", "2024-03-05 11:00:00", "잘 지내?"});
    ASSERT_EQ(got.exitCode, 0) << got.err;
  }
  std::string dir() const { return device_.dir().string(); }

  static std::string Centre(const json& r) {
    return std::to_string((r[0].get<int>() + r[2].get<int>()) / 2) + " " +
           std::to_string((r[1].get<int>() + r[3].get<int>()) / 2);
  }
  static json TextRect(e2e::Parlo& parlo, const std::string& text) {
    const json screen = parlo.Send("screen");
    for (const json& t : screen["texts"])
      if (t["text"] == text) return t["rect"];
    ADD_FAILURE() << "no text " << text;
    return json::array({0, 0, 0, 0});
  }
  static void TapText(e2e::Parlo& parlo, const std::string& text) {
    ASSERT_EQ(parlo.Send("tap " + Centre(TextRect(parlo, text))), (json{{"ok", true}}));
  }
  // Taps the on-screen keyboard's keys, one after the other.
  static void TapKeys(e2e::Parlo& parlo, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
      const json screen = parlo.Send("screen");
      bool found = false;
      for (const json& k : screen["sip_keys"]) {
        if (k["key"] != key) continue;
        ASSERT_EQ(parlo.Send("tap " + Centre(k["rect"])), (json{{"ok", true}}));
        found = true;
        break;
      }
      ASSERT_TRUE(found) << "no key " << key;
    }
  }
  static json Field(e2e::Parlo& parlo, int id) {
    const json screen = parlo.Send("screen");
    for (const json& w : screen["windows"])
      if (w["id"] == id && w["class"] == "EDIT") return w;
    ADD_FAILURE() << "no field " << id;
    return json::object();
  }
  static bool Shows(e2e::Parlo& parlo, const std::string& text) {
    const json screen = parlo.Send("screen");
    for (const json& t : screen["texts"])
      if (t["text"] == text) return true;
    return false;
  }
  // From the list into the conversation, then 답장.
  static void Reply(e2e::Parlo& parlo) {
    TapText(parlo, "01033334444");
    ASSERT_EQ(parlo.Send("screen")["view"], "ThreadView");
    TapText(parlo, "답장");
    ASSERT_EQ(parlo.Send("screen")["view"], "SendView");
  }

  parlo_test::TempDevice device_;
};

TEST_F(Compose, HoldingTheListsFooterOpensAnEmptyMessage) {
  e2e::Parlo parlo(device_.dir());
  const std::string at = Centre(TextRect(parlo, "문자 보내기"));
  parlo.Send("down " + at);
  parlo.Send("advance 400");
  parlo.Send("up " + at);
  json screen = parlo.Send("screen");
  EXPECT_EQ(screen["view"], "SendView");
  EXPECT_EQ(screen["sip"], true);
  EXPECT_TRUE(Shows(parlo, "0자/0쪽"));
  EXPECT_EQ(Field(parlo, 1001)["focus"], true);
  const json compose = parlo.Send("state")["compose"];
  EXPECT_EQ(compose["text"], "");
  EXPECT_EQ(compose["recipient"], "");
  EXPECT_EQ(compose["sender"], "나");
  EXPECT_EQ(compose["initialised"], true);
  EXPECT_EQ(compose["reply_source"], false);
  EXPECT_EQ(parlo.Send("state")["mode"], 3);

  // The back button in the top bar goes back to the list and takes the keyboard along.
  parlo.Send("tap 440 35");
  screen = parlo.Send("screen");
  EXPECT_EQ(screen["view"], "MainView");
  EXPECT_EQ(screen["sip"], false);
  parlo.Send("quit");
}

TEST_F(Compose, AnAnswerTypedOnTheKeyboardCountsTheSyllableBeingComposed) {
  e2e::Parlo parlo(device_.dir());
  Reply(parlo);
  json compose = parlo.Send("state")["compose"];
  EXPECT_EQ(compose["recipient"], "01033334444");
  EXPECT_EQ(compose["reply_source"], true);

  TapKeys(parlo, {"ㅇ", "ㅏ"});
  EXPECT_EQ(Field(parlo, 1001)["composition"], "아");
  EXPECT_TRUE(Shows(parlo, "2자/1쪽"));
  TapKeys(parlo, {"ㄴ", "ㄴ", "ㅕ", "ㅇ"});
  json text = Field(parlo, 1001);
  EXPECT_EQ(text["text"], "안");
  EXPECT_EQ(text["composition"], "녕");
  EXPECT_TRUE(Shows(parlo, "4자/1쪽"));
  TapKeys(parlo, {"space"});
  EXPECT_EQ(parlo.Send("state")["compose"]["text"], "안녕 ");
  EXPECT_EQ(parlo.Send("state")["compose"]["counter"], "5자/1쪽");
  // The answer still goes to the sender.
  EXPECT_EQ(parlo.Send("state")["compose"]["reply_source"], true);
  parlo.Send("quit");
}

TEST_F(Compose, ASecondLaunchWithANumberOpensAMessageToIt) {
  e2e::Parlo parlo(device_.dir());
  ASSERT_EQ(parlo.Send("state")["mode"], 0);
  e2e::Finished second = e2e::Run("parlo", {"--device", dir(), "--headless", "--virtual-clock",
                                            "2024-03-05 14:08:00", "-new", "01012345678"});
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.err, "");
  const json state = parlo.Send("state");
  EXPECT_EQ(state["mode"], 3);
  EXPECT_EQ(state["previous"], 4);
  EXPECT_EQ(state["start_mode"], 0);
  EXPECT_EQ(state["start_number"], "01012345678");
  EXPECT_EQ(state["compose"]["recipient"], "01012345678");
  const json screen = parlo.Send("screen");
  EXPECT_EQ(screen["view"], "SendView");
  EXPECT_EQ(screen["foreground"], true);
  EXPECT_EQ(screen["sip"], true);
  EXPECT_EQ(parlo.Send("quit")["exit"], 1);
}

TEST_F(Compose, SlidingAnAnswerSendsAndRecordsIt) {
  e2e::Parlo parlo(device_.dir());
  Reply(parlo);
  TapKeys(parlo, {"ㄴ", "ㅔ", "space", "hide"});
  ASSERT_EQ(parlo.Send("screen")["sip"], false);
  // The knob rests in the middle of the bar along the bottom; to the right end sends.
  parlo.Send("drag 240 772 479 772 300 12");
  EXPECT_EQ(parlo.Send("screen")["view"], "MainView");

  e2e::Finished outbox = e2e::Run("parlo-device", {"--device", dir(), "outbox"});
  ASSERT_EQ(outbox.exitCode, 0) << outbox.err;
  const json sent = json::parse(outbox.out);
  EXPECT_EQ(sent["to"], "01033334444");
  EXPECT_EQ(sent["text"], "네 ");
  e2e::Finished stored = e2e::Run("parlo-device", {"--device", dir(), "messages", "--db", "send"});
  ASSERT_EQ(stored.exitCode, 0) << stored.err;
  const json record = json::parse(stored.out);
  EXPECT_EQ(record["props"]["0x0003001F"], "네 ");
  EXPECT_EQ(record["props"]["0x0002001F"], "01033334444");

  const json state = parlo.Send("state");
  EXPECT_EQ(state["mode"], 0);
  ASSERT_FALSE(state["conversations"].empty());
  const json& first = state["conversations"][0];
  EXPECT_EQ(first["name"], "01033334444");
  // The newest message is first in a conversation, or last when the list is oldest first.
  const json& records = first["records"];
  ASSERT_EQ(records.size(), 2u);
  const json& newest = state["settings"]["view_sort"] == true ? records.back() : records.front();
  EXPECT_EQ(newest["text"], "네 ");
  EXPECT_EQ(newest["dbIndex"], 1);
  parlo.Send("quit");
}

}  // namespace
