#include <gtest/gtest.h>

#include "model/message_store.h"
#include "settings/settings.h"
#include "store/store_fixture.h"

namespace {

using storetest::Message;

class ModelTest : public storetest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    MakeVolume();
  }
  void TearDown() override {
    messages_.reset();
    StoreTest::TearDown();
  }

  static Message At(const char16_t* number, int hour, int minute, const char16_t* text = u"hi") {
    Message m;
    m.number = number;
    m.text = text;
    m.time = SYSTEMTIME{2024, 3, 2, 5, static_cast<WORD>(hour), static_cast<WORD>(minute), 0, 0};
    WCHAR id[32];
    StringCchPrintfW(id, 32, u"20240305%02d%02d00000", hour, minute);
    m.id = id;
    return m;
  }

  // The model over the volume; `chronological` is view_sort (the oldest message first).
  MessageStore* Load(bool chronological = false) {
    settings_.Load();
    settings_.view_sort = chronological;
    messages_ = std::make_unique<MessageStore>(settings_, nullptr);
    EXPECT_TRUE(messages_->OpenStore(nullptr));
    messages_->LoadAll();
    return messages_.get();
  }

  static std::unique_ptr<MessageRecord> Record(const char16_t* number, const char16_t* text = u"") {
    auto r = std::make_unique<MessageRecord>();
    StringCchCopyW(r->number, 32, number);
    StringCchCopyW(r->text, 260, text);
    return r;
  }

  std::vector<std::u16string> Texts(int conversation) {
    std::vector<std::u16string> out;
    for (const auto& r : messages_->ConversationAt(conversation)) out.push_back(r->text);
    return out;
  }

  Settings settings_;
  std::unique_ptr<MessageStore> messages_;
};

TEST_F(ModelTest, AnUnreadableOrEmptyStoreThenFirstRecordStartsAtHundred) {
  messages_ = std::make_unique<MessageStore>(settings_, nullptr);
  messages_->SetStorePath(u"\\nowhere.edb");
  EXPECT_FALSE(messages_->OpenStore(nullptr));
  messages_->LoadAll();
  EXPECT_EQ(messages_->ConversationCount(), 0);
  Load();
  EXPECT_EQ(messages_->ConversationCount(), 0);
  messages_->AddRecord(Record(u"0101234"), true);
  ASSERT_EQ(messages_->ConversationCount(), 1);
  EXPECT_EQ(messages_->ConversationIdAt(0), FIRST_CONVERSATION_ID);
  EXPECT_EQ(std::u16string(messages_->DisplayNameFor(u"0101234")), u"0101234");  // no contact: the number
  EXPECT_EQ(std::u16string(messages_->DisplayNameFor(u"999")), u"");
}

// The most recently active conversation comes first; view_sort chooses the order inside one. A new
// message moves its conversation to the top (id 99) and, oldest first, goes last in it; newest
// first, where it leads, is seen end to end.
TEST_F(ModelTest, ConversationsByTheirNewestMessageMessagesByViewSortAndANewMessageMovesItsToTheTop) {
  Put(u"\\RECV_MSG", At(u"0101111", 8, 0, u"first"));
  Put(u"\\RECV_MSG", At(u"0101111", 9, 0, u"second"));
  Put(u"\\SEND_MSG", At(u"0101111", 10, 0, u"third"));
  Put(u"\\RECV_MSG", At(u"0102222", 7, 0));
  Put(u"\\RECV_MSG", At(u"0102222", 11, 0));
  Load(true);
  ASSERT_EQ(messages_->ConversationCount(), 2);
  EXPECT_EQ(messages_->ConversationIdAt(0), 100);
  EXPECT_EQ(std::u16string(messages_->ConversationAt(0).front()->number), u"0102222");
  EXPECT_EQ(messages_->ConversationIdAt(1), 101);
  EXPECT_EQ(Texts(1), (std::vector<std::u16string>{u"first", u"second", u"third"}));
  messages_->AddNewestRecord(Record(u"0101111", u"new"));
  EXPECT_EQ(std::tuple(messages_->ConversationIdAt(0), messages_->ConversationCount()), std::tuple(99, 2));
  EXPECT_EQ(Texts(0), (std::vector<std::u16string>{u"first", u"second", u"third", u"new"}));
  messages_->ClearModel();
  settings_.view_sort = false;
  messages_->LoadAll();
  EXPECT_EQ(Texts(1), (std::vector<std::u16string>{u"third", u"second", u"first"}));
}

TEST_F(ModelTest, SpellingsOfOneNumberJoinAndEmptyNumbersShareOneUnnamedConversation) {
  Put(u"\\RECV_MSG", At(u"", 10, 0));
  Put(u"\\RECV_MSG", At(u"  ", 11, 0));  // blanks trim to nothing
  Put(u"\\RECV_MSG", At(u"010-1234-5678", 8, 0));
  Put(u"\\SEND_MSG", At(u"01012345678", 9, 0));
  Load();
  ASSERT_EQ(messages_->ConversationCount(), 2);
  EXPECT_EQ(std::pair(messages_->ConversationAt(0).size(), messages_->ConversationAt(1).size()), std::pair(2ul, 2ul));
  EXPECT_EQ(std::u16string(messages_->DisplayNameFor(u"")), u"발신자정보없음");
}

// Deleting a conversation deletes each record from its own database; removing the last record
// of one by its oid drops it. Either way the number is forgotten.
TEST_F(ModelTest, DeletingAConversationOrItsLastRecordForgetsTheNumber) {
  CEOID received = Put(u"\\RECV_MSG", At(u"0101111", 10, 0));
  CEOID sent = Put(u"\\SEND_MSG", At(u"0101111", 11, 0));
  CEOID other = Put(u"\\RECV_MSG", At(u"0102222", 9, 0));
  CEOID another = Put(u"\\RECV_MSG", At(u"0102222", 8, 0));
  Load();
  ASSERT_EQ(messages_->ConversationCount(), 2);
  messages_->DeleteConversation(0);
  EXPECT_EQ(Stored(u"\\RECV_MSG", received).oid, 0u);
  EXPECT_EQ(Stored(u"\\SEND_MSG", sent).oid, 0u);
  EXPECT_EQ(Stored(u"\\RECV_MSG", other).oid, other);
  ASSERT_EQ(messages_->ConversationCount(), 1);
  EXPECT_EQ(std::u16string(messages_->DisplayNameFor(u"0101111")), u"");

  // The number starts over: a later message opens a new conversation at the top.
  messages_->AddRecord(Record(u"0101111"), true);
  EXPECT_EQ(messages_->ConversationCount(), 2);
  EXPECT_EQ(std::u16string(messages_->ConversationAt(0).front()->number), u"0101111");

  EXPECT_TRUE(messages_->RemoveRecordByOid(other));
  EXPECT_EQ(messages_->ConversationCount(), 2);
  EXPECT_FALSE(messages_->RemoveRecordByOid(other));
  EXPECT_TRUE(messages_->RemoveRecordByOid(another));
  EXPECT_EQ(messages_->ConversationCount(), 1);
  EXPECT_EQ(std::u16string(messages_->DisplayNameFor(u"0102222")), u"");
}

}  // namespace
