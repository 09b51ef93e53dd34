// The model as the running program holds it: messages from the phone's side arrive, vanish and
// reload, seen through `state`.
#include <algorithm>
#include <vector>

#include "e2e/session.h"

namespace {

using namespace e2e;

class Conversations : public DeviceTest {
 protected:
  // The oids of every record in the program's model.
  static std::vector<long long> ModelOids(Parlo& parlo) {
    std::vector<long long> oids;
    const json state = parlo.Send("state");
    for (const json& c : state["conversations"])
      for (const json& r : c["records"]) oids.push_back(r["oid"].get<long long>());
    std::sort(oids.begin(), oids.end());
    return oids;
  }
};

// One session: 문자 새로고침 rebuilds the same model from the store, a received message comes to
// the top after idle, and a deletion by the phone while away removes its message.
TEST_F(Conversations, TheModelFollowsThePhonesArrivalsAndDeletionsAndRefreshRebuildsIt) {
  long long older = Receive("010-1111-2222", "older", "2024-03-05 10:00:00");
  Receive("010-3333-4444", "newer", "2024-03-05 11:00:00");
  Parlo parlo(device_.dir());
  json state = parlo.Send("state");
  ASSERT_EQ(state["conversations"].size(), 2u);
  ExpectFields(state["conversations"][0], {{"id", 100}, {"name", "01033334444"}});
  EXPECT_EQ(state["conversations"][1]["id"], 101);
  ChooseFromMenu(parlo, 33342);  // 문자 새로고침
  EXPECT_TRUE(parlo.Send("screen")["menu"].is_null());
  EXPECT_EQ(parlo.Send("state")["conversations"], state["conversations"]);

  long long oid = Receive("01011112222", "brand new", "2024-03-05 14:00:00");
  parlo.Send("idle");
  state = parlo.Send("state");
  ASSERT_EQ(state["conversations"].size(), 2u);
  const json& top = state["conversations"][0];
  ExpectFields(top, {{"id", 99}, {"name", "01011112222"}});
  // Newest first by default: the new message leads its conversation, where the list reads it.
  ASSERT_EQ(top["records"].size(), 2u);
  ExpectFields(top["records"][0], {{"oid", oid}, {"isRead", 0}});

  parlo.Send("deactivate");
  Json({"delete", "--oid", std::to_string(older)});
  parlo.Send("idle");
  state = parlo.Send("state");
  ASSERT_EQ(state["conversations"].size(), 2u);
  ASSERT_EQ(state["conversations"][0]["records"].size(), 1u);
  EXPECT_EQ(state["conversations"][0]["records"][0]["oid"], oid);
}

// A message arriving while a delete question is open moves the rows; the answer still deletes
// what the user chose, in the list and in a conversation.
TEST_F(Conversations, AConfirmedDeleteActsOnWhatWasChosenThoughTheRowsMoved) {
  long long a = Receive("0101", "from a", "2024-03-05 10:00:00");
  Receive("0102", "from b", "2024-03-05 11:00:00");
  Parlo parlo(device_.dir());
  TapText(parlo, "0102");  // open B, then back: B is the list's remembered row
  parlo.Send("tap 440 60");
  parlo.Send("tap 360 750");  // 삭제
  ASSERT_EQ(parlo.Send("screen")["msgbox"]["text"], "정말로 메시지를 삭제하겠습니까?");
  long long c = Receive("0103", "from c", "2024-03-05 12:00:00");
  parlo.Send("idle");
  parlo.Send("answer yes");
  EXPECT_EQ(ModelOids(parlo), (std::vector<long long>{a, c}));

  long long a2 = Receive("0101", "again a", "2024-03-05 12:30:00");
  parlo.Send("idle");
  TapText(parlo, "0101");
  TapText(parlo, "from a");  // the older of A's two messages
  parlo.Send("tap 360 750");
  ASSERT_EQ(parlo.Send("screen")["msgbox"]["text"], "삭제 하시겠습니까?");
  long long d = Receive("0104", "from d", "2024-03-05 13:00:00");
  parlo.Send("idle");
  parlo.Send("answer yes");
  EXPECT_EQ(ModelOids(parlo), (std::vector<long long>{c, a2, d}));
  // The store agrees with the model.
  std::vector<long long> stored;
  for (const json& m : Json({"messages"})) stored.push_back(m["oid"].get<long long>());
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<long long>{c, a2, d}));
}

}  // namespace
