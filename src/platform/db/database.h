// An open database: its sort order, the cached order of its records and the current position.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/db/volume.h"
#include "windbase.h"

namespace platform::db {

// A sort key as SQLite holds it: null, number or text/blob bytes.
struct SortKey {
  enum Kind : uint8_t { kNull, kInt, kReal, kBytes } kind = kNull;
  int64_t i = 0;
  double r = 0;
  std::string bytes;
};

struct SortEntry {
  SortKey key;
  CEOID oid = 0;
};

// An open database, or a session (CeCreateSession): every handle tag is taken, so sessions
// share this table; a session names a volume and no database.
class OpenDatabase {
 public:
  CEGUID volume{};
  bool isSession = false;
  bool inTransaction = false;  // a session between CeBeginTransaction and CeEndTransaction
  CEOID db = 0;
  DWORD openFlags = 0;
  CEPROPID sortProp = 0;  // 0: no sort property, records in creation order
  DWORD sortFlags = 0;

  bool hasRequest = false;
  CENOTIFYREQUEST request{};
  CENOTIFYREQUEST* requestAddress = nullptr;
  int64_t lastChangeSeen = 0;
  uint64_t notifyStamp = ~0ull;

  // Position: the record `current`, or the one after it when `after` is set (a read moved on).
  bool positioned = false;
  CEOID current = 0;
  bool after = false;
  SortKey currentKey;  // kept so the successor can be found even once `current` is deleted

  // Records in sort order, valid while the volume's change stamp equals `orderStamp`.
  std::vector<SortEntry> order;
  uint64_t orderStamp = ~0ull;
  size_t currentIndex = 0;  // index of `current` in `order` when it was last known
  std::unordered_set<CEOID> deletedHere;  // deleted through this handle since `order` was built

  bool Before(const SortEntry& a, const SortEntry& b) const;
  // Rebuilds `order` if the volume changed since it was built. False on a database error.
  bool EnsureOrder(Volume& v);
  // The record at the current position (0 at the end), settling a pending move to the next one.
  CEOID Resolve(Volume& v);
  // Index of the first entry not before `probe` in `order`.
  size_t LowerBound(const SortEntry& probe) const;
  bool ReadKey(Volume& v, CEOID oid, SortKey* key);
};

// The handle table of open databases.
HANDLE AddDatabase(std::shared_ptr<OpenDatabase> db);
std::shared_ptr<OpenDatabase> FindDatabase(HANDLE h);  // a database, never a session
std::shared_ptr<OpenDatabase> FindSession(HANDLE h);
void ForEachOpenDatabase(const std::function<void(OpenDatabase&)>& f);
void CloseAllDatabases();

// Reads a column as a sort key.
SortKey KeyFromColumn(sqlite3_stmt* stmt, int col);

}  // namespace platform::db
