// Sending what the compose view holds, against a real message store and the simulated network of
// a temporary device: what reaches the outbox, what is recorded, what the user is told.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "compose/send_text.h"
#include "contacts/contact_book.h"
#include "model/message_store.h"
#include "platform/base/text.h"
#include "platform/sms/network.h"
#include "platform/sms/simulated_network.h"
#include "platform/ui/ui_state.h"
#include "settings/settings.h"
#include "store/store_fixture.h"

namespace {

using compose::ComposedMessage;

std::u16string Repeat(const std::u16string& unit, int n) {
  std::u16string out;
  for (int i = 0; i < n; ++i) out += unit;
  return out;
}

struct Sent {
  std::u16string to, text, callback, smsc;
  bool operator==(const Sent&) const = default;
};

class SendTextTest : public storetest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    platform::sms::UseNetwork(nullptr);
    ASSERT_TRUE(platform::sms::WriteOwnNumber(u"01055501234", nullptr));
    MakeVolume();
    settings_.Load();
    messages_ = std::make_unique<MessageStore>(settings_, &contacts_);
    ASSERT_TRUE(messages_->OpenStore(nullptr));
    messages_->LoadAll();
  }
  void TearDown() override {
    messages_.reset();
    platform::sms::UseNetwork(nullptr);
    StoreTest::TearDown();
  }

  int Send(ComposedMessage& message) { return compose::SendComposedText(message, *messages_, contacts_); }

  // A typed message, with a callback number of its own when `callback` is given.
  static ComposedMessage Typed(const std::u16string& to, const std::u16string& text,
                               std::optional<std::u16string> callback = std::nullopt) {
    ComposedMessage m;
    m.recipient = to;
    m.text = text;
    m.callbackEnabled = callback.has_value();
    m.callback = callback.value_or(u"");
    return m;
  }

  std::vector<Sent> Outbox() {
    std::vector<Sent> out;
    std::istringstream lines(parlo_test::ReadFileBytes(device_->dir() / "network" / "sms-outbox.jsonl"));
    for (std::string line; std::getline(lines, line);) {
      nlohmann::json j = nlohmann::json::parse(line);
      auto wide = [&](const char* key) { return platform::Utf8ToUtf16(j[key].get<std::string>()); };
      out.push_back({wide("to"), wide("text"), wide("callback"), wide("smsc")});
    }
    return out;
  }
  std::vector<std::u16string> OutboxTexts() {
    std::vector<std::u16string> texts;
    for (const Sent& s : Outbox()) texts.push_back(s.text);
    return texts;
  }

  // The records the model holds for `number`, in conversation order.
  std::vector<const MessageRecord*> Recorded(const std::u16string& number) {
    std::vector<const MessageRecord*> out;
    for (int i = 0; i < messages_->ConversationCount(); ++i)
      for (const auto& r : messages_->ConversationAt(i))
        if (number == r->number) out.push_back(r.get());
    return out;
  }

  Settings settings_;
  parlo::ContactBook contacts_{nullptr};
  std::unique_ptr<MessageStore> messages_;
};

