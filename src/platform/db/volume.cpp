// Volume files: opening, the schema, the change log and the table of mounted volumes.
#include "platform/db/volume.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/db/db.h"

namespace platform::db {
namespace {

constexpr const char* kFormat = "parlo-cedb-1";

constexpr const char* kSchema = R"(
PRAGMA journal_mode=WAL;
BEGIN;
CREATE TABLE volume(key TEXT PRIMARY KEY, value);
CREATE TABLE objects(oid INTEGER PRIMARY KEY AUTOINCREMENT, db INTEGER NOT NULL);
CREATE INDEX objects_by_db ON objects(db);
CREATE TABLE databases(oid INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE COLLATE NOCASE,
                       type INTEGER NOT NULL, sorts BLOB, modified INTEGER NOT NULL DEFAULT 0);
CREATE TABLE props(oid INTEGER NOT NULL, propid INTEGER NOT NULL, seq INTEGER NOT NULL, value,
                   PRIMARY KEY(oid, propid)) WITHOUT ROWID;
CREATE TABLE changes(seq INTEGER PRIMARY KEY AUTOINCREMENT, db INTEGER NOT NULL,
                     oid INTEGER NOT NULL, type INTEGER NOT NULL);
INSERT INTO volume VALUES('format', 'parlo-cedb-1');
INSERT INTO volume VALUES('lcid', 0);
COMMIT;
)";

struct Slot {
  std::unique_ptr<Volume> volume;
  DWORD generation = 0;
};
std::vector<Slot>& Slots() {
  static std::vector<Slot> slots;
  return slots;
}
constexpr DWORD kGuidMark = 0x43454442;  // "CEDB"

void EndReadRunsBeforeFork();

// getpid() is a system call; every Ce* call asks, so it is kept and renewed in a forked child.
// A fork never inherits a held snapshot: SQLite's per-process lock records would come along
// into the child and make its own connection wait on locks nobody there holds.
long CurrentPid() {
  static long pid = [] {
    pthread_atfork(EndReadRunsBeforeFork, nullptr, [] { pid = static_cast<long>(getpid()); });
    return static_cast<long>(getpid());
  }();
  return pid;
}

void EndReadRunsBeforeFork() {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  EndReadRuns();
}

}  // namespace

DWORD ErrorFromSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_INTERNAL_DB_CORRUPTION;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
      return ERROR_ACCESS_DENIED;  // what the system says of a read-only volume
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_DISK_FULL;
  }
}

DWORD Volume::Failure() const {
  int rc = sqlite3_extended_errcode(sql_);
  // A failed COMMIT is followed by a ROLLBACK that succeeds: its failure is the one to report.
  return ErrorFromSqlite(rc != SQLITE_OK ? rc : lastExecFailure_);
}

std::recursive_mutex& RoomLock() {
  static std::recursive_mutex lock;
  return lock;
}

Volume::~Volume() {
  EndReadRun();
  for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
  if (sql_) sqlite3_close_v2(sql_);
}

