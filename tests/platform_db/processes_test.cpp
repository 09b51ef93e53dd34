// Another process's commit reaches our reads at once (its changes reaching our windows, writers
// at once and writers killed midway are the end-to-end tests').
#include <sys/wait.h>
#include <unistd.h>

#include "db_fixture.h"

using namespace dbtest;

namespace {

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

// Reads in a row share one snapshot; a commit elsewhere must still show on the very next call,
// with no idle poll in between.
TEST_F(DbTest, ReadsInARowSeeAnotherProcesssCommitAtOnce) {
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
