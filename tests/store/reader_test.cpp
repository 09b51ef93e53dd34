// Reading stored messages into records.
#include "platform/wm/loop.h"
#include "store_fixture.h"

using namespace storetest;

namespace {
Message WithId(const char16_t* id) {
  Message m;
  m.id = id;
  return m;
}
}  // namespace

TEST_F(StoreTest, PositionsReadInDescendingMessageIdentifier) {
  MakeVolume();
  CEOID a = Put(u"\\RECV_MSG", WithId(u"20240101090000000"));
  CEOID b = Put(u"\\RECV_MSG", WithId(u"20240305140709001"));
  CEOID c = Put(u"\\RECV_MSG", WithId(u"20231224000000000"));
  RecordStore* store = OpenedStore();
  ASSERT_EQ(store->CountRecords(DB_RECV), 3);
  std::vector<uint32_t> oids;
  for (int i = 0; i < 3; ++i) {
    MessageRecord r;
    ASSERT_TRUE(store->ReadRecordAt(DB_RECV, i, &r));
    EXPECT_EQ(r.dbIndex, DB_RECV);
    oids.push_back(r.oid);
  }
  EXPECT_EQ(oids, (std::vector<uint32_t>{b, a, c}));
  MessageRecord past;
  EXPECT_FALSE(store->ReadRecordAt(DB_RECV, 3, &past));
}

TEST_F(StoreTest, AReceivedMessageIsReadWithEveryField) {
  MakeVolume();
  Message m;
  m.number = u" 010-1234-5678 ";
  m.text = u"안녕하세요 반갑습니다";
  m.read = 0;
  m.kind = 1;
  m.aux = 1;
  m.mms = 0;
  CEOID oid = Put(u"\\RECV_MSG", m);
  RecordStore* store = OpenedStore();
  MessageRecord r;
  r.oid = oid;
  ASSERT_TRUE(store->ReadRecordById(DB_RECV, &r));
  EXPECT_EQ(std::u16string(r.number), u"01012345678");
  EXPECT_EQ(std::u16string(r.text), u"안녕하세요 반갑\n습니다");
  EXPECT_EQ(std::u16string(r.timeText), u"03/05 14:07");
  EXPECT_EQ(std::u16string(r.messageId), u"20240305140709000");
  EXPECT_EQ(r.isRead, 0);
  EXPECT_EQ(r.isMms, 1);  // any nonzero kind in the received database
  EXPECT_EQ(r.auxFlag, 1);
  EXPECT_EQ(r.mmsFlag, 0);
  EXPECT_NEAR(r.time, 45356.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0, 1e-9);
}

TEST_F(StoreTest, TheOriginalViewKeepsTheStoredTextAndOverlongFieldsAreCutToTheirBuffers) {
  MakeVolume();
  Message m;
  m.text = u"abcdefghijklmnopqrstuvwxyz\r\nline";
  CEOID kept = Put(u"\\RECV_MSG", m);
  Message overlong;
  overlong.number = std::u16string(40, u'1');
  overlong.id = std::u16string(40, u'9');
  overlong.text = std::u16string(400, u'x');
  CEOID cut = Put(u"\\RECV_MSG", overlong);
  RecordStore* store = OpenedStore();
  store->SetTextMode(1);
  MessageRecord r;
  r.oid = kept;
  ASSERT_TRUE(store->ReadRecordById(DB_RECV, &r));
  EXPECT_EQ(std::u16string(r.text), m.text);
  r.oid = cut;
  ASSERT_TRUE(store->ReadRecordById(DB_RECV, &r));
  EXPECT_EQ(std::u16string(r.number).size(), 31u);
  EXPECT_EQ(std::u16string(r.messageId).size(), 31u);
  EXPECT_EQ(std::u16string(r.text).size(), 259u);
}

