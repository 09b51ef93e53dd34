// The model as the running program holds it: messages from the phone's side arrive, vanish and
// reload, seen through `state`.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace {

using nlohmann::json;

class Conversations : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::Finished init = e2e::Run("parlo-device", {"--device", dir(), "init", "--empty"});
    ASSERT_EQ(init.exitCode, 0) << init.err;
  }
  std::string dir() const { return device_.dir().string(); }

  // The phone's messaging software at work; returns the new record's oid.
  long long Receive(const std::string& from, const std::string& at, const std::string& text) {
    e2e::Finished f = e2e::Run("parlo-device", {"--device", dir(), "receive", "--from", from, "--at", at, text});
    EXPECT_EQ(f.exitCode, 0) << f.err;
    return f.exitCode == 0 ? json::parse(f.out)["oid"].get<long long>() : 0;
  }

  // Taps the middle of the first text on screen that starts with `prefix`.
  static void TapText(e2e::Parlo& parlo, const std::string& prefix) {
    const json screen = parlo.Send("screen");
    for (const json& t : screen["texts"]) {
      if (t["text"].get<std::string>().rfind(prefix, 0) != 0) continue;
      const json& r = t["rect"];
      int x = (r[0].get<int>() + r[2].get<int>()) / 2, y = (r[1].get<int>() + r[3].get<int>()) / 2;
      parlo.Send("tap " + std::to_string(x) + " " + std::to_string(y));
      return;
    }
    ADD_FAILURE() << "no text starting with " << prefix;
  }

  // The oids of every record in the program's model.
  static std::vector<long long> ModelOids(e2e::Parlo& parlo) {
    std::vector<long long> oids;
    const json state = parlo.Send("state");
    for (const json& c : state["conversations"])
      for (const json& r : c["records"]) oids.push_back(r["oid"].get<long long>());
    std::sort(oids.begin(), oids.end());
    return oids;
  }

  parlo_test::TempDevice device_;
};

TEST_F(Conversations, AReceivedMessageComesToTheTopAfterIdle) {
  Receive("010-1111-2222", "2024-03-05 10:00:00", "older");
  Receive("010-3333-4444", "2024-03-05 11:00:00", "newer");
  e2e::Parlo parlo(dir());
  json state = parlo.Send("state");
  ASSERT_EQ(state["conversations"].size(), 2u);
  EXPECT_EQ(state["conversations"][0]["id"], 100);
  EXPECT_EQ(state["conversations"][0]["name"], "01033334444");
  EXPECT_EQ(state["conversations"][1]["id"], 101);

  long long oid = Receive("01011112222", "2024-03-05 14:00:00", "brand new");
  parlo.Send("idle");
  state = parlo.Send("state");
  ASSERT_EQ(state["conversations"].size(), 2u);
  const json& top = state["conversations"][0];
  EXPECT_EQ(top["id"], 99);
  EXPECT_EQ(top["name"], "01011112222");
  // Newest first by default: the new message leads its conversation, where the list reads it.
  ASSERT_EQ(top["records"].size(), 2u);
  EXPECT_EQ(top["records"][0]["oid"], oid);
  EXPECT_EQ(top["records"][0]["isRead"], 0);
  parlo.Send("quit");
}

TEST_F(Conversations, ADeletionByThePhoneWhileAwayRemovesTheMessage) {
  long long keep = Receive("0101", "2024-03-05 10:00:00", "keep");
  long long gone = Receive("0102", "2024-03-05 11:00:00", "gone");
  e2e::Parlo parlo(dir());
  parlo.Send("deactivate");
  e2e::Finished del = e2e::Run("parlo-device", {"--device", dir(), "delete", "--oid", std::to_string(gone)});
  ASSERT_EQ(del.exitCode, 0) << del.err;
  parlo.Send("idle");
  json state = parlo.Send("state");
  ASSERT_EQ(state["conversations"].size(), 1u);
  EXPECT_EQ(state["conversations"][0]["records"][0]["oid"], keep);
  parlo.Send("quit");
}

TEST_F(Conversations, RefreshRebuildsTheSameModelFromTheStore) {
  Receive("0101", "2024-03-05 10:00:00", "a");
  Receive("0102", "2024-03-05 11:00:00", "b");
  Receive("0101", "2024-03-05 12:00:00", "c");
  e2e::Parlo parlo(dir());
  json before = parlo.Send("state")["conversations"];
  ASSERT_EQ(before.size(), 2u);
  // The title opens the program menu; 문자 새로고침 reloads the model from the store.
  parlo.Send("tap 100 40");
  json menu = parlo.Send("screen")["menu"];
  ASSERT_TRUE(menu.is_array());
  bool chosen = false;
  for (const json& item : menu) {
    if (item["id"] != 33342) continue;
    const json& r = item["rect"];
    int x = (r[0].get<int>() + r[2].get<int>()) / 2, y = (r[1].get<int>() + r[3].get<int>()) / 2;
    parlo.Send("tap " + std::to_string(x) + " " + std::to_string(y));
    chosen = true;
  }
  ASSERT_TRUE(chosen);
  EXPECT_TRUE(parlo.Send("screen")["menu"].is_null());
  json after = parlo.Send("state")["conversations"];
  EXPECT_EQ(after, before);
  parlo.Send("quit");
}

// A message arriving while a delete question is open moves the rows; the answer still deletes
// what the user chose, in the list and in a conversation.
TEST_F(Conversations, AConfirmedDeleteActsOnWhatWasChosenThoughTheRowsMoved) {
  long long a = Receive("0101", "2024-03-05 10:00:00", "from a");
  Receive("0102", "2024-03-05 11:00:00", "from b");
  e2e::Parlo parlo(dir());
  TapText(parlo, "0102");  // open B, then back: B is the list's remembered row
  parlo.Send("tap 440 60");
  parlo.Send("tap 360 750");  // 삭제
  ASSERT_EQ(parlo.Send("screen")["msgbox"]["text"], "정말로 메시지를 삭제하겠습니까?");
  long long c = Receive("0103", "2024-03-05 12:00:00", "from c");
  parlo.Send("idle");
  parlo.Send("answer yes");
  EXPECT_EQ(ModelOids(parlo), (std::vector<long long>{a, c}));

  long long a2 = Receive("0101", "2024-03-05 12:30:00", "again a");
  parlo.Send("idle");
  TapText(parlo, "0101");
  TapText(parlo, "from a");  // the older of A's two messages
  parlo.Send("tap 360 750");
  ASSERT_EQ(parlo.Send("screen")["msgbox"]["text"], "삭제 하시겠습니까?");
  long long d = Receive("0104", "2024-03-05 13:00:00", "from d");
  parlo.Send("idle");
  parlo.Send("answer yes");
  EXPECT_EQ(ModelOids(parlo), (std::vector<long long>{c, a2, d}));
  // The store agrees with the model.
  std::vector<long long> stored;
  std::istringstream lines(e2e::Run("parlo-device", {"--device", dir(), "messages"}).out);
  for (std::string line; std::getline(lines, line);) stored.push_back(json::parse(line)["oid"].get<long long>());
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<long long>{c, a2, d}));
  parlo.Send("quit");
}

}  // namespace
