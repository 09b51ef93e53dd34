// Parlo with --network modem against a mock ModemManager on a private system bus: sending from the
// compose bar, failures, messages received while running, in parts, while not running, a crash
// between storing and the modem's delete, and the modem going away.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/process.h"
#include "kit/temp_device.h"
#include "modem/mock_modem_bus.h"

namespace {

using modem_test::MockModemBus;
using nlohmann::json;

class Modem : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!MockModemBus::Missing().empty()) return;
    bus_ = new MockModemBus();
  }
  static void TearDownTestSuite() {
    delete bus_;
    bus_ = nullptr;
  }
  void SetUp() override {
    if (std::string missing = MockModemBus::Missing(); !missing.empty()) GTEST_SKIP() << missing;
    ASSERT_EQ(bus_->problem(), "");
    bus_->Reset();
    ASSERT_EQ(Device({"init", "--empty"}).exitCode, 0);
  }

  e2e::Finished Device(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--device", device_.dir().string()});
    return e2e::Run("parlo-device", args);
  }
  std::unique_ptr<e2e::Parlo> Start() const {
    return std::make_unique<e2e::Parlo>(device_.dir(), std::vector<std::string>{"--network", "modem"});
  }
  json Received() const {
    json lines = json::array();
    e2e::Finished out = Device({"messages", "--db", "recv"});
    EXPECT_EQ(out.exitCode, 0) << out.err;
    std::istringstream in(out.out);
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line)["props"]);
    return lines;
  }
  static std::vector<std::string> Texts(e2e::Parlo& parlo) {
    std::vector<std::string> texts;
    const json screen = parlo.Send("screen");
    for (const json& t : screen["texts"]) texts.push_back(t["text"]);
    return texts;
  }
  static bool Shows(e2e::Parlo& parlo, const std::string& text) {
    std::vector<std::string> texts = Texts(parlo);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
  static void Tap(e2e::Parlo& parlo, const json& r) {
    parlo.Send("tap " + std::to_string((r[0].get<int>() + r[2].get<int>()) / 2) + " " +
               std::to_string((r[1].get<int>() + r[3].get<int>()) / 2));
  }
  static void TapText(e2e::Parlo& parlo, const std::string& text) {
    const json screen = parlo.Send("screen");
    for (const json& t : screen["texts"])
      if (t["text"] == text) return Tap(parlo, t["rect"]);
    ADD_FAILURE() << "no text " << text;
  }
  static void TapKey(e2e::Parlo& parlo, const std::string& key) {
    const json screen = parlo.Send("screen");
    for (const json& k : screen["sip_keys"])
      if (k["key"] == key) return Tap(parlo, k["rect"]);
    ADD_FAILURE() << "no key " << key;
  }
  // From the list into the conversation with 01033334444, 답장, "ok" typed, then the slide.
  static void AnswerOk(e2e::Parlo& parlo) {
    TapText(parlo, "01033334444");
    TapText(parlo, "답장");
    ASSERT_EQ(parlo.Send("screen")["view"], "SendView");
    parlo.Send("type ok");
    TapKey(parlo, "hide");
    parlo.Send("drag 240 772 479 772 300 12");
  }
  void ReceiveBeforeStart() const {
    ASSERT_EQ(Device({"receive", "--from", "01033334444", "--at", "2024-03-05 11:00:00", "잘 지내?"}).exitCode, 0);
  }

  static MockModemBus* bus_;
  parlo_test::TempDevice device_;
};

MockModemBus* Modem::bus_ = nullptr;

TEST_F(Modem, AnAnswerSlidOutGoesThroughTheModemAndNotTheOutbox) {
  ReceiveBeforeStart();
  auto parlo = Start();
  AnswerOk(*parlo);
  ASSERT_TRUE(bus_->WaitForCalls("Delete", 1));
  EXPECT_EQ(parlo->Send("screen")["view"], "MainView");
  ASSERT_EQ(bus_->Created().size(), 1u);
  EXPECT_EQ(bus_->Created()[0]["number"], "01033334444");
  EXPECT_EQ(bus_->Created()[0]["text"], "ok");
  EXPECT_EQ(bus_->Created()[0]["class"], "1");  // the class the provider block asks for
  EXPECT_TRUE(bus_->MessageTexts().empty());    // the sent Sms is not left on the modem
  EXPECT_EQ(Device({"outbox"}).out, "");
  EXPECT_EQ(Device({"--network", "modem", "phone-number"}).out, "+821055501234\n");
  EXPECT_EQ(Device({"--network", "modem", "sms", "ok"}).exitCode, 2);
  e2e::Finished sent = Device({"messages", "--db", "send"});
  EXPECT_NE(sent.out.find("\"ok\""), std::string::npos) << sent.out;
  parlo->Send("quit");
}

