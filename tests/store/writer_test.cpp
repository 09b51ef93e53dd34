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
  EXPECT_EQ(std::tuple(r.dbIndex, std::u16string(r.messageId), std::u16string(r.number), std::u16string(r.text),
                       std::u16string(r.timeText), r.isRead, r.isMms, r.mmsFlag),
            std::tuple(DB_SEND, u"20240305140709002", u"010-1234-5678", u"abcdefghijklmnop\nqrs", u"03/05 14:07", 1, 0, 1));

  const parlo_test::ReadRecord stored = Stored(kSend, r.oid);
  const std::vector<CEPROPVAL>& values = stored.values;
  ASSERT_EQ(values.size(), 8u);
  std::vector<CEPROPID> order;
  for (auto& v : values) order.push_back(v.propid);
  EXPECT_EQ(order, (std::vector<CEPROPID>{PROP_TIME, PROP_NUMBER, PROP_TEXT, PROP_READ, PROP_MESSAGE_ID, PROP_KIND,
                                          PROP_MMS_FLAG, PROP_AUX_FLAG}));
  SYSTEMTIME st;
  ASSERT_TRUE(FileTimeToSystemTime(&values[0].val.filetime, &st));
  EXPECT_EQ(std::tuple(st.wYear, st.wHour, st.wSecond), std::tuple(2024, 14, 9));
  // The number is stored unchanged; clean-up happens on reading.
  EXPECT_EQ(stored.texts, (std::vector<std::u16string>{u"", u"010-1234-5678", u"abcdefghijklmnopqrs", u"",
                                                u"20240305140709002", u"", u"", u""}));
  EXPECT_EQ(std::tuple(values[3].val.iVal, values[5].val.iVal, values[6].val.iVal, values[7].val.iVal),
            std::tuple(1, 2, 1, 1));
}

// Marking one of two unread messages read publishes the one left and leaves the notification;
// marking the last one publishes zero and removes it. Every other value is written back as it was
// (a sent record's inverted auxiliary flag too).
TEST_F(StoreTest, MarkingReadPublishesWhatIsLeftAndKeepsTheOtherValues) {
  MakeVolume();
  CEOID first = Put(kRecv, {.kind = 1, .aux = 1, .mms = 1});
  CEOID second = Put(kRecv, {.id = u"20240305140709001"});
  Put(kRecv, {.read = 1, .id = u"20240305140709002"});
  CEOID sent = Put(kSend, {.kind = 1, .aux = 0, .mms = 1});
  AddUnreadNotification();
  RecordStore* store = OpenedStore();
  for (auto [db, name, oid, left] : {std::tuple{DB_RECV, kRecv, first, 1u}, std::tuple{DB_RECV, kRecv, second, 0u},
                                     std::tuple{DB_SEND, kSend, sent, 0u}}) {
    SCOPED_TRACE(oid);
    const parlo_test::ReadRecord before = Stored(name, oid);
    MessageRecord r = ReadBack(db, oid);
    ASSERT_EQ(store->UpdateRecord(db, &r, false), StoreError::kNone);
    EXPECT_EQ(r.isRead, 1);
    const parlo_test::ReadRecord after = Stored(name, oid);
    ASSERT_EQ(after.values.size(), before.values.size());
    EXPECT_EQ(after.texts, before.texts);
    for (size_t i = 0; i < after.values.size(); ++i) {
      const CEPROPVAL &now = after.values[i], &old = before.values[i];
      if (TypeFromPropID(now.propid) == CEVT_I2) {
        EXPECT_EQ(now.val.iVal, now.propid == PROP_READ ? 1 : old.val.iVal) << std::hex << now.propid;
      }
    }
    EXPECT_EQ(StateValue(u"Unread"), left);
    EXPECT_EQ(StateValue(u"Count"), left);
    EXPECT_EQ(UnreadNotificationShown(), left > 0);
  }
  EXPECT_EQ(StoredShort(kSend, sent, PROP_AUX_FLAG), 0);
  EXPECT_EQ(StoredShort(kRecv, first, PROP_AUX_FLAG), 1);
  EXPECT_TRUE(Boxes().empty());
}

