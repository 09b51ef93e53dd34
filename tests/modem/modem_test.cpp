// Parlo with --network modem against a mock ModemManager on a private system bus: sending from the
// compose bar, failures, messages received while running, in parts, while not running, a crash
// between storing and the modem's delete, and the modem going away.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/session.h"

namespace {

using nlohmann::json;

constexpr char kPython[] = "/usr/bin/python3";  // Debian's, where python3-dbusmock lives

// What is missing for the mock to run, or nothing.
std::string Missing() {
  if (e2e::Run("/usr/bin/dbus-daemon", {"--version"}).exitCode != 0)
    return "dbus-daemon is not installed (make deps installs it)";
  if (e2e::Run(kPython, {"-c", "import dbusmock"}).exitCode != 0)
    return "python3-dbusmock is not installed (make deps installs it)";
  return "";
}

class Modem : public e2e::DeviceTest {
 protected:
  // One private bus with the mock for the suite; the programs the tests start find it there.
  static void SetUpTestSuite() {
    missing_ = Missing();
    if (!missing_.empty()) return;
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:abstract=parlo-modem-test-" + std::to_string(getpid())).c_str(), 1);
    mock_ = new e2e::Program(kPython, {PARLO_MOCK_MODEM});
  }
  static void TearDownTestSuite() {
    delete mock_;
    mock_ = nullptr;
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  }
  void SetUp() override {
    if (!missing_.empty()) GTEST_SKIP() << missing_;
    Mock({"Reset"});  // one modem, no messages, sends and deletes working
    DeviceTest::SetUp();
  }

  // A call of the mock's control interface (mock_modem.py), its answer; a failed one ends the test.
  static json Mock(const json& call) {
    std::optional<std::string> line = mock_->Ask(call.dump());
    if (!line) throw std::runtime_error("the mock modem ended");
    json answer = json::parse(*line);
    if (answer.is_object() && answer.contains("error")) throw std::runtime_error(answer["error"].get<std::string>());
    return answer;
  }

  std::unique_ptr<e2e::Parlo> Start() const {
    return std::make_unique<e2e::Parlo>(root_, std::vector<std::string>{"--network", "modem"});
  }
  std::vector<json> Received() const { return Json({"messages", "--db", "recv"}); }
  // From the list into the conversation with 01033334444, 답장, "ok" typed, then the slide.
  static void AnswerOk(e2e::Parlo& parlo) {
    e2e::TapText(parlo, "01033334444");
    e2e::TapText(parlo, "답장");
    ASSERT_EQ(parlo.Send("screen")["view"], "SendView");
    parlo.Send("type ok");
    const json keys = parlo.Send("screen")["sip_keys"];
    for (const json& key : keys)
      if (key["key"] == "hide") e2e::TapCenter(parlo, key["rect"]);
    parlo.Send("drag 240 772 479 772 300 12");
  }
  void ReceiveBeforeStart() const {
    ASSERT_EQ(Device({"receive", "--from", "01033334444", "--at", "2024-03-05 11:00:00", "잘 지내?"}).exitCode, 0);
  }