TEST_F(StoreTest, SentRecordsReadAsReadWithKindsTwoAndThreeAndTheAuxiliaryFlagInverted) {
  MakeVolume();
  Message sms;
  sms.read = 0;
  sms.kind = 2;
  sms.id = u"2";
  sms.aux = 1;
  Message mms;
  mms.kind = 3;
  mms.id = u"1";
  CEOID smsOid = Put(u"\\SEND_MSG", sms);
  CEOID mmsOid = Put(u"\\SEND_MSG", mms);
  RecordStore* store = OpenedStore();
  MessageRecord a, b;
  a.oid = smsOid;
  b.oid = mmsOid;
  ASSERT_TRUE(store->ReadRecordById(DB_SEND, &a));
  ASSERT_TRUE(store->ReadRecordById(DB_SEND, &b));
  EXPECT_EQ(a.isRead, 1);
  EXPECT_EQ(a.isMms, 0);
  EXPECT_EQ(a.dbIndex, DB_SEND);
  EXPECT_EQ(a.auxFlag, 0);
  EXPECT_EQ(b.isMms, 1);
  EXPECT_EQ(b.auxFlag, 1);
}

TEST_F(StoreTest, APropertyTheRecordLacksLeavesItsFieldInitial) {
  MakeVolume();
  CEOID oid = Put(u"\\RECV_MSG", Message{}, {PROP_MESSAGE_ID, PROP_READ});
  RecordStore* store = OpenedStore();
  MessageRecord r;
  r.oid = oid;
  ASSERT_TRUE(store->ReadRecordById(DB_RECV, &r));
  EXPECT_EQ(std::u16string(r.number), u"");
  EXPECT_EQ(std::u16string(r.text), u"");
  EXPECT_EQ(std::u16string(r.timeText), u"");
  EXPECT_EQ(r.isMms, 0);
  EXPECT_EQ(r.time, 0.0);
  EXPECT_EQ(std::u16string(r.messageId), u"20240305140709000");
}

TEST_F(StoreTest, AFailedReadLeavesTheRecordAsItWas) {
  MakeVolume();
  RecordStore* store = OpenedStore();
  MessageRecord r;
  r.oid = 4242;
  StringCchCopyW(r.text, kTextChars, u"before");
  r.dbIndex = DB_SEND;
  EXPECT_FALSE(store->ReadRecordById(DB_RECV, &r));
  EXPECT_EQ(std::u16string(r.text), u"before");
  EXPECT_EQ(r.dbIndex, DB_SEND);
}

namespace {
std::vector<std::pair<UINT, CEOID>> g_seen;
RecordStore* g_store = nullptr;
LRESULT CALLBACK Frame(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DBNOTIFICATION) {
    auto* n = reinterpret_cast<CENOTIFICATION*>(lParam);
    g_seen.emplace_back(n->uType, n->oid);
    g_store->FreeNotification(n);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
}  // namespace

TEST_F(StoreTest, OnlyTheReceivedDatabaseNotifiesTheWindowAndTheRecordCanBeRead) {
  MakeVolume();
  platform::wm::BindUiThread();
  WNDCLASSW wc;
  std::memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = Frame;
  wc.lpszClassName = u"StoreTestFrame";
  RegisterClassW(&wc);
  HWND frame = CreateWindowExW(0, u"StoreTestFrame", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  RecordStore* store = NewStore();
  g_store = store;
  ASSERT_TRUE(store->OpenStore(frame));
  g_seen.clear();

  Put(u"\\SEND_MSG", Message{});
  CEOID received = Put(u"\\RECV_MSG", Message{});
  platform::wm::PumpUntilIdle();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0], std::make_pair(static_cast<UINT>(DB_CEOID_CREATED), received));
  MessageRecord r;
  r.oid = g_seen[0].second;
  EXPECT_TRUE(store->ReadRecordById(DB_RECV, &r));
  EXPECT_EQ(std::u16string(r.number), u"01012345678");
  DestroyWindow(frame);
}
