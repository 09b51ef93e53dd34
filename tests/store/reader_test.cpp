// Reading stored messages into records.
#include "platform/wm/loop.h"
#include "store_fixture.h"

using namespace storetest;

TEST_F(StoreTest, AReceivedMessageIsReadWithEveryField) {
  MakeVolume();
  CEOID oid = Put(kRecv, {.number = u" 010-1234-5678 ", .text = u"안녕하세요 반갑습니다", .kind = 1, .aux = 1});
  OpenedStore();
  MessageRecord r = ReadBack(DB_RECV, oid);
  EXPECT_EQ(std::tuple(std::u16string(r.number), std::u16string(r.text), std::u16string(r.timeText),
                       std::u16string(r.messageId)),
            std::tuple(u"01012345678", u"안녕하세요 반갑\n습니다", u"03/05 14:07", u"20240305140709000"));
  EXPECT_EQ(std::tuple(r.isRead, r.isMms, r.auxFlag, r.mmsFlag), std::tuple(0, 1, 1, 0));  // any nonzero kind is MMS
  EXPECT_NEAR(r.time, 45356.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0, 1e-9);
}

TEST_F(StoreTest, TheOriginalViewKeepsTheStoredTextAndOverlongFieldsAreCutToTheirBuffers) {
  MakeVolume();
  const std::u16string text = u"abcdefghijklmnopqrstuvwxyz\r\nline";
  CEOID kept = Put(kRecv, {.text = text});
  CEOID cut = Put(kRecv, {.number = std::u16string(40, u'1'), .text = std::u16string(400, u'x'),
                          .id = std::u16string(40, u'9')});
  OpenedStore()->SetTextMode(1);
  EXPECT_EQ(std::u16string(ReadBack(DB_RECV, kept).text), text);
  MessageRecord r = ReadBack(DB_RECV, cut);
  EXPECT_EQ(std::u16string(r.number).size(), 31u);
  EXPECT_EQ(std::u16string(r.messageId).size(), 31u);
  EXPECT_EQ(std::u16string(r.text).size(), 259u);
}

TEST_F(StoreTest, SentRecordsReadAsReadWithKindsTwoAndThreeAndTheAuxiliaryFlagInverted) {
  MakeVolume();
  CEOID smsOid = Put(kSend, {.id = u"2", .kind = 2, .aux = 1});
  CEOID mmsOid = Put(kSend, {.id = u"1", .kind = 3});
  OpenedStore();
  MessageRecord a = ReadBack(DB_SEND, smsOid), b = ReadBack(DB_SEND, mmsOid);
  EXPECT_EQ(std::tuple(a.isRead, a.isMms, a.dbIndex, a.auxFlag), std::tuple(1, 0, DB_SEND, 0));
  EXPECT_EQ(std::tuple(b.isMms, b.auxFlag), std::tuple(1, 1));
}

// A property the record lacks leaves its field initial; a record that is not there leaves the
// whole record as it was.
TEST_F(StoreTest, WhatTheStoreLacksLeavesTheRecordAsItWas) {
  MakeVolume();
  CEOID oid = Put(kRecv, Message{}, {PROP_MESSAGE_ID, PROP_READ});
  RecordStore* store = OpenedStore();
  MessageRecord r = ReadBack(DB_RECV, oid);
  EXPECT_EQ(std::u16string(r.number) + r.text + r.timeText, u"");
  EXPECT_EQ(std::tuple(r.isMms, r.time, std::u16string(r.messageId)), std::tuple(0, 0.0, u"20240305140709000"));
  r.oid = 4242;
  StringCchCopyW(r.text, kTextChars, u"before");
  r.dbIndex = DB_SEND;
  EXPECT_FALSE(store->ReadRecordById(DB_RECV, &r));
  EXPECT_EQ(std::tuple(std::u16string(r.text), r.dbIndex), std::tuple(u"before", DB_SEND));
}

namespace {
std::vector<std::pair<UINT, CEOID>> g_seen;
RecordStore* g_store = nullptr;
LRESULT CALLBACK Frame(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_DBNOTIFICATION) return DefWindowProcW(hwnd, msg, wParam, lParam);
  auto* n = reinterpret_cast<CENOTIFICATION*>(lParam);
  g_seen.emplace_back(n->uType, n->oid);
  g_store->FreeNotification(n);
  return 0;
}
}  // namespace

TEST_F(StoreTest, OnlyTheReceivedDatabaseNotifiesTheWindowAndTheRecordCanBeRead) {
  MakeVolume();
  platform::wm::BindUiThread();
  WNDCLASSW wc{};
  wc.lpfnWndProc = Frame;
  wc.lpszClassName = u"StoreTestFrame";
  RegisterClassW(&wc);
  HWND frame = CreateWindowExW(0, u"StoreTestFrame", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  g_store = NewStore();
  ASSERT_TRUE(g_store->OpenStore(frame));
  g_seen.clear();
  Put(kSend, Message{});
  CEOID received = Put(kRecv, Message{});
  platform::wm::PumpUntilIdle();
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0], std::make_pair(static_cast<UINT>(DB_CEOID_CREATED), received));
  EXPECT_EQ(std::u16string(ReadBack(DB_RECV, g_seen[0].second).number), u"01012345678");
  DestroyWindow(frame);
}