TEST_F(Modem, ASendTheModemRefusesIsAFailedSend) {
  ReceiveBeforeStart();
  bus_->FailSends(true);
  auto parlo = Start();
  AnswerOk(*parlo);
  const json box = parlo->Send("screen")["msgbox"];
  ASSERT_TRUE(box.is_object());
  EXPECT_EQ(box["caption"], "ERROR");
  EXPECT_EQ(parlo->Send("answer ok"), (json{{"ok", true}}));
  EXPECT_EQ(parlo->Send("screen")["msgbox"]["text"], "메시지 전송 실패");
  parlo->Send("answer ok");
  EXPECT_EQ(Device({"messages", "--db", "send"}).out, "");
  EXPECT_TRUE(bus_->MessageTexts().empty());  // the failed Sms is deleted too
  parlo->Send("quit");
}

TEST_F(Modem, AMessageReceivedWhileRunningIsShownAtTheTopAtOnce) {
  ReceiveBeforeStart();
  auto parlo = Start();
  bus_->AddReceived("01077778888", "지금 와", "2024-03-05T14:07:30+00:00");
  ASSERT_TRUE(bus_->WaitForCalls("Delete", 1));
  parlo->Send("idle");
  const json state = parlo->Send("state");
  ASSERT_EQ(state["conversations"].size(), 2u);
  EXPECT_EQ(state["conversations"][0]["name"], "01077778888");
  EXPECT_EQ(state["conversations"][0]["records"][0]["text"], "지금 와");
  EXPECT_TRUE(Shows(*parlo, "01077778888"));
  EXPECT_TRUE(bus_->MessageTexts().empty());
  e2e::Finished unread = Device({"reg", "get", "HKLM\\System\\State\\Messages\\SMS\\Unread", "Count"});
  EXPECT_EQ(json::parse(unread.out)["value"], 2);
  EXPECT_NE(Device({"notifications"}).out, "");
  parlo->Send("quit");
}

TEST_F(Modem, AMessageInPartsIsTakenOnceWholeAndALongOneKeepsItsEnd) {
  auto parlo = Start();
  const std::string longText(300, 'x');
  const std::string path = bus_->AddReceived("01077778888", longText, "", false);
  parlo->Send("idle");
  EXPECT_EQ(Received().size(), 0u);
  bus_->CompleteReceived(path);
  ASSERT_TRUE(bus_->WaitForCalls("Delete", 1));
  const json records = Received();
  ASSERT_EQ(records.size(), 2u);  // a record holds 259 characters: the rest follows in a second one
  std::string joined;
  for (const json& r : records) joined += r["0x0003001F"].get<std::string>();
  EXPECT_EQ(joined, longText);
  parlo->Send("quit");
}

TEST_F(Modem, MessagesWaitingOnTheModemAreTakenInAtStart) {
  bus_->AddReceived("01077778888", "first", "2024-03-05T09:00:00+00:00");
  bus_->AddReceived("01099990000", "second", "2024-03-05T10:00:00+00:00");
  auto parlo = Start();
  ASSERT_TRUE(bus_->WaitForCalls("Delete", 2));
  parlo->Send("idle");
  EXPECT_EQ(parlo->Send("state")["conversations"].size(), 2u);
  EXPECT_TRUE(bus_->MessageTexts().empty());
  parlo->Send("quit");
}

TEST_F(Modem, AKillBetweenStoringAndTheModemsDeleteStoresTheMessageOnce) {
  bus_->FailDeletes(true);  // the delete never happens: as if the program died right after the commit
  bus_->AddReceived("01077778888", "once", "2024-03-05T09:00:00+00:00");
  {
    auto parlo = Start();
    ASSERT_TRUE(bus_->WaitForCalls("Delete", 1));
  }  // killed
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(bus_->MessageTexts(), std::vector<std::string>{"once"});

  bus_->FailDeletes(false);
  auto parlo = Start();
  ASSERT_TRUE(bus_->WaitForCalls("Delete", 2));
  parlo->Send("idle");
  EXPECT_EQ(Received().size(), 1u);
  EXPECT_TRUE(bus_->MessageTexts().empty());
  // The same text again, now a new message, is stored: only the one already taken was skipped.
  bus_->AddReceived("01077778888", "once", "2024-03-05T09:00:00+00:00");
  ASSERT_TRUE(bus_->WaitForCalls("Delete", 3));
  EXPECT_EQ(Received().size(), 2u);
  parlo->Send("quit");
}

TEST_F(Modem, WithoutAModemParloSaysSoAndSendsFailWhenItGoesAway) {
  ReceiveBeforeStart();
  auto parlo = Start();
  bus_->AddReceived("01077778888", "kept", "");
  ASSERT_TRUE(bus_->WaitForCalls("Delete", 1));
  bus_->RemoveModem();
  parlo->Send("idle");
  AnswerOk(*parlo);
  // Without a modem there is no own number either: the send fails before it is tried.
  EXPECT_EQ(parlo->Send("screen")["msgbox"]["text"], "메시지 전송 실패");
  parlo->Send("answer ok");
  parlo->Send("quit");
  EXPECT_EQ(Received().size(), 2u);  // nothing stored is lost

  e2e::Finished again = e2e::Run("parlo", {"--device", device_.dir().string(), "--network", "modem", "--headless"});
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_EQ(again.err, "parlo: no modem: ModemManager has no modem that can send short messages\n");
}

}  // namespace