std::unique_ptr<Volume> Volume::Open(const std::string& hostPath, bool create, DWORD* error) {
  std::error_code ec;
  bool exists = std::filesystem::exists(hostPath, ec);
  if (!exists && !create) {
    *error = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  if (!exists) std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path(), ec);

  std::unique_ptr<Volume> v(new Volume());
  v->path_ = hostPath;
  v->pid = CurrentPid();
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (exists ? 0 : SQLITE_OPEN_CREATE);
  if (sqlite3_open_v2(hostPath.c_str(), &v->sql_, flags, nullptr) != SQLITE_OK) {
    *error = exists ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
    return nullptr;
  }
  sqlite3_busy_timeout(v->sql_, kBusyTimeoutMs);
  sqlite3_extended_result_codes(v->sql_, 1);

  // The schema is one transaction: a process killed while making the volume leaves a file
  // without tables, which holds nothing of anyone's and is made again.
  bool unmade = !exists || (create && v->HoldsNoTables());
  if (unmade) {
    if (!v->Exec(kSchema)) {
      *error = ERROR_DISK_FULL;
      v.reset();
      if (!exists) std::filesystem::remove(hostPath, ec);
      return nullptr;
    }
  } else {
    // Only read here: a file that is not one of our volumes must stay exactly as it was.
    Statement s = v->Prepare("SELECT value FROM volume WHERE key='format'");
    int rc = s ? s.Step() : sqlite3_extended_errcode(v->sql_);
    bool ok = rc == SQLITE_ROW &&
              std::string(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)) ?: "") == kFormat;
    if (!ok) {
      // A volume damaged inside is told apart from a file that never was one.
      *error = (rc & 0xFF) == SQLITE_CORRUPT ? ERROR_INTERNAL_DB_CORRUPTION : ERROR_BADDB;
      return nullptr;
    }
  }
  v->Exec("PRAGMA synchronous=NORMAL");
  // Reading a database in sort order visits its pages out of file order; a store of 20,000
  // messages is about 6 MiB, so the default 2 MiB cache would read most pages again each walk.
  v->Exec("PRAGMA cache_size=-8192");
  if (sqlite3_file_control(v->sql_, "main", SQLITE_FCNTL_FILE_POINTER, &v->file_) != SQLITE_OK) v->file_ = nullptr;
  {
    Statement s = v->Prepare("SELECT value FROM volume WHERE key='lcid'");
    if (s && s.Step() == SQLITE_ROW) v->lcid = static_cast<DWORD>(s.Int(0));
  }
  return v;
}

bool Volume::HoldsNoTables() {
  sqlite3_stmt* stmt = nullptr;
  bool none = sqlite3_prepare_v2(sql_, "SELECT count(*) FROM sqlite_master", -1, &stmt, nullptr) == SQLITE_OK &&
              sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_int64(stmt, 0) == 0;
  sqlite3_finalize(stmt);
  return none;
}

Statement Volume::Prepare(const char* sql) {
  if (!writing_ && active_ == 0) RenewReadRunIfStale();
  auto it = statements_.find(sql);
  if (it != statements_.end()) return Statement(it->second, &active_);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(sql_, sql, -1, &stmt, nullptr) != SQLITE_OK) return Statement(nullptr, &active_);
  statements_.emplace(sql, stmt);
  return Statement(stmt, &active_);
}

bool Volume::Exec(const char* sql) {
  int rc = sqlite3_exec(sql_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) lastExecFailure_ = sqlite3_extended_errcode(sql_);
  return rc == SQLITE_OK;
}

uint64_t Volume::ChangeStamp() {
  // The run first: a stamp kept from a run that someone's commit has overtaken is stale.
  if (!writing_ && active_ == 0) RenewReadRunIfStale();
  if (!inRun_ || !stampKnown_) {
    Statement s = Prepare("PRAGMA data_version");
    runStamp_ = (s && s.Step() == SQLITE_ROW) ? static_cast<uint64_t>(s.Int(0)) : 0;
    // Within a run the value cannot move, so it is asked once per run.
    stampKnown_ = inRun_;
  }
  return (runStamp_ << 32) ^ localChanges_;
}

bool Volume::ReadWalIndexHeader(unsigned char out[96]) {
  // The first 96 bytes of the WAL index are two copies of its header; every commit and every
  // restart of the log rewrites them. Region 0 is mapped by SQLite itself once the volume is read.
  if (!file_ || !file_->pMethods || file_->pMethods->iVersion < 2 || !file_->pMethods->xShmMap) return false;
  volatile void* region = nullptr;
  if (file_->pMethods->xShmMap(file_, 0, 32768, 0, &region) != SQLITE_OK || !region) return false;
  std::atomic_thread_fence(std::memory_order_acquire);
  std::memcpy(out, const_cast<const void*>(region), 96);
  return true;
}

void Volume::RenewReadRunIfStale() {
  unsigned char header[96];
  if (!ReadWalIndexHeader(header)) {
    EndReadRun();  // no WAL index to watch: every statement takes its own snapshot
    return;
  }
  // A header caught half-written has copies that differ; that counts as a change.
  bool steady = std::memcmp(header, header + 48, 48) == 0;
  if (inRun_ && steady && std::memcmp(header, runHeader_, 96) == 0) return;
  EndReadRun();
  // The header is read before the snapshot is taken, so the snapshot is never older than it.
  if (!steady || !Exec("BEGIN")) return;
  std::memcpy(runHeader_, header, 96);
  inRun_ = true;
}

