// Open databases: sort order, cached record order and the current position.
#include "platform/db/database.h"

#include <algorithm>
#include <cstring>

#include "platform/base/handle_table.h"

namespace platform::db {
namespace {

// Tag 0 is used by no other table, so a database handle never resolves as anything else.
HandleTable<OpenDatabase>& Table() {
  static HandleTable<OpenDatabase> table(0);
  return table;
}

int CompareKeys(const SortKey& a, const SortKey& b, bool caseInsensitive) {
  auto rank = [](SortKey::Kind k) { return k == SortKey::kReal ? SortKey::kInt : k; };
  if (rank(a.kind) != rank(b.kind)) return rank(a.kind) < rank(b.kind) ? -1 : 1;
  switch (a.kind) {
    case SortKey::kNull:
      return 0;
    case SortKey::kInt:
    case SortKey::kReal: {
      if (a.kind == SortKey::kInt && b.kind == SortKey::kInt) return a.i < b.i ? -1 : a.i > b.i;
      double x = a.kind == SortKey::kInt ? static_cast<double>(a.i) : a.r;
      double y = b.kind == SortKey::kInt ? static_cast<double>(b.i) : b.r;
      return x < y ? -1 : x > y;
    }
    case SortKey::kBytes: {
      if (!caseInsensitive) return a.bytes.compare(b.bytes) < 0 ? -1 : a.bytes.compare(b.bytes) > 0;
      size_t n = std::min(a.bytes.size(), b.bytes.size());
      for (size_t i = 0; i < n; ++i) {
        unsigned char x = a.bytes[i], y = b.bytes[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return x < y ? -1 : 1;
      }
      return a.bytes.size() < b.bytes.size() ? -1 : a.bytes.size() > b.bytes.size();
    }
  }
  return 0;
}

}  // namespace

SortKey KeyFromColumn(sqlite3_stmt* stmt, int col) {
  SortKey k;
  switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER:
      k.kind = SortKey::kInt;
      k.i = sqlite3_column_int64(stmt, col);
      break;
    case SQLITE_FLOAT:
      k.kind = SortKey::kReal;
      k.r = sqlite3_column_double(stmt, col);
      break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
      k.kind = SortKey::kBytes;
      const void* p = sqlite3_column_blob(stmt, col);
      int n = sqlite3_column_bytes(stmt, col);
      if (p && n > 0) k.bytes.assign(static_cast<const char*>(p), static_cast<size_t>(n));
      break;
    }
    default:
      break;
  }
  return k;
}

bool OpenDatabase::Before(const SortEntry& a, const SortEntry& b) const {
  bool descending = sortFlags & CEDB_SORT_DESCENDING;
  if (sortProp) {
    bool an = a.key.kind == SortKey::kNull, bn = b.key.kind == SortKey::kNull;
    if (an != bn) return (sortFlags & CEDB_SORT_UNKNOWNFIRST) ? an : bn;
    int c = CompareKeys(a.key, b.key, sortFlags & CEDB_SORT_CASEINSENSITIVE);
    if (c != 0) return descending ? c > 0 : c < 0;
  }
  return descending ? a.oid > b.oid : a.oid < b.oid;
}

bool OpenDatabase::ReadKey(Volume& v, CEOID oid, SortKey* key) {
  *key = SortKey{};
  if (!sortProp) return true;
  Statement s = v.Prepare("SELECT value FROM props WHERE oid = ? AND propid = ?");
  if (!s) return false;
  s.Bind(1, oid);
  s.Bind(2, sortProp);
  int rc = s.Step();
  if (rc == SQLITE_ROW) *key = KeyFromColumn(s.get(), 0);
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

bool OpenDatabase::EnsureOrder(Volume& v) {
  uint64_t stamp = v.ChangeStamp();
  if (stamp == orderStamp && deletedHere.empty()) return true;
  Statement s = v.Prepare(
      "SELECT o.oid, p.value FROM objects o LEFT JOIN props p ON p.oid = o.oid AND p.propid = ?1 "
      "WHERE o.db = ?2");
  if (!s) return false;
  s.Bind(1, sortProp);
  s.Bind(2, db);
  std::vector<SortEntry> fresh;
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) {
    SortEntry e;
    e.oid = static_cast<CEOID>(s.Int(0));
    if (sortProp) e.key = KeyFromColumn(s.get(), 1);
    fresh.push_back(std::move(e));
  }
  if (rc != SQLITE_DONE) return false;
  std::sort(fresh.begin(), fresh.end(), [this](const SortEntry& a, const SortEntry& b) { return Before(a, b); });
  order = std::move(fresh);
  orderStamp = stamp;
  deletedHere.clear();
  return true;
}

size_t OpenDatabase::LowerBound(const SortEntry& probe) const {
  auto it = std::lower_bound(order.begin(), order.end(), probe,
                             [this](const SortEntry& a, const SortEntry& b) { return Before(a, b); });
  return static_cast<size_t>(it - order.begin());
}

CEOID OpenDatabase::Resolve(Volume& v) {
  if (!positioned) return 0;
  if (!after) return current;
  // A read moved on: find the record after `current`, even if `current` is gone by now.
  uint64_t stamp = v.ChangeStamp();
  bool fresh = stamp == orderStamp;
  if (!fresh && !EnsureOrder(v)) return 0;
  size_t i;
  if (currentIndex < order.size() && order[currentIndex].oid == current) {
    i = currentIndex + 1;
  } else {
    SortEntry probe{currentKey, current};
    i = LowerBound(probe);
    if (i < order.size() && order[i].oid == current) ++i;
  }
  // Records this handle deleted since the order was built are skipped, not rebuilt for.
  while (i < order.size() && deletedHere.count(order[i].oid)) ++i;
  after = false;
  if (i >= order.size()) {
    positioned = false;
    current = 0;
    return 0;
  }
  current = order[i].oid;
  currentKey = order[i].key;
  currentIndex = i;
  return current;
}

HANDLE AddDatabase(std::shared_ptr<OpenDatabase> db) {
  uint32_t h = Table().Add(std::move(db));
  return h ? ToHandle<HANDLE>(h) : INVALID_HANDLE_VALUE;
}

std::shared_ptr<OpenDatabase> FindDatabase(HANDLE h) {
  auto found = Table().Get(FromHandle(h));
  return found && !found->isSession ? found : nullptr;
}

std::shared_ptr<OpenDatabase> FindSession(HANDLE h) {
  auto found = Table().Get(FromHandle(h));
  return found && found->isSession ? found : nullptr;
}

void ForEachOpenDatabase(const std::function<void(OpenDatabase&)>& f) {
  Table().ForEach([&](uint32_t, const std::shared_ptr<OpenDatabase>& d) { f(*d); });
}

void CloseAllDatabases() {
  std::vector<uint32_t> handles;
  Table().ForEach([&](uint32_t h, const std::shared_ptr<OpenDatabase>&) { handles.push_back(h); });
  for (uint32_t h : handles) Table().Remove(h);
}

bool IsDatabaseHandle(HANDLE handle) { return Table().Get(FromHandle(handle)) != nullptr; }

bool CloseDatabaseHandle(HANDLE handle) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  auto removed = Table().Remove(FromHandle(handle));
  // A session closed in the middle of a transaction gives its changes up.
  if (removed && removed->inTransaction)
    if (Volume* v = FindVolume(&removed->volume)) v->EndSessionTransaction(false);
  return removed != nullptr;
}

}  // namespace platform::db
