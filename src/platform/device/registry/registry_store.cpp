#include "platform/device/registry/registry_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "winreg.h"

namespace platform::device::registry {
namespace {

constexpr int kBusyTimeoutMs = 5000;

std::mutex g_mutex;
sqlite3* g_db = nullptr;
std::filesystem::path g_openPath;
std::atomic<uint64_t> g_localWrites{0};

char16_t FoldChar(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1 capitals
  return c;
}

LONG StatusFromSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
      return ERROR_SUCCESS;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_SCHEMA:
    case SQLITE_FORMAT:
      return ERROR_BADDB;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_CANTOPEN:
      return ERROR_PATH_NOT_FOUND;
    default:
      return ERROR_ACCESS_DENIED;  // busy past the timeout, read-only file, I/O errors
  }
}

// A file that exists, is not empty and does not start with SQLite's header is someone else's:
// never let SQLite touch it.
bool LooksLikeSomethingElse(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return false;
  if (!std::filesystem::is_regular_file(path, ec)) return true;
  if (std::filesystem::file_size(path, ec) == 0) return false;
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  return in.gcount() != 16 || std::memcmp(header, "SQLite format 3", 16) != 0;
}

int Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

const char* kSchema =
    "CREATE TABLE IF NOT EXISTS reg_keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT, root INTEGER NOT NULL, fold TEXT NOT NULL,"
    "  path TEXT NOT NULL, UNIQUE(root, fold));"
    "CREATE TABLE IF NOT EXISTS reg_values("
    "  key_id INTEGER NOT NULL, fold TEXT NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL,"
    "  data BLOB NOT NULL, serial INTEGER NOT NULL, PRIMARY KEY(key_id, fold));"
    "CREATE TABLE IF NOT EXISTS reg_meta(name TEXT PRIMARY KEY, value INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS shell_notifications("
    "  seq INTEGER PRIMARY KEY AUTOINCREMENT, clsid TEXT NOT NULL, id INTEGER NOT NULL,"
    "  priority INTEGER NOT NULL, duration INTEGER NOT NULL, flags INTEGER NOT NULL,"
    "  title TEXT NOT NULL, html TEXT NOT NULL, time TEXT NOT NULL, UNIQUE(clsid, id));"
    "INSERT OR IGNORE INTO reg_meta VALUES('serial', 0);"
    "INSERT OR IGNORE INTO reg_keys(root, fold, path) VALUES(0,'',''),(1,'',''),(2,'',''),(3,'','');";

// Opens (or reopens, after the device root moved) the registry file. Caller holds g_mutex.
LONG EnsureOpenLocked() {
  std::filesystem::path path = RegistryFile();
  if (g_db && g_openPath == path) return ERROR_SUCCESS;
  if (g_db) {
    sqlite3_close_v2(g_db);
    g_db = nullptr;
  }
  if (LooksLikeSomethingElse(path)) return ERROR_BADDB;
  // Made private before SQLite first writes it; its -wal and -shm take the same modes.
  if (int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600); fd >= 0) ::close(fd);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    return StatusFromSqlite(rc);
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  rc = Exec(db, "PRAGMA journal_mode=WAL");
  if (rc == SQLITE_OK) rc = Exec(db, "PRAGMA synchronous=NORMAL");
  if (rc == SQLITE_OK) {
    rc = Exec(db, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK) {
      rc = Exec(db, kSchema);
      rc = rc == SQLITE_OK ? Exec(db, "COMMIT") : (Exec(db, "ROLLBACK"), rc);
    }
  }
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    return StatusFromSqlite(rc);
  }
  g_db = db;
  g_openPath = path;
  return ERROR_SUCCESS;
}