void Volume::EndReadRun() {
  if (!inRun_) return;
  inRun_ = false;
  stampKnown_ = false;
  if (!sqlite3_get_autocommit(sql_)) Exec("COMMIT");
}

void Volume::BeginWrite() {
  EndReadRun();
  writing_ = true;
}

bool Volume::BeginSessionTransaction() {
  if (inSessionTransaction_) return false;
  BeginWrite();
  if (!Exec("BEGIN IMMEDIATE")) {
    writing_ = false;
    return false;
  }
  inSessionTransaction_ = true;
  return true;
}

bool Volume::EndSessionTransaction(bool commit) {
  if (!inSessionTransaction_) return false;
  bool ok = commit && Exec("COMMIT");
  if (!ok) Exec("ROLLBACK");
  inSessionTransaction_ = false;
  writing_ = false;
  // Orders built inside the transaction saw its changes; committed or not, they are rebuilt.
  NoteLocalChange();
  return ok || !commit;
}

bool Volume::LogChange(CEOID db, CEOID oid, UINT type) {
  Statement add = Prepare("INSERT INTO changes(db, oid, type) VALUES(?, ?, ?)");
  if (!add) return false;
  add.Bind(1, db);
  add.Bind(2, oid);
  add.Bind(3, type);
  if (add.Step() != SQLITE_DONE) return false;
  int64_t seq = sqlite3_last_insert_rowid(sql_);
  if (seq % 64 == 0) {  // trimming now and then keeps the cost off every write
    Statement trim = Prepare("DELETE FROM changes WHERE seq <= ?");
    if (!trim) return false;
    trim.Bind(1, seq - kChangeLogLimit);
    if (trim.Step() != SQLITE_DONE) return false;
  }
  return true;
}

int64_t Volume::LastChangeSeq() {
  Statement s = Prepare("SELECT COALESCE(MAX(seq), 0) FROM changes");
  return (s && s.Step() == SQLITE_ROW) ? s.Int(0) : 0;
}

Volume* FindVolume(const CEGUID* guid) {
  if (!guid || guid->Data4 != kGuidMark || guid->Data1 == 0) return nullptr;
  auto& slots = Slots();
  if (guid->Data1 > slots.size()) return nullptr;
  Slot& slot = slots[guid->Data1 - 1];
  if (!slot.volume || slot.generation != guid->Data2 || slot.volume->pid != CurrentPid())
    return nullptr;
  return slot.volume.get();
}

Volume* FindVolumeByPath(const std::string& hostPath) {
  for (auto& slot : Slots())
    if (slot.volume && slot.volume->path() == hostPath) {
      if (slot.volume->pid != CurrentPid()) {
        // Inherited across fork: the parent's connection must not be used or closed here.
        (void)slot.volume.release();
        continue;
      }
      return slot.volume.get();
    }
  return nullptr;
}

Volume* AddVolume(std::unique_ptr<Volume> v) {
  auto& slots = Slots();
  size_t i = 0;
  while (i < slots.size() && slots[i].volume) ++i;
  if (i == slots.size()) slots.push_back({});
  Slot& slot = slots[i];
  slot.generation = slot.generation + 1;
  slot.volume = std::move(v);
  slot.volume->guid = CEGUID{static_cast<DWORD>(i + 1), slot.generation, static_cast<DWORD>(slot.volume->pid), kGuidMark};
  return slot.volume.get();
}

bool RemoveVolume(const CEGUID* guid) {
  Volume* v = FindVolume(guid);
  if (!v) return false;
  Slots()[guid->Data1 - 1].volume.reset();
  return true;
}

void EndReadRuns() {
  for (auto& slot : Slots())
    if (slot.volume && slot.volume->pid == CurrentPid()) slot.volume->EndReadRun();
}

void RemoveAllVolumes() {
  for (auto& slot : Slots()) {
    if (slot.volume && slot.volume->pid != CurrentPid()) (void)slot.volume.release();
    slot.volume.reset();
  }
}

}  // namespace platform::db
