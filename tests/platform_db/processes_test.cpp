// Other processes: their changes reach our windows and our reads at once, and a killed writer
// loses nothing committed (writers at once are the device tool's end-to-end tests).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

#include "db_fixture.h"
#include "platform/wm/loop.h"
#include "winuser.h"

using namespace dbtest;

namespace {

std::vector<std::pair<UINT, CEOID>>& Seen() {
  static std::vector<std::pair<UINT, CEOID>> seen;
  return seen;
}
CENOTIFYREQUEST* g_request = nullptr;
int g_freeFailures = 0;

LRESULT CALLBACK Receiver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_DBNOTIFICATION) return DefWindowProcW(hwnd, msg, wParam, lParam);
  auto* n = reinterpret_cast<CENOTIFICATION*>(lParam);
  Seen().emplace_back(n->uType, n->oid);
  if (!CeFreeNotification(g_request, n)) ++g_freeFailures;
  return 0;
}

HANDLE OpenInChild() {
  CEGUID g{};
  if (!CeMountDBVolEx(&g, kVolumePath, nullptr, OPEN_EXISTING)) return INVALID_HANDLE_VALUE;
  CEOID oid = 0;
  return CeOpenDatabaseInSession(nullptr, &g, &oid, u"\\RECV_MSG", nullptr, CEDB_AUTOINCREMENT, nullptr);
}

// Another process, forked at once (so never out of a snapshot this one holds later), that when
// told adds a record `id` through its own connection and deletes `old`.
class OtherProcess {
 public:
  OtherProcess(const char16_t* id, CEOID old) {
    if (pipe(go_) != 0 || pipe(done_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      char c = 0;
      HANDLE h = read(go_[0], &c, 1) == 1 ? OpenInChild() : INVALID_HANDLE_VALUE;
      CEPROPVAL v = Text(kId, id);
      CEOID created = h == INVALID_HANDLE_VALUE ? 0 : CeWriteRecordProps(h, 0, 1, &v);
      _exit(created && CeDeleteRecord(h, old) && write(done_[1], &created, sizeof created) == sizeof created ? 0 : 1);
    }
    close(go_[0]);
    close(done_[1]);  // a child that dies ends the read below
  }
  // Tells it to go and waits for it to end; the new record's oid, or 0 when anything failed.
  CEOID Go() {
    char c = 1;
    CEOID created = 0;
    if (write(go_[1], &c, 1) != 1 || read(done_[0], &created, sizeof created) != sizeof created) created = 0;
    int status = 0;
    waitpid(pid_, &status, 0);
    close(go_[1]);
    close(done_[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? created : 0;
  }

 private:
  int go_[2] = {-1, -1}, done_[2] = {-1, -1};
  pid_t pid_ = -1;
};

}  // namespace

class DbProcessTest : public DbTest {
 protected:
  int CountRecords(HANDLE db) {
    CEDBASEINFOEX info{};
    info.wVersion = 2;
    return CeGetDBInformationByHandle(db, &info) ? static_cast<int>(info.dwNumRecords) : -1;
  }
};

TEST_F(DbProcessTest, RecordsCreatedAndDeletedByAnotherProcessReachTheWindowAfterAnIdlePoll) {
  platform::wm::BindUiThread();
  WNDCLASSW wc{};
  wc.lpfnWndProc = Receiver;
  wc.lpszClassName = u"DbNotifyReceiver";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"DbNotifyReceiver", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);

  CENOTIFYREQUEST request{};
  request.dwSize = 20;
  request.hwnd = hwnd;
  request.dwFlags = CEDB_EXNOTIFICATION;
  g_request = &request;
  HANDLE db = Open(u"\\RECV_MSG", &request);
  ASSERT_NE(db, INVALID_HANDLE_VALUE);
  CEOID old = Add(db, u"1");
  platform::wm::PumpUntilIdle();
  Seen().clear();

  CEOID created = OtherProcess(u"2", old).Go();
  ASSERT_NE(created, 0u);

  platform::wm::PumpUntilIdle();
  ASSERT_EQ(Seen().size(), 2u);
  EXPECT_EQ(Seen()[0], std::make_pair(static_cast<UINT>(DB_CEOID_CREATED), created));
  EXPECT_EQ(Seen()[1], std::make_pair(static_cast<UINT>(DB_CEOID_RECORD_DELETED), old));
  EXPECT_EQ(g_freeFailures, 0);

  // Nothing new: a further poll posts nothing.
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(Seen().size(), 2u);
  DestroyWindow(hwnd);
  // A notification is freed once, by its receiver; a stray one is refused.
  CENOTIFICATION stray{};
  stray.dwSize = sizeof(stray);
  EXPECT_FALSE(CeFreeNotification(&request, &stray));
  EXPECT_FALSE(CeFreeNotification(&request, nullptr));
}

TEST_F(DbProcessTest, AWriterKilledMidWayLeavesEveryCommittedRecordReadable) {
  int pipefd[2];
  ASSERT_EQ(pipe(pipefd), 0);
  pid_t pid = fork();
  if (pid == 0) {
    HANDLE h = OpenInChild();
    std::u16string big(4000, u'메');
    for (int i = 0;; ++i) {
      std::u16string id = u"id" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
      CEPROPVAL v[2] = {Text(kId, id.c_str()), Text(kNumber, big.c_str())};
      if (!CeWriteRecordProps(h, 0, 2, v)) _exit(1);
      if (i == 19) {
        char c = 1;
        if (write(pipefd[1], &c, 1) != 1) _exit(1);
      }
    }
  }
  char c = 0;
  ASSERT_EQ(read(pipefd[0], &c, 1), 1);
  kill(pid, SIGKILL);  // while it keeps writing
  waitpid(pid, nullptr, 0);
  close(pipefd[0]);
  close(pipefd[1]);

  platform::db::UnmountAll();
  ASSERT_TRUE(CeMountDBVolEx(&guid_, kVolumePath, nullptr, OPEN_EXISTING));
  HANDLE db = Open();
  int count = CountRecords(db);
  EXPECT_GE(count, 20);
  ASSERT_NE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
  int complete = 0;
  for (Read r = ReadCurrent(db); r.oid; r = ReadCurrent(db))
    if (r.values.size() == 2 && r.texts[1].size() == 4000) ++complete;
  EXPECT_EQ(complete, count);
}

// Reads in a row share one snapshot; a commit elsewhere must still show on the very next call,
// with no idle poll in between.
TEST_F(DbProcessTest, ReadsInARowSeeAnotherProcesssCommitAtOnce) {
  HANDLE db = Open();
  CEOID first = Add(db, u"1");
  Add(db, u"2");
  OtherProcess other(u"9", first);  // before the reads below
  EXPECT_EQ(CountRecords(db), 2);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 1, 0, nullptr), first);
  ASSERT_EQ(ReadCurrent(db).oid, first);

  CEOID created = other.Go();
  ASSERT_NE(created, 0u);

  // A seek by position first: the order it uses must be rebuilt for the other process's change.
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), created);
  EXPECT_EQ(CountRecords(db), 2);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, first, 0, nullptr), 0u);
  // And writing after the reads works: the snapshot gives way to the write.
  EXPECT_NE(Add(db, u"5"), 0u);
  EXPECT_EQ(CountRecords(db), 3);
}
