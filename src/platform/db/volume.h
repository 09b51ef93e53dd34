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

// A prepared statement reset on release, so cached statements never hold read locks.
class Statement {
 public:
  Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~Statement() {
    if (stmt_) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
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
};

class Volume {
 public:
  ~Volume();

  // Opens the file at `hostPath`. `create` makes an empty volume when the file is missing;
  // an existing file that is not a volume is refused and never written.
  static std::unique_ptr<Volume> Open(const std::string& hostPath, bool create, DWORD* error);

  Statement Prepare(const char* sql);
  bool Exec(const char* sql);

  // Changes committed by other connections (PRAGMA data_version) plus this connection's own.
  uint64_t ChangeStamp();
  void NoteLocalChange() { ++localChanges_; }

  // Appends one entry to the change log, keeping the log bounded.
  bool LogChange(CEOID db, CEOID oid, UINT type);
  int64_t LastChangeSeq();

  const std::string& path() const { return path_; }
  sqlite3* sql() const { return sql_; }

  CEGUID guid{};
  int mounts = 0;
  DWORD lcid = 0;
  long pid = 0;  // volumes are per process: a forked child opens its own connection

 private:
  Volume() = default;
  sqlite3* sql_ = nullptr;
  std::string path_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
  uint64_t localChanges_ = 0;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back unless committed: every write is one transaction.
class Transaction {
 public:
  explicit Transaction(Volume& v) : v_(v) { ok_ = v_.Exec("BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (ok_ && !done_) v_.Exec("ROLLBACK");
  }
  bool ok() const { return ok_; }
  bool Commit() {
    done_ = true;
    if (!ok_) return false;
    if (v_.Exec("COMMIT")) return true;
    v_.Exec("ROLLBACK");
    return false;
  }

 private:
  Volume& v_;
  bool ok_ = false;
  bool done_ = false;
};

// Mounted volumes of this process, addressed by CEGUID.
Volume* FindVolume(const CEGUID* guid);
Volume* FindVolumeByPath(const std::string& hostPath);
Volume* AddVolume(std::unique_ptr<Volume> v);
bool RemoveVolume(const CEGUID* guid);
void RemoveAllVolumes();

// Every Ce* call runs under this lock; the room's state is shared with the idle poller.
std::recursive_mutex& RoomLock();

// Entries kept in the change log; older ones are dropped (a window that polls less often than
// this many changes misses the oldest).
constexpr int64_t kChangeLogLimit = 1000;
constexpr int kBusyTimeoutMs = 5000;

}  // namespace platform::db
