// Writing sent messages, marking read, deleting, and the published unread count.
#include <fstream>
#include <tuple>

#include "store_fixture.h"

using namespace storetest;

TEST_F(StoreTest, ASentPartIsStoredWithTheClockAndItsPartNumber) {
  MakeVolume();
  RecordStore* store = OpenedStore();  // the virtual clock stands at 2024-03-05 14:07:09
  MessageRecord r;
  ASSERT_TRUE(store->WriteSentRecord(DB_SEND, u"010-1234-5678", u"abcdefghijklmnopqrs", 2, &r));
  EXPECT_NE(r.oid, 0u);
  EXPECT_EQ(r.dbIndex, DB_SEND);
  EXPECT_EQ(std::u16string(r.messageId), u"20240305140709002");
  EXPECT_EQ(std::u16string(r.number), u"010-1234-5678");
  EXPECT_EQ(std::u16string(r.text), u"abcdefghijklmnop\nqrs");
  EXPECT_EQ(std::u16string(r.timeText), u"03/05 14:07");
  EXPECT_EQ(r.isRead, 1);
  EXPECT_EQ(r.isMms, 0);
  EXPECT_EQ(r.mmsFlag, 1);

  std::vector<std::u16string> texts;
  auto values = Stored(u"\\SEND_MSG", r.oid, &texts);
  ASSERT_EQ(values.size(), 8u);
  std::vector<CEPROPID> order;
  for (auto& v : values) order.push_back(v.propid);
  EXPECT_EQ(order, (std::vector<CEPROPID>{PROP_TIME, PROP_NUMBER, PROP_TEXT, PROP_READ, PROP_MESSAGE_ID, PROP_KIND,
                                          PROP_MMS_FLAG, PROP_AUX_FLAG}));
  SYSTEMTIME st;
  ASSERT_TRUE(FileTimeToSystemTime(&values[0].val.filetime, &st));
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wHour, 14);
  EXPECT_EQ(st.wSecond, 9);
  EXPECT_EQ(texts[1], u"010-1234-5678");  // stored unchanged; clean-up happens on reading
  EXPECT_EQ(texts[2], u"abcdefghijklmnopqrs");
  EXPECT_EQ(values[3].val.iVal, 1);
  EXPECT_EQ(texts[4], u"20240305140709002");
  EXPECT_EQ(values[5].val.iVal, 2);
  EXPECT_EQ(values[6].val.iVal, 1);
  EXPECT_EQ(values[7].val.iVal, 1);
}

TEST_F(StoreTest, AWriteToAnUnopenedDatabaseFailsSilently) {
  RecordStore* store = NewStore();
  MessageRecord r;
  EXPECT_FALSE(store->WriteSentRecord(DB_SEND, u"1", u"x", 0, &r));
  EXPECT_EQ(r.oid, 0u);
  EXPECT_TRUE(Boxes().empty());
}