TEST_F(SendTextTest, TheTextGoesInPartsOfAtMostEightyBytes) {
  struct Case {
    const char* what;
    std::u16string text;
    std::vector<std::u16string> parts;
  } cases[] = {
      {"80 ASCII", Repeat(u"a", 80), {Repeat(u"a", 80)}},
      {"81 ASCII", Repeat(u"a", 81), {Repeat(u"a", 80), u"a"}},
      {"41 syllables", Repeat(u"가", 41), {Repeat(u"가", 40), u"가"}},
      {"79 ASCII and a syllable", Repeat(u"a", 79) + u"가", {Repeat(u"a", 79), u"가"}},
      {"a carriage return counts one here", u"\r" + Repeat(u"a", 80), {u"\r" + Repeat(u"a", 79), u"a"}},
      {"a surrogate pair that would cross", Repeat(u"a", 78) + u"😀", {Repeat(u"a", 78), u"😀"}},
      {"a surrogate pair that fits", Repeat(u"a", 76) + u"😀b", {Repeat(u"a", 76) + u"😀", u"b"}},
      // 78 bytes by the count, so one part by it; the cut counts the carriage returns and ends early.
      {"lines ended early", Repeat(u"a\r\n", 39), {Repeat(u"a\r\n", 26) + u"a\r", u"\n" + Repeat(u"a\r\n", 12)}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(device_->dir() / "network" / "sms-outbox.jsonl");
    ComposedMessage m = Typed(u"0101234", c.text);
    EXPECT_EQ(Send(m), compose::SEND_OK) << c.what;
    EXPECT_EQ(OutboxTexts(), c.parts) << c.what;
  }
}

TEST_F(SendTextTest, EachPartIsRecordedAsASentMessageUntilOneFails) {
  ComposedMessage m = Typed(u"0101234", Repeat(u"a", 81));
  ASSERT_EQ(Send(m), compose::SEND_OK);
  std::map<std::u16string, const MessageRecord*> byId;  // the part number ends the identifier
  for (const MessageRecord* r : Recorded(u"0101234")) byId[r->messageId] = r;
  ASSERT_EQ(byId.size(), 2u);
  ASSERT_TRUE(byId.count(u"20240305140709000") && byId.count(u"20240305140709001"));
  const MessageRecord* second = byId[u"20240305140709001"];
  EXPECT_EQ(std::u16string(second->text), u"a");
  EXPECT_EQ(second->dbIndex, DB_SEND);
  EXPECT_NE(second->oid, 0u);
  EXPECT_EQ(messages_->Records().CountRecords(DB_SEND), 2);

  // When the second of three parts fails, the first stays sent and recorded.
  ASSERT_TRUE(platform::sms::WriteFailAfter(1, nullptr));
  m = Typed(u"0101234", Repeat(u"a", 200));
  EXPECT_EQ(Send(m), compose::SEND_FAILED);
  EXPECT_EQ(OutboxTexts(), (std::vector<std::u16string>{Repeat(u"a", 80), u"a", Repeat(u"a", 80)}));
  EXPECT_EQ(Recorded(u"0101234").size(), 3u);
  EXPECT_EQ(messages_->Records().CountRecords(DB_SEND), 3);
  std::vector<platform::ui::MessageBoxInfo> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, u"ERROR");
  EXPECT_EQ(boxes[0].text, u"SmsSendMessage Error. Phone[0101234] code=1231");
}

TEST_F(SendTextTest, FieldsThatCannotBeSentAreRefusedBeforeAnythingGoes) {
  struct Case {
    const char* what;
    ComposedMessage message;
    int result;
  } cases[] = {
      {"empty text", Typed(u"0101234", u""), compose::SEND_EMPTY},
      {"empty recipient", Typed(u"", u"hi"), compose::SEND_EMPTY},
      {"typed with a dash", Typed(u"010-1234", u"hi"), compose::SEND_NOT_DIGITS},
      {"full-width digits", Typed(u"０１０", u"hi"), compose::SEND_NOT_DIGITS},
      {"256 digits, more than an address holds", Typed(Repeat(u"1", 256), u"hi"), compose::SEND_FAILED},
      {"callback enabled but empty", Typed(u"0101234", u"hi", u""), compose::SEND_EMPTY},
      {"callback not digits", Typed(u"0101234", u"hi", u"010-9"), compose::SEND_NOT_DIGITS},
      {"32 callback digits, more than the provider block holds", Typed(u"0101234", u"hi", Repeat(u"1", 32)),
       compose::SEND_NOT_DIGITS},
  };
  for (Case& c : cases) EXPECT_EQ(Send(c.message), c.result) << c.what;
  EXPECT_TRUE(Outbox().empty());
  EXPECT_EQ(messages_->ConversationCount(), 0);
}