  static inline std::string missing_;
  static inline e2e::Program* mock_ = nullptr;
};

// An answer goes out through the modem; one the modem refuses is a failed send.
TEST_F(Modem, AnAnswerSlidOutGoesThroughTheModemAndNotTheOutbox) {
  ReceiveBeforeStart();
  auto parlo = Start();
  AnswerOk(*parlo);
  Mock({"WaitForDeletes", 1});
  EXPECT_EQ(parlo->Send("screen")["view"], "MainView");
  // Class 1: the class the provider block asks for.
  EXPECT_EQ(Mock({"Created"}), json::parse(R"([{"number": "01033334444", "text": "ok", "class": 1}])"));
  EXPECT_EQ(Mock({"Messages"}), json::array());  // the sent Sms is not left on the modem
  EXPECT_EQ(Device({"outbox"}).out, "");
  EXPECT_EQ(Device({"--network", "modem", "phone-number"}).out, "+821055501234\n");
  EXPECT_EQ(Device({"--network", "modem", "sms", "ok"}).exitCode, 2);
  const std::string sent = Device({"messages", "--db", "send"}).out;
  EXPECT_EQ(std::count(sent.begin(), sent.end(), '\n'), 1);
  EXPECT_NE(sent.find("\"ok\""), std::string::npos) << sent;

  Mock({"Fail", "sends", true});
  AnswerOk(*parlo);
  const json box = parlo->Send("screen")["msgbox"];
  ASSERT_TRUE(box.is_object());
  EXPECT_EQ(box["caption"], "ERROR");
  EXPECT_EQ(parlo->Send("answer ok"), (json{{"ok", true}}));
  EXPECT_EQ(parlo->Send("screen")["msgbox"]["text"], "메시지 전송 실패");
  parlo->Send("answer ok");
  EXPECT_EQ(Device({"messages", "--db", "send"}).out, sent);
  Mock({"WaitForDeletes", 2});
  EXPECT_EQ(Mock({"Messages"}), json::array());  // the failed Sms is deleted too
  parlo->Send("quit");
}

// A message received while running is shown at once; when the modem goes away what is stored stays,
// sends fail and the next start says there is no modem.
TEST_F(Modem, AMessageReceivedWhileRunningIsShownAtTheTopAtOnce) {
  ReceiveBeforeStart();
  auto parlo = Start();
  Mock({"AddReceived", "01077778888", "지금 와", "2024-03-05T14:07:30+00:00", true});
  Mock({"WaitForDeletes", 1});
  parlo->Send("idle");
  const json state = parlo->Send("state");
  ASSERT_EQ(state["conversations"].size(), 2u);
  EXPECT_EQ(state["conversations"][0]["name"], "01077778888");
  EXPECT_EQ(state["conversations"][0]["records"][0]["text"], "지금 와");
  EXPECT_TRUE(e2e::Shows(*parlo, "01077778888"));
  EXPECT_EQ(Mock({"Messages"}), json::array());
  e2e::Finished unread = Device({"reg", "get", e2e::kUnreadKey, "Count"});
  EXPECT_EQ(json::parse(unread.out)["value"], 2);
  EXPECT_NE(Device({"notifications"}).out, "");

  Mock({"RemoveModem"});
  parlo->Send("idle");
  AnswerOk(*parlo);
  // Without a modem there is no own number either: the send fails before it is tried.
  EXPECT_EQ(parlo->Send("screen")["msgbox"]["text"], "메시지 전송 실패");
  parlo->Send("answer ok");
  parlo->Send("quit");
  EXPECT_EQ(Received().size(), 2u);  // nothing stored is lost
  e2e::Finished again = e2e::Run("parlo", {"--device", dir(), "--network", "modem", "--headless"});
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_EQ(again.err, "parlo: no modem: ModemManager has no modem that can send short messages\n");
}

TEST_F(Modem, AMessageInPartsIsTakenOnceWholeAndALongOneKeepsItsEnd) {
  auto parlo = Start();
  const std::string longText(300, 'x');
  const json path = Mock({"AddReceived", "01077778888", longText, "", false});  // parts are missing
  parlo->Send("idle");
  EXPECT_EQ(Received().size(), 0u);
  Mock({"CompleteReceived", path});
  Mock({"WaitForDeletes", 1});
  const std::vector<json> records = Received();
  ASSERT_EQ(records.size(), 2u);  // a record holds 259 characters: the rest follows in a second one
  std::string joined;
  for (const json& r : records) joined += r["props"]["0x0003001F"].get<std::string>();
  EXPECT_EQ(joined, longText);
  parlo->Send("quit");
}

TEST_F(Modem, AKillBetweenStoringAndTheModemsDeleteStoresTheMessageOnce) {
  Mock({"Fail", "deletes", true});  // the delete never happens: as if the program died right after the commit
  Mock({"AddReceived", "01077778888", "once", "2024-03-05T09:00:00+00:00", true});
  {
    auto parlo = Start();
    Mock({"WaitForDeletes", 1});
  }  // killed
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(Mock({"Messages"}), json::array({"once"}));

  // Started again with another message waiting too: both are taken in, the first not twice.
  Mock({"Fail", "deletes", false});
  Mock({"AddReceived", "01099990000", "second", "2024-03-05T10:00:00+00:00", true});
  auto parlo = Start();
  Mock({"WaitForDeletes", 3});
  parlo->Send("idle");
  EXPECT_EQ(parlo->Send("state")["conversations"].size(), 2u);
  EXPECT_EQ(Received().size(), 2u);
  EXPECT_EQ(Mock({"Messages"}), json::array());
  // The same text again, now a new message, is stored: only the one already taken was skipped.
  Mock({"AddReceived", "01077778888", "once", "2024-03-05T09:00:00+00:00", true});
  Mock({"WaitForDeletes", 4});
  EXPECT_EQ(Received().size(), 3u);
  parlo->Send("quit");
}

}  // namespace
