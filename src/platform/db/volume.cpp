// Volume files: opening, the schema, the change log and the table of mounted volumes.
#include "platform/db/volume.h"

#include <unistd.h>

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

}  // namespace

std::recursive_mutex& RoomLock() {
  static std::recursive_mutex lock;
  return lock;
}

Volume::~Volume() {
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
  v->pid = static_cast<long>(getpid());
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (exists ? 0 : SQLITE_OPEN_CREATE);
  if (sqlite3_open_v2(hostPath.c_str(), &v->sql_, flags, nullptr) != SQLITE_OK) {
    *error = exists ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
    return nullptr;
  }
  sqlite3_busy_timeout(v->sql_, kBusyTimeoutMs);
  sqlite3_extended_result_codes(v->sql_, 1);

  if (!exists) {
    if (!v->Exec(kSchema)) {
      *error = ERROR_DISK_FULL;
      v.reset();
      std::filesystem::remove(hostPath, ec);
      return nullptr;
    }
  } else {
    // Only read here: a file that is not one of our volumes must stay exactly as it was.
    Statement s = v->Prepare("SELECT value FROM volume WHERE key='format'");
    bool ok = s && s.Step() == SQLITE_ROW &&
              std::string(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)) ?: "") == kFormat;
    if (!ok) {
      *error = ERROR_BADDB;
      return nullptr;
    }
  }
  v->Exec("PRAGMA synchronous=NORMAL");
  {
    Statement s = v->Prepare("SELECT value FROM volume WHERE key='lcid'");
    if (s && s.Step() == SQLITE_ROW) v->lcid = static_cast<DWORD>(s.Int(0));
  }
  return v;
}

Statement Volume::Prepare(const char* sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return Statement(it->second);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(sql_, sql, -1, &stmt, nullptr) != SQLITE_OK) return Statement(nullptr);
  statements_.emplace(sql, stmt);
  return Statement(stmt);
}

bool Volume::Exec(const char* sql) { return sqlite3_exec(sql_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

uint64_t Volume::ChangeStamp() {
  Statement s = Prepare("PRAGMA data_version");
  uint64_t external = (s && s.Step() == SQLITE_ROW) ? static_cast<uint64_t>(s.Int(0)) : 0;
  return (external << 32) ^ localChanges_;
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
  if (!slot.volume || slot.generation != guid->Data2 || slot.volume->pid != static_cast<long>(getpid()))
    return nullptr;
  return slot.volume.get();
}

Volume* FindVolumeByPath(const std::string& hostPath) {
  for (auto& slot : Slots())
    if (slot.volume && slot.volume->path() == hostPath) {
      if (slot.volume->pid != static_cast<long>(getpid())) {
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

void RemoveAllVolumes() {
  for (auto& slot : Slots()) {
    if (slot.volume && slot.volume->pid != static_cast<long>(getpid())) (void)slot.volume.release();
    slot.volume.reset();
  }
}

}  // namespace platform::db