// Marking one of two unread messages read publishes the one left and leaves the notification;
// marking the last one publishes zero and removes it.
TEST_F(StoreTest, MarkingReadPublishesWhatIsLeftAndRemovesTheNotificationAtZero) {
  MakeVolume();
  Message m;
  CEOID first = Put(u"\\RECV_MSG", m);
  m.id = u"20240305140709001";
  CEOID second = Put(u"\\RECV_MSG", m);
  m.id = u"20240305140709002";
  m.read = 1;
  Put(u"\\RECV_MSG", m);
  AddUnreadNotification();
  RecordStore* store = OpenedStore();
  for (auto [oid, left] : {std::pair{first, 1u}, std::pair{second, 0u}}) {
    SCOPED_TRACE(left);
    MessageRecord r;
    r.oid = oid;
    ASSERT_TRUE(store->ReadRecordById(DB_RECV, &r));
    ASSERT_EQ(store->UpdateRecord(DB_RECV, &r, false), StoreError::kNone);
    EXPECT_EQ(r.isRead, 1);
    EXPECT_EQ(StoredShort(u"\\RECV_MSG", oid, PROP_READ), 1);
    EXPECT_EQ(StateValue(u"Unread"), left);
    EXPECT_EQ(StateValue(u"Count"), left);
    EXPECT_EQ(UnreadNotificationShown(), left > 0);
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(StoreTest, MarkingReadWritesEveryOtherValueBackUnchanged) {
  MakeVolume();
  Message m;
  m.aux = 1;
  m.mms = 1;
  m.kind = 1;
  CEOID recv = Put(u"\\RECV_MSG", m);
  m.aux = 0;
  CEOID sent = Put(u"\\SEND_MSG", m);
  RecordStore* store = OpenedStore();
  for (auto [db, name, oid] : {std::tuple{DB_RECV, u"\\RECV_MSG", recv}, std::tuple{DB_SEND, u"\\SEND_MSG", sent}}) {
    std::vector<std::u16string> before, after;
    auto old = Stored(name, oid, &before);
    MessageRecord r;
    r.oid = oid;
    ASSERT_TRUE(store->ReadRecordById(db, &r));
    ASSERT_EQ(store->UpdateRecord(db, &r, false), StoreError::kNone);
    auto now = Stored(name, oid, &after);
    ASSERT_EQ(now.size(), old.size());
    EXPECT_EQ(after, before);
    for (size_t i = 0; i < now.size(); ++i) {
      if (now[i].propid == PROP_READ) {
        EXPECT_EQ(now[i].val.iVal, 1);
      } else if (TypeFromPropID(now[i].propid) == CEVT_I2) {
        EXPECT_EQ(now[i].val.iVal, old[i].val.iVal) << std::hex << now[i].propid;
      }
    }
  }
  EXPECT_EQ(StoredShort(u"\\SEND_MSG", sent, PROP_AUX_FLAG), 0);
  EXPECT_EQ(StoredShort(u"\\RECV_MSG", recv, PROP_AUX_FLAG), 1);
}

TEST_F(StoreTest, DeletingAnUnreadMessageRepublishesTheCount) {
  MakeVolume();
  Message m;
  CEOID a = Put(u"\\RECV_MSG", m);
  m.id = u"1";
  Put(u"\\RECV_MSG", m);
  AddUnreadNotification();
  RecordStore* store = OpenedStore();
  MessageRecord r;
  r.oid = a;
  ASSERT_EQ(store->UpdateRecord(DB_RECV, &r, true), StoreError::kNone);
  EXPECT_EQ(store->CountRecords(DB_RECV), 1);
  EXPECT_EQ(StateValue(u"Unread"), 1u);
  EXPECT_TRUE(UnreadNotificationShown());
}

TEST_F(StoreTest, ADeleteForAVanishedRecordFailsSilentlyAndPublishesNothing) {
  MakeVolume();
  CEOID gone = Put(u"\\RECV_MSG", Message{});
  RecordStore* store = OpenedStore();
  HANDLE phone = PhoneHandle(u"\\RECV_MSG");
  ASSERT_TRUE(CeDeleteRecord(phone, gone));
  AddUnreadNotification();
  MessageRecord r;
  r.oid = gone;
  EXPECT_EQ(store->UpdateRecord(DB_RECV, &r, true), StoreError::kRecordMissing);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(StateValue(u"Unread").has_value());
  EXPECT_TRUE(UnreadNotificationShown());
}

// On an empty database delete-all finds nothing and publishes nothing; then it removes every
// received record, leaves the sent ones and publishes zero.
TEST_F(StoreTest, DeleteAllRemovesEveryReceivedRecordAndPublishesZero) {
  MakeVolume();
  AddUnreadNotification();
  RecordStore* store = OpenedStore();
  EXPECT_EQ(store->DeleteAllRecords(DB_RECV), StoreError::kRecordMissing);
  EXPECT_FALSE(StateValue(u"Unread").has_value());
  EXPECT_FALSE(StateValue(u"Count").has_value());
  EXPECT_TRUE(UnreadNotificationShown());
  for (int i = 0; i < 12; ++i) {
    Message m;
    m.id = std::u16string(1, static_cast<char16_t>(u'a' + i));
    Put(u"\\RECV_MSG", m);
  }
  CEOID sent = Put(u"\\SEND_MSG", Message{});
  EXPECT_EQ(store->DeleteAllRecords(DB_RECV), StoreError::kNone);
  EXPECT_EQ(store->CountRecords(DB_RECV), 0);
  EXPECT_EQ(store->CountRecords(DB_SEND), 1);
  EXPECT_FALSE(Stored(u"\\SEND_MSG", sent).empty());
  EXPECT_EQ(StateValue(u"Unread"), 0u);
  EXPECT_FALSE(UnreadNotificationShown());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(StoreTest, AChangeInTheSentDatabaseStillCountsTheReceivedOnes) {
  MakeVolume();
  Put(u"\\RECV_MSG", Message{});  // unread, but not in the database that changes
  AddUnreadNotification();
  RecordStore* store = OpenedStore();
  MessageRecord r;
  ASSERT_TRUE(store->WriteSentRecord(DB_SEND, u"010", u"hi", 0, &r));
  ASSERT_EQ(store->UpdateRecord(DB_SEND, &r, true), StoreError::kNone);
  EXPECT_EQ(StateValue(u"Unread"), 1u);
  EXPECT_EQ(StateValue(u"Count"), 1u);
  EXPECT_TRUE(UnreadNotificationShown());
}

TEST_F(StoreTest, CountUnreadSkipsRecordsWithoutAReadFlag) {
  MakeVolume();
  Put(u"\\RECV_MSG", Message{}, {PROP_MESSAGE_ID});
  Message m;
  m.id = u"1";
  Put(u"\\RECV_MSG", m);
  RecordStore* store = OpenedStore();
  EXPECT_EQ(store->CountUnread(DB_RECV), 1);
}

TEST_F(StoreTest, SetStateDwordReturnsTheValueAndAnUnopenableRegistryReportsTheColumnSizeError) {
  RecordStore* store = NewStore();
  EXPECT_EQ(store->SetStateDword(kUnreadStateKey, u"Unread", 7), 7u);
  EXPECT_EQ(StateValue(u"Unread"), 7u);
  EXPECT_TRUE(Boxes().empty());
  // A registry file that is not a database makes every registry call fail.
  platform::device::registry::Close();
  std::filesystem::remove(device_->dir() / "registry.db-wal");
  std::filesystem::remove(device_->dir() / "registry.db-shm");
  { std::ofstream(device_->dir() / "registry.db", std::ios::binary | std::ios::trunc) << std::string(4096, 'z'); }
  store = NewStore();
  StoreError error = StoreError::kNone;
  EXPECT_EQ(store->SetStateDword(kUnreadStateKey, u"Unread", 3, &error), 0u);
  EXPECT_EQ(std::u16string(StoreErrorText(error)), u"[Error]Can't open Column Size Registry!!");
  EXPECT_TRUE(Boxes().empty());  // the caller tells the user
}