// A picked contact goes to its chosen number without dashes, a reply to the answered message's
// number (not the name shown); the callback is the device's number unless one is given.
TEST_F(SendTextTest, WhereEachKindOfMessageGoesAndItsCallback) {
  parlo::ContactEntry contact{};
  StringCchCopyW(contact.name, 16, u"김철수");
  StringCchCopyW(contact.mobile, 24, u"010-9999-0000");
  StringCchCopyW(contact.home, 24, u"010-1234-5678");
  contact.selectedNumber = parlo::kNumberHome;
  contacts_.GroupList().push_back(&contact);
  MessageRecord answered;
  StringCchCopyW(answered.number, kFieldChars, u"010-2345-6789");
  ComposedMessage picked = Typed(u"김철수", u"hi"), reply = Typed(u"이영희", u"hi"),
                  given = Typed(u"0101234", u"hi", u"0107777");
  picked.pickedFromContacts = true;
  reply.replySource = &answered;
  for (ComposedMessage* m : {&picked, &reply, &given}) ASSERT_EQ(Send(*m), compose::SEND_OK);
  const std::u16string own = u"01055501234";
  EXPECT_EQ(Outbox(), (std::vector<Sent>{{u"01012345678", u"hi", own, own},
                                         {u"010-2345-6789", u"hi", own, own},
                                         {u"0101234", u"hi", u"0107777", u""}}));  // the network's own centre
  for (const char16_t* number : {u"01012345678", u"010-2345-6789", u"0101234"}) EXPECT_EQ(Recorded(number).size(), 1u);
  EXPECT_TRUE(contacts_.GroupList().empty());
  EXPECT_FALSE(picked.pickedFromContacts);
}

TEST_F(SendTextTest, APartSentButNotRecordedIsAStoreFailureAndTheRestStillGoes) {
  MessageStore unopened(settings_, &contacts_);  // no database to write to
  ComposedMessage m = Typed(u"0101234", Repeat(u"a", 81));
  EXPECT_EQ(compose::SendComposedText(m, unopened, contacts_), compose::SEND_STORE_FAILED);
  EXPECT_EQ(Outbox().size(), 2u);
  EXPECT_EQ(unopened.ConversationCount(), 0);
}

// A network of the test's own: what it was handed, and whether the wait cursor showed meanwhile.
struct Watching : platform::sms::Network {
  std::u16string own;
  int* sends;
  bool* waitShown;
  Watching(std::u16string number, int* s, bool* w) : own(std::move(number)), sends(s), waitShown(w) {}
  platform::sms::Delivery Send(const platform::sms::OutgoingMessage&) override {
    ++*sends;
    *waitShown = platform::ui::CursorIsWait();
    return platform::sms::Delivery::kSent;
  }
  std::optional<std::u16string> OwnNumber() override { return own; }
};

// The wait cursor shows while sending and goes after; a device number longer than the provider
// block holds fails the send rather than go out cut.
TEST_F(SendTextTest, TheWaitCursorAndTheDevicesOwnNumber) {
  int records = 0;
  for (const std::u16string& own : {u"+" + Repeat(u"1", 31), std::u16string(u"01055501234")}) {
    int sends = 0;
    bool waitShown = false;
    platform::sms::UseNetwork(std::make_unique<Watching>(own, &sends, &waitShown));
    ComposedMessage m = Typed(u"0101234", u"hi");
    const bool fits = own.size() < 32;
    EXPECT_EQ(Send(m), fits ? compose::SEND_OK : compose::SEND_FAILED) << own.size();
    EXPECT_EQ(sends, fits ? 1 : 0);
    EXPECT_EQ(waitShown, fits);
    EXPECT_FALSE(platform::ui::CursorIsWait());
    EXPECT_EQ(messages_->Records().CountRecords(DB_SEND), records += fits);
  }
}

TEST(SendResult, EachFailureHasItsBox) {
  const struct {
    int result;
    const char16_t *text, *title;
  } boxes[] = {{1, u"받는사람은 숫자만 가능합니다.", u"확인"}, {2, u"EDB 저장 실패", u"에러"},
               {3, u"메시지 전송 실패", u"에러"},           {4, u"입력된 값이 없습니다.", u"확인"}};
  for (const auto& b : boxes) {
    EXPECT_EQ(std::u16string(compose::SendResultText(b.result)), b.text) << b.result;
    EXPECT_EQ(std::u16string(compose::SendResultTitle(b.result)), b.title) << b.result;
  }
  EXPECT_EQ(std::u16string(compose::SendResultText(0)), u"");
}

}  // namespace
