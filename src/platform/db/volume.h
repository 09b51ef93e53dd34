// A mounted database volume: one SQLite connection on the volume file, shared by every
// database handle of this process that names the volume.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "windbase.h"

namespace platform::db {

// A prepared statement, reset on release. While one is stepping, the volume keeps its read
// snapshot (a snapshot must not be renewed under a running statement).
class Statement {
 public:
  Statement(sqlite3_stmt* stmt, int* active) : stmt_(stmt), active_(active) {
    if (stmt_) ++*active_;
  }
  ~Statement() {
    if (stmt_) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
      --*active_;
    }
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  explicit operator bool() const { return stmt_ != nullptr; }
  sqlite3_stmt* get() const { return stmt_; }
  void Bind(int i, int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
  int Step() { return sqlite3_step(stmt_); }
  int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }

 private:
  sqlite3_stmt* stmt_;
  int* active_;
};

class Volume {
 public:
  ~Volume();

  // Opens the file at `hostPath`. `create` makes an empty volume when the file is missing, or
  // when it is a database without a single table (a making cut short); any other file that is
  // not a volume is refused and never written.
  static std::unique_ptr<Volume> Open(const std::string& hostPath, bool create, DWORD* error);

  // Statements outside a write run in the volume's current read snapshot (the read run below).
  Statement Prepare(const char* sql);
  bool Exec(const char* sql);

  // Changes committed by other connections (PRAGMA data_version) plus this connection's own.
  uint64_t ChangeStamp();
  void NoteLocalChange() { ++localChanges_; }

  // Reads share one SQLite read transaction (a "read run") instead of taking and dropping the
  // file locks for every statement, which cost more than the reads themselves. The run is
  // renewed whenever the WAL index shows a commit by anyone, so no call reads stale data; it
  // ends before every write and at every idle poll, so it never pins the WAL for long.
  void EndReadRun();
  void BeginWrite();
  void EndWrite() { writing_ = inSessionTransaction_; }

  // A session's transaction (CeBeginTransaction): the volume's write lock is taken at its
  // start, so whatever the session reads stays true until it commits. One connection per
  // volume serves the whole process, so one such transaction at a time.
  bool BeginSessionTransaction();
  bool EndSessionTransaction(bool commit);
  bool InSessionTransaction() const { return inSessionTransaction_; }

  // Appends one entry to the change log, keeping the log bounded.
  bool LogChange(CEOID db, CEOID oid, UINT type);
  int64_t LastChangeSeq();

  // The system's code for the connection's last failure: a damaged file, a read-only one, a
  // full disk. A failure that was not SQLite's (an identifier out of range) counts as disk full.
  DWORD Failure() const;

  const std::string& path() const { return path_; }
  sqlite3* sql() const { return sql_; }

  CEGUID guid{};
  int mounts = 0;
  DWORD lcid = 0;
  long pid = 0;  // volumes are per process: a forked child opens its own connection

 private:
  Volume() = default;
  bool HoldsNoTables();
  void RenewReadRunIfStale();
  bool ReadWalIndexHeader(unsigned char out[96]);

  sqlite3* sql_ = nullptr;
  sqlite3_file* file_ = nullptr;  // the main database file, for the WAL index
  bool inRun_ = false;
  bool writing_ = false;
  bool inSessionTransaction_ = false;
  int lastExecFailure_ = SQLITE_OK;
  int active_ = 0;  // statements in use
  unsigned char runHeader_[96] = {};  // the WAL index header when the run began
  bool stampKnown_ = false;
  uint64_t runStamp_ = 0;
  std::string path_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
  uint64_t localChanges_ = 0;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back unless committed: every write is one transaction.
// Inside a session's transaction it is a savepoint, so a failed call still leaves nothing behind.
class Transaction {
 public:
  explicit Transaction(Volume& v) : v_(v), nested_(v.InSessionTransaction()) {
    v_.BeginWrite();
    ok_ = v_.Exec(nested_ ? "SAVEPOINT ce_call" : "BEGIN IMMEDIATE");
  }
  ~Transaction() {
    if (ok_ && !done_) Undo();
    v_.EndWrite();
  }
  bool ok() const { return ok_; }
  bool Commit() {
    done_ = true;
    if (!ok_) return false;
    if (v_.Exec(nested_ ? "RELEASE ce_call" : "COMMIT")) return true;
    Undo();
    return false;
  }

 private:
  void Undo() {
    if (nested_) {
      v_.Exec("ROLLBACK TO ce_call");
      v_.Exec("RELEASE ce_call");
    } else {
      v_.Exec("ROLLBACK");
    }
  }

  Volume& v_;
  bool nested_;
  bool ok_ = false;
  bool done_ = false;
};

// ERROR_INTERNAL_DB_CORRUPTION: the database is corrupted (the system's database error code).
DWORD ErrorFromSqlite(int rc);

// Mounted volumes of this process, addressed by CEGUID.
Volume* FindVolume(const CEGUID* guid);
Volume* FindVolumeByPath(const std::string& hostPath);
Volume* AddVolume(std::unique_ptr<Volume> v);
bool RemoveVolume(const CEGUID* guid);
// Ends every volume's read run (the idle poller calls this).
void EndReadRuns();
void RemoveAllVolumes();

// Every Ce* call runs under this lock; the room's state is shared with the idle poller.
std::recursive_mutex& RoomLock();

// Entries kept in the change log; older ones are dropped (a window that polls less often than
// this many changes misses the oldest).
constexpr int64_t kChangeLogLimit = 1000;
constexpr int kBusyTimeoutMs = 5000;

}  // namespace platform::db