// A prepared statement that finalizes itself.
class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Stmt() { sqlite3_finalize(stmt_); }
  bool ok() const { return rc_ == SQLITE_OK; }
  int rc() const { return rc_; }
  Stmt& Bind(int i, int64_t v) {
    if (ok()) sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Stmt& Bind(int i, const std::string& v) {
    if (ok()) sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Stmt& BindBlob(int i, const void* data, size_t size) {
    if (ok()) sqlite3_bind_blob(stmt_, i, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
    return *this;
  }
  int Step() { return ok() ? sqlite3_step(stmt_) : rc_; }
  int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string Text(int col) {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, sqlite3_column_bytes(stmt_, col)) : std::string();
  }
  std::string Blob(int col) {
    auto p = static_cast<const char*>(sqlite3_column_blob(stmt_, col));
    return p ? std::string(p, sqlite3_column_bytes(stmt_, col)) : std::string();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_;
};

// Key id for a path, 0 when missing; negative SQLite code on error.
int64_t FindKey(sqlite3* db, Root root, const std::string& fold) {
  Stmt s(db, "SELECT id FROM reg_keys WHERE root=? AND fold=?");
  s.Bind(1, root).Bind(2, fold);
  int rc = s.Step();
  if (rc == SQLITE_ROW) return s.Int(0);
  if (rc == SQLITE_DONE) return 0;
  return -rc;
}

int64_t NextSerial(sqlite3* db) {
  if (Exec(db, "UPDATE reg_meta SET value=value+1 WHERE name='serial'") != SQLITE_OK) return -1;
  Stmt s(db, "SELECT value FROM reg_meta WHERE name='serial'");
  return s.Step() == SQLITE_ROW ? s.Int(0) : -1;
}

// Runs `work` (returning a registry status) inside BEGIN IMMEDIATE .. COMMIT.
LONG WriteLocked(const std::function<LONG(sqlite3*)>& work) {
  LONG st = EnsureOpenLocked();
  if (st != ERROR_SUCCESS) return st;
  int rc = Exec(g_db, "BEGIN IMMEDIATE");
  if (rc != SQLITE_OK) return StatusFromSqlite(rc);
  st = work(g_db);
  if (st == ERROR_SUCCESS) {
    rc = Exec(g_db, "COMMIT");
    if (rc == SQLITE_OK) {
      ++g_localWrites;
      return ERROR_SUCCESS;
    }
    st = StatusFromSqlite(rc);
  }
  Exec(g_db, "ROLLBACK");
  return st;
}

LONG ReadLocked(const std::function<LONG(sqlite3*)>& work) {
  LONG st = EnsureOpenLocked();
  if (st != ERROR_SUCCESS) return st;
  return work(g_db);
}

// Creates `path` and every missing parent; *created tells whether the last one was new.
LONG CreateKeyIn(sqlite3* db, Root root, const Name& path, bool* created) {
  if (created) *created = false;
  std::string fold, display;
  size_t start = 0;
  while (start <= path.fold.size() && !path.fold.empty()) {
    size_t end = path.fold.find('\\', start);
    if (end == std::string::npos) end = path.fold.size();
    fold = path.fold.substr(0, end);
    display = path.display.substr(0, end);  // folding keeps UTF-8 lengths, so offsets agree
    int64_t id = FindKey(db, root, fold);
    if (id < 0) return StatusFromSqlite(static_cast<int>(-id));
    bool made = false;
    if (id == 0) {
      Stmt s(db, "INSERT INTO reg_keys(root, fold, path) VALUES(?,?,?)");
      s.Bind(1, root).Bind(2, fold).Bind(3, display);
      int rc = s.Step();
      if (rc != SQLITE_DONE) return StatusFromSqlite(rc);
      made = true;
    }
    if (end == path.fold.size()) {
      if (created) *created = made;
      break;
    }
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

std::string Utf8Fold(std::u16string_view text) {
  std::u16string folded(text);
  for (auto& c : folded) c = FoldChar(c);
  return Utf16ToUtf8(folded);
}

}  // namespace

bool RootFromHandle(HKEY key, Root* root) {
  uintptr_t v = reinterpret_cast<uintptr_t>(key);
  if (v < 0x80000000u || v > 0x80000003u) return false;
  *root = static_cast<Root>(v - 0x80000000u);
  return true;
}

bool MakeKeyPath(std::u16string_view text, Name* out) {
  std::u16string joined;
  std::u16string part;
  auto flush = [&] {
    if (part.empty()) return;
    if (!joined.empty()) joined.push_back(u'\\');
    joined += part;
    part.clear();
  };
  for (char16_t c : text) {
    if (c == u'\\') flush();
    else part.push_back(c);
  }
  flush();
  if (joined.size() > REG_MAX_KEY_PATH) return false;
  out->display = Utf16ToUtf8(joined);
  out->fold = Utf8Fold(joined);
  return out->display.size() == out->fold.size();
}

bool MakeValueName(const char16_t* text, Name* out) {
  std::u16string_view name = text ? std::u16string_view(text) : std::u16string_view();
  if (name.size() > REG_MAX_VALUE_NAME) return false;
  out->display = Utf16ToUtf8(name);
  out->fold = Utf8Fold(name);
  return true;
}

bool JoinKeyPath(const Name& base, std::u16string_view sub, Name* out) {
  std::u16string whole = Utf8ToUtf16(base.display);
  whole.push_back(u'\\');
  whole += sub;
  return MakeKeyPath(whole, out);
}

LONG CreateKey(Root root, const Name& path, bool* created) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return WriteLocked([&](sqlite3* db) { return CreateKeyIn(db, root, path, created); });
}

LONG KeyExists(Root root, const Name& path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return ReadLocked([&](sqlite3* db) -> LONG {
    int64_t id = FindKey(db, root, path.fold);
    if (id < 0) return StatusFromSqlite(static_cast<int>(-id));
    return id ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LONG GetValue(Root root, const Name& path, const Name& name, Value* out) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return ReadLocked([&](sqlite3* db) -> LONG {
    Stmt s(db,
           "SELECT v.name, v.type, v.data, v.serial FROM reg_values v JOIN reg_keys k ON v.key_id=k.id "
           "WHERE k.root=? AND k.fold=? AND v.fold=?");
    s.Bind(1, root).Bind(2, path.fold).Bind(3, name.fold);
    int rc = s.Step();
    if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW) return StatusFromSqlite(rc);
    out->name = s.Text(0);
    out->type = static_cast<DWORD>(s.Int(1));
    out->data = s.Blob(2);
    out->serial = s.Int(3);
    return ERROR_SUCCESS;
  });
}

LONG SetValue(Root root, const Name& path, const Name& name, DWORD type, const void* data, size_t size) {
  if (size > REG_MAX_VALUE_DATA) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(g_mutex);
  return WriteLocked([&](sqlite3* db) -> LONG {
    int64_t id = FindKey(db, root, path.fold);
    if (id < 0) return StatusFromSqlite(static_cast<int>(-id));
    if (id == 0) return ERROR_KEY_DELETED;
    int64_t serial = NextSerial(db);
    if (serial < 0) return ERROR_ACCESS_DENIED;
    Stmt s(db, "INSERT OR REPLACE INTO reg_values(key_id, fold, name, type, data, serial) VALUES(?,?,?,?,?,?)");
    s.Bind(1, id).Bind(2, name.fold).Bind(3, name.display).Bind(4, type).BindBlob(5, data, size).Bind(6, serial);
    int rc = s.Step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : StatusFromSqlite(rc);
  });
}

LONG DeleteValue(Root root, const Name& path, const Name& name) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return WriteLocked([&](sqlite3* db) -> LONG {
    int64_t id = FindKey(db, root, path.fold);
    if (id < 0) return StatusFromSqlite(static_cast<int>(-id));
    if (id == 0) return ERROR_KEY_DELETED;
    Stmt s(db, "DELETE FROM reg_values WHERE key_id=? AND fold=?");
    s.Bind(1, id).Bind(2, name.fold);
    int rc = s.Step();
    if (rc != SQLITE_DONE) return StatusFromSqlite(rc);
    return sqlite3_changes(db) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LONG DeleteKey(Root root, const Name& path) {
  if (path.fold.empty()) return ERROR_ACCESS_DENIED;
  std::lock_guard<std::mutex> lock(g_mutex);
  return WriteLocked([&](sqlite3* db) -> LONG {
    int64_t id = FindKey(db, root, path.fold);
    if (id < 0) return StatusFromSqlite(static_cast<int>(-id));
    if (id == 0) return ERROR_FILE_NOT_FOUND;
    // The key and everything below it: "a\b" and the range "a\b\" .. "a\b]" ('\' + 1 = ']').
    const std::string lo = path.fold + "\\", hi = path.fold + "]";
    Stmt v(db,
           "DELETE FROM reg_values WHERE key_id IN (SELECT id FROM reg_keys WHERE root=?1 AND "
           "(fold=?2 OR (fold>=?3 AND fold<?4)))");
    v.Bind(1, root).Bind(2, path.fold).Bind(3, lo).Bind(4, hi);
    int rc = v.Step();
    if (rc != SQLITE_DONE) return StatusFromSqlite(rc);
    Stmt k(db, "DELETE FROM reg_keys WHERE root=?1 AND (fold=?2 OR (fold>=?3 AND fold<?4))");
    k.Bind(1, root).Bind(2, path.fold).Bind(3, lo).Bind(4, hi);
    rc = k.Step();
    if (rc != SQLITE_DONE) return StatusFromSqlite(rc);
    // Watchers of deleted values must see a change: bump the serial too.
    return NextSerial(db) < 0 ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
  });
}

LONG EnumValue(Root root, const Name& path, DWORD index, Value* out) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return ReadLocked([&](sqlite3* db) -> LONG {
    int64_t id = FindKey(db, root, path.fold);
    if (id < 0) return StatusFromSqlite(static_cast<int>(-id));
    if (id == 0) return ERROR_KEY_DELETED;
    Stmt s(db, "SELECT name, type, data, serial FROM reg_values WHERE key_id=? ORDER BY fold LIMIT 1 OFFSET ?");
    s.Bind(1, id).Bind(2, static_cast<int64_t>(index));
    int rc = s.Step();
    if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW) return StatusFromSqlite(rc);
    out->name = s.Text(0);
    out->type = static_cast<DWORD>(s.Int(1));
    out->data = s.Blob(2);
    out->serial = s.Int(3);
    return ERROR_SUCCESS;
  });
}

uint64_t ChangeStamp() {
  std::lock_guard<std::mutex> lock(g_mutex);
  uint64_t version = 0;
  if (EnsureOpenLocked() == ERROR_SUCCESS) {
    Stmt s(g_db, "PRAGMA data_version");
    if (s.Step() == SQLITE_ROW) version = static_cast<uint64_t>(s.Int(0));
  }
  // data_version only moves for other connections' commits; our own writes count separately.
  return (version << 32) ^ g_localWrites.load();
}

LONG WithWriteTransaction(const std::function<int(sqlite3*)>& work) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return WriteLocked([&](sqlite3* db) { return StatusFromSqlite(work(db)); });
}

LONG WithReader(const std::function<int(sqlite3*)>& work) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return ReadLocked([&](sqlite3* db) { return StatusFromSqlite(work(db)); });
}

void Close() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_db) sqlite3_close_v2(g_db);
  g_db = nullptr;
  g_openPath.clear();
}

}  // namespace platform::device::registry