// On an empty database delete-all finds nothing and publishes nothing. Deleting an unread message
// republishes the count; a delete of a record that vanished fails silently and publishes nothing;
// a change in the sent database still counts the received ones, skipping records without a read
// flag. Delete-all removes every received record, leaves the sent ones and publishes zero.
TEST_F(StoreTest, DeletingRepublishesTheCountUnlessNothingWasDeleted) {
  MakeVolume();
  AddUnreadNotification();
  RecordStore* store = OpenedStore();
  EXPECT_EQ(store->DeleteAllRecords(DB_RECV), StoreError::kRecordMissing);
  EXPECT_FALSE(StateValue(u"Unread").has_value());
  EXPECT_FALSE(StateValue(u"Count").has_value());
  EXPECT_TRUE(UnreadNotificationShown());

  CEOID a = Put(kRecv, {});
  CEOID gone = Put(kRecv, {.id = u"1"});
  Put(kRecv, {.id = u"2"});
  Put(kRecv, {.id = u"3"}, {PROP_MESSAGE_ID});
  HANDLE phone = PhoneHandle(kRecv);
  ASSERT_TRUE(CeDeleteRecord(phone, gone));
  platform::db::CloseDatabaseHandle(phone);
  MessageRecord r;
  r.oid = gone;
  EXPECT_EQ(store->UpdateRecord(DB_RECV, &r, true), StoreError::kRecordMissing);
  EXPECT_FALSE(StateValue(u"Unread").has_value());
  EXPECT_EQ(store->CountUnread(DB_RECV), 2);
  ASSERT_TRUE(store->WriteSentRecord(DB_SEND, u"010", u"hi", 0, &r));
  ASSERT_EQ(store->UpdateRecord(DB_SEND, &r, true), StoreError::kNone);
  EXPECT_EQ(StateValue(u"Unread"), 2u);
  EXPECT_EQ(StateValue(u"Count"), 2u);
  r.oid = a;
  ASSERT_EQ(store->UpdateRecord(DB_RECV, &r, true), StoreError::kNone);
  EXPECT_EQ(store->CountRecords(DB_RECV), 2);
  EXPECT_EQ(StateValue(u"Unread"), 1u);
  EXPECT_TRUE(UnreadNotificationShown());

  for (int i = 0; i < 12; ++i) Put(kRecv, {.id = std::u16string(1, static_cast<char16_t>(u'a' + i))});
  CEOID sent = Put(kSend, {});
  EXPECT_EQ(store->DeleteAllRecords(DB_RECV), StoreError::kNone);
  EXPECT_EQ(store->CountRecords(DB_RECV), 0);
  EXPECT_EQ(store->CountRecords(DB_SEND), 1);
  EXPECT_NE(Stored(kSend, sent).oid, 0u);
  EXPECT_EQ(StateValue(u"Unread"), 0u);
  EXPECT_FALSE(UnreadNotificationShown());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(StoreTest, SetStateDwordReturnsTheValueAndAnUnopenableRegistryReportsTheColumnSizeError) {
  EXPECT_EQ(NewStore()->SetStateDword(kUnreadStateKey, u"Unread", 7), 7u);
  EXPECT_EQ(StateValue(u"Unread"), 7u);
  EXPECT_TRUE(Boxes().empty());
  // A registry file that is not a database makes every registry call fail.
  platform::device::registry::Close();
  std::filesystem::remove(device_->dir() / "registry.db-wal");
  std::filesystem::remove(device_->dir() / "registry.db-shm");
  { std::ofstream(device_->dir() / "registry.db", std::ios::binary | std::ios::trunc) << std::string(4096, 'z'); }
  StoreError error = StoreError::kNone;
  EXPECT_EQ(NewStore()->SetStateDword(kUnreadStateKey, u"Unread", 3, &error), 0u);
  EXPECT_EQ(std::u16string(StoreErrorText(error)), u"[Error]Can't open Column Size Registry!!");
  EXPECT_TRUE(Boxes().empty());  // the caller tells the user
}
