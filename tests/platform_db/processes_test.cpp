// Other processes: their changes reach our windows, a killed writer loses nothing committed,
// and two writers at once both succeed.
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
  if (msg == WM_DBNOTIFICATION) {
    auto* n = reinterpret_cast<CENOTIFICATION*>(lParam);
    Seen().emplace_back(n->uType, n->oid);
    if (!CeFreeNotification(g_request, n)) ++g_freeFailures;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Runs `body` in a child process that has its own connection to the volume; returns its exit code.
template <typename F>
int InChild(F body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

class DbProcessTest : public DbTest {
 protected:
  HANDLE OpenInChild() {
    CEGUID g{};
    if (!CeMountDBVolEx(&g, kVolumePath, nullptr, OPEN_EXISTING)) return INVALID_HANDLE_VALUE;
    CEOID oid = 0;
    return CeOpenDatabaseInSession(nullptr, &g, &oid, u"\\RECV_MSG", nullptr, CEDB_AUTOINCREMENT, nullptr);
  }
  int CountRecords(HANDLE db) {
    CEDBASEINFOEX info;
    std::memset(&info, 0, sizeof(info));
    info.wVersion = 2;
    return CeGetDBInformationByHandle(db, &info) ? static_cast<int>(info.dwNumRecords) : -1;
  }
};

TEST_F(DbProcessTest, RecordsCreatedAndDeletedByAnotherProcessReachTheWindowAfterAnIdlePoll) {
  platform::wm::BindUiThread();
  WNDCLASSW wc;
  std::memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = Receiver;
  wc.lpszClassName = u"DbNotifyReceiver";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"DbNotifyReceiver", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);

  CENOTIFYREQUEST request;
  std::memset(&request, 0, sizeof(request));
  request.dwSize = 20;
  request.hwnd = hwnd;
  request.dwFlags = CEDB_EXNOTIFICATION;
  g_request = &request;
  HANDLE db = Open(u"\\RECV_MSG", &request);
  ASSERT_NE(db, INVALID_HANDLE_VALUE);
  CEOID old = Add(db, u"1");
  platform::wm::PumpUntilIdle();
  Seen().clear();

  int pipefd[2];
  ASSERT_EQ(pipe(pipefd), 0);
  int rc = InChild([&] {
    HANDLE h = OpenInChild();
    CEOID created = h == INVALID_HANDLE_VALUE ? 0 : Add(h, u"2");
    if (!created || !CeDeleteRecord(h, old)) return 1;
    return write(pipefd[1], &created, sizeof(created)) == sizeof(created) ? 0 : 1;
  });
  ASSERT_EQ(rc, 0);
  CEOID created = 0;
  ASSERT_EQ(read(pipefd[0], &created, sizeof(created)), static_cast<ssize_t>(sizeof(created)));
  close(pipefd[0]);
  close(pipefd[1]);

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

TEST_F(DbProcessTest, TwoProcessesWritingAtOnceBothSucceed) {
  auto writer = [this] {
    HANDLE h = OpenInChild();
    for (int i = 0; i < 150; ++i)
      if (!Add(h, u"x")) return 1;
    return 0;
  };
  pid_t a = fork();
  if (a == 0) _exit(writer());
  pid_t b = fork();
  if (b == 0) _exit(writer());
  int sa = 0, sb = 0;
  waitpid(a, &sa, 0);
  waitpid(b, &sb, 0);
  EXPECT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
  EXPECT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);
  EXPECT_EQ(CountRecords(Open()), 300);
}

// Reads in a row share one snapshot; a commit elsewhere must still show on the very next call,
// with no idle poll in between.
TEST_F(DbProcessTest, ReadsInARowSeeAnotherProcesssCommitAtOnce) {
  HANDLE db = Open();
  CEOID first = Add(db, u"1");
  Add(db, u"2");
  int go[2], done[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(done), 0);
  pid_t pid = fork();  // before the reads below, so the child is not forked out of a held snapshot
  if (pid == 0) {
    char c = 0;
    if (read(go[0], &c, 1) != 1) _exit(1);
    HANDLE h = OpenInChild();
    CEOID created = h == INVALID_HANDLE_VALUE ? 0 : Add(h, u"9");
    if (!created || !CeDeleteRecord(h, first)) _exit(1);
    _exit(write(done[1], &created, sizeof(created)) == sizeof(created) ? 0 : 1);
  }
  EXPECT_EQ(CountRecords(db), 2);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 1, 0, nullptr), first);
  ASSERT_EQ(ReadCurrent(db).oid, first);

  char c = 1;
  ASSERT_EQ(write(go[1], &c, 1), 1);
  CEOID created = 0;
  ASSERT_EQ(read(done[0], &created, sizeof(created)), static_cast<ssize_t>(sizeof(created)));
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (int fd : {go[0], go[1], done[0], done[1]}) close(fd);

  // A seek by position first: the order it uses must be rebuilt for the other process's change.
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), created);
  EXPECT_EQ(CountRecords(db), 2);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, first, 0, nullptr), 0u);
  // And writing after the reads works: the snapshot gives way to the write.
  EXPECT_NE(Add(db, u"5"), 0u);
  EXPECT_EQ(CountRecords(db), 3);
}
