// Reading stored messages into records.
#include "platform/wm/loop.h"
#include "store_fixture.h"

using namespace storetest;

// Each row: a message as the phone stored it and the record read from it. Numbers are trimmed of
// spaces and dashes, text is wrapped unless the original view is on, overlong fields are cut to
// their buffers, a sent record reads as read with its auxiliary flag inverted, any nonzero kind is
// MMS but 2, and a property the record lacks leaves its field initial. A record that is not there
// leaves the whole record as it was.
TEST_F(StoreTest, StoredMessagesReadIntoRecords) {
  MakeVolume();
  using Fields = std::tuple<std::u16string, std::u16string, std::u16string, std::u16string, int, int, int, int, int>;
  const std::u16string lines = u"abcdefghijklmnopqrstuvwxyz\r\nline", time = u"03/05 14:07";
  const std::u16string number = u"01012345678", id = u"20240305140709000";
  const double at = 45356.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0;
  const struct {
    const char16_t* db;
    Message stored;
    std::vector<CEPROPID> only;
    bool original;
    Fields read;  // number, text, time, identifier, read, MMS, auxiliary, MMS flag, database
  } cases[] = {
      {kRecv, {.number = u" 010-1234-5678 ", .text = u"안녕하세요 반갑습니다", .kind = 1, .aux = 1}, {}, false,
       {number, u"안녕하세요 반갑\n습니다", time, id, 0, 1, 1, 0, DB_RECV}},
      {kRecv, {.text = lines}, {}, true, {number, lines, time, id, 0, 0, 0, 0, DB_RECV}},
      {kRecv, {.number = std::u16string(40, u'1'), .text = std::u16string(400, u'x'), .id = std::u16string(40, u'9')},
       {}, true,
       {std::u16string(31, u'1'), std::u16string(259, u'x'), time, std::u16string(31, u'9'), 0, 0, 0, 0, DB_RECV}},
      {kSend, {.id = u"2", .kind = 2, .aux = 1}, {}, false, {number, u"hello", time, u"2", 1, 0, 0, 0, DB_SEND}},
      {kSend, {.id = u"1", .kind = 3}, {}, false, {number, u"hello", time, u"1", 1, 1, 1, 0, DB_SEND}},
      {kRecv, {}, {PROP_MESSAGE_ID, PROP_READ}, false, {u"", u"", u"", id, 0, 0, 0, 0, DB_RECV}},
  };
  std::vector<CEOID> oids;
  for (const auto& c : cases) oids.push_back(Put(c.db, c.stored, c.only));
  RecordStore* store = OpenedStore();
  for (size_t i = 0; i < oids.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& c = cases[i];
    store->SetTextMode(c.original ? 1 : 0);
    MessageRecord r = ReadBack(c.db == kRecv ? DB_RECV : DB_SEND, oids[i]);
    EXPECT_EQ(Fields(r.number, r.text, r.timeText, r.messageId, r.isRead, r.isMms, r.auxFlag, r.mmsFlag, r.dbIndex),
              c.read);
    EXPECT_NEAR(r.time, c.only.empty() ? at : 0.0, 1e-9);
  }
  MessageRecord r;
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
