// Record calls: seeking, reading property values into the caller's buffer, writing, deleting.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/db/database.h"
#include "platform/db/volume.h"
#include "strsafe.h"
#include "winbase.h"
#include "windbase.h"

namespace platform::db {
namespace {

struct Target {
  std::shared_ptr<OpenDatabase> db;
  Volume* volume = nullptr;
};

Target Resolve(HANDLE h) {
  Target t;
  t.db = FindDatabase(h);
  if (!t.db) {
    SetLastError(ERROR_INVALID_HANDLE);
    return t;
  }
  t.volume = FindVolume(&t.db->volume);
  if (!t.volume) {
    SetLastError(ERROR_INVALID_HANDLE);
    t.db.reset();
  }
  return t;
}

bool KnownType(WORD type) {
  switch (type) {
    case CEVT_I2: case CEVT_UI2: case CEVT_I4: case CEVT_UI4: case CEVT_BOOL:
    case CEVT_R8: case CEVT_FILETIME: case CEVT_LPWSTR: case CEVT_BLOB:
      return true;
  }
  return false;
}

// The largest value the system keeps in one property.
constexpr size_t kMaxPropBytes = 4092 * 16 - 1;

bool BindValue(sqlite3_stmt* s, int i, const CEPROPVAL& pv) {
  switch (TypeFromPropID(pv.propid)) {
    case CEVT_I2: return sqlite3_bind_int64(s, i, pv.val.iVal) == SQLITE_OK;
    case CEVT_UI2: return sqlite3_bind_int64(s, i, pv.val.uiVal) == SQLITE_OK;
    case CEVT_I4: return sqlite3_bind_int64(s, i, pv.val.lVal) == SQLITE_OK;
    case CEVT_UI4: return sqlite3_bind_int64(s, i, pv.val.ulVal) == SQLITE_OK;
    case CEVT_BOOL: return sqlite3_bind_int64(s, i, pv.val.boolVal) == SQLITE_OK;
    case CEVT_R8: return sqlite3_bind_double(s, i, pv.val.dblVal) == SQLITE_OK;
    case CEVT_FILETIME: {
      int64_t v = (static_cast<int64_t>(pv.val.filetime.dwHighDateTime) << 32) | pv.val.filetime.dwLowDateTime;
      return sqlite3_bind_int64(s, i, v) == SQLITE_OK;
    }
    case CEVT_LPWSTR: {
      if (!pv.val.lpwstr) return false;
      size_t n = wcslen16(pv.val.lpwstr);
      if (n * 2 > kMaxPropBytes) return false;
      return sqlite3_bind_text16(s, i, pv.val.lpwstr, static_cast<int>(n * 2), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    case CEVT_BLOB: {
      if (pv.val.blob.dwCount > kMaxPropBytes || (pv.val.blob.dwCount && !pv.val.blob.lpb)) return false;
      return sqlite3_bind_blob(s, i, pv.val.blob.lpb ? pv.val.blob.lpb : reinterpret_cast<const BYTE*>(""),
                               static_cast<int>(pv.val.blob.dwCount), SQLITE_TRANSIENT) == SQLITE_OK;
    }
  }
  return false;
}

// One stored value fetched from SQLite, waiting to be packed into the caller's buffer.
struct Fetched {
  CEPROPID propid = 0;
  int64_t seq = 0;
  int64_t i = 0;
  double r = 0;
  std::u16string text;
  std::string bytes;
};

size_t Align(size_t n, size_t a) { return (n + a - 1) & ~(a - 1); }

size_t ExtraBytes(const Fetched& f) {
  switch (TypeFromPropID(f.propid)) {
    case CEVT_LPWSTR: return Align((f.text.size() + 1) * 2, 8);
    case CEVT_BLOB: return Align(f.bytes.size(), 8);
  }
  return 0;
}

void FillValue(const Fetched& f, CEPROPVAL* pv, BYTE*& extra) {
  pv->propid = f.propid;
  pv->wLenData = 0;
  pv->wFlags = 0;
  std::memset(&pv->val, 0, sizeof(pv->val));
  switch (TypeFromPropID(f.propid)) {
    case CEVT_I2: pv->val.iVal = static_cast<short>(f.i); break;
    case CEVT_UI2: pv->val.uiVal = static_cast<USHORT>(f.i); break;
    case CEVT_I4: pv->val.lVal = static_cast<LONG>(f.i); break;
    case CEVT_UI4: pv->val.ulVal = static_cast<ULONG>(f.i); break;
    case CEVT_BOOL: pv->val.boolVal = static_cast<BOOL>(f.i); break;
    case CEVT_R8: pv->val.dblVal = f.r; break;
    case CEVT_FILETIME:
      pv->val.filetime.dwLowDateTime = static_cast<DWORD>(f.i);
      pv->val.filetime.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(f.i) >> 32);
      break;
    case CEVT_LPWSTR: {
      auto* s = reinterpret_cast<WCHAR*>(extra);
      std::memcpy(s, f.text.data(), f.text.size() * 2);
      s[f.text.size()] = 0;
      pv->val.lpwstr = s;
      pv->wLenData = static_cast<WORD>(std::min<size_t>((f.text.size() + 1) * 2, 0xFFFF));
      extra += ExtraBytes(f);
      break;
    }
    case CEVT_BLOB:
      std::memcpy(extra, f.bytes.data(), f.bytes.size());
      pv->val.blob.dwCount = static_cast<DWORD>(f.bytes.size());
      pv->val.blob.lpb = extra;
      pv->wLenData = static_cast<WORD>(std::min<size_t>(f.bytes.size(), 0xFFFF));
      extra += ExtraBytes(f);
      break;
  }
}

// Reads every stored value of `oid` in the order they were first written. False when the
// record is not in the database (deleted meanwhile) or on a database error.
bool FetchRecord(Volume& v, OpenDatabase& db, CEOID oid, std::vector<Fetched>* out, SortKey* key, bool* gone) {
  *gone = false;
  out->clear();
  Statement s = v.Prepare(
      "SELECT p.propid, p.value, p.seq FROM objects o LEFT JOIN props p ON p.oid = o.oid "
      "WHERE o.oid = ? AND o.db = ?");
  if (!s) return false;
  s.Bind(1, oid);
  s.Bind(2, db.db);
  int rc;
  bool any = false;
  *key = SortKey{};
  while ((rc = s.Step()) == SQLITE_ROW) {
    any = true;
    if (sqlite3_column_type(s.get(), 0) == SQLITE_NULL) continue;  // a record with no values
    Fetched f;
    f.propid = static_cast<CEPROPID>(s.Int(0));
    f.seq = s.Int(2);
    switch (TypeFromPropID(f.propid)) {
      case CEVT_R8: f.r = sqlite3_column_double(s.get(), 1); break;
      case CEVT_LPWSTR: {
        const void* t = sqlite3_column_text16(s.get(), 1);
        int n = sqlite3_column_bytes16(s.get(), 1);
        if (t) f.text.assign(static_cast<const char16_t*>(t), static_cast<size_t>(n) / 2);
        break;
      }
      case CEVT_BLOB: {
        const void* b = sqlite3_column_blob(s.get(), 1);
        int n = sqlite3_column_bytes(s.get(), 1);
        if (b) f.bytes.assign(static_cast<const char*>(b), static_cast<size_t>(n));
        break;
      }
      default: f.i = s.Int(1); break;
    }
    if (db.sortProp && f.propid == db.sortProp) *key = KeyFromColumn(s.get(), 1);
    out->push_back(std::move(f));
  }
  if (rc != SQLITE_DONE) return false;
  // Values come back in the order they were first written; a handful, so sorted here.
  std::sort(out->begin(), out->end(), [](const Fetched& a, const Fetched& b) { return a.seq < b.seq; });
  *gone = !any;
  return any;
}

bool RecordInDatabase(Volume& v, CEOID db, CEOID oid) {
  if (!oid) return false;
  Statement s = v.Prepare("SELECT db FROM objects WHERE oid = ?");
  if (!s) return false;
  s.Bind(1, oid);
  return s.Step() == SQLITE_ROW && s.Int(0) == static_cast<int64_t>(db);
}

}  // namespace
}  // namespace platform::db

using namespace platform::db;

CEOID CeSeekDatabaseEx(HANDLE hDatabase, DWORD dwSeekType, DWORD dwValue, WORD wNumVals, LPDWORD lpdwIndex) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Target t = Resolve(hDatabase);
  if (!t.db) return 0;
  OpenDatabase& db = *t.db;
  Volume& v = *t.volume;

  auto placeAt = [&](int64_t index) -> CEOID {
    if (index < 0 || index >= static_cast<int64_t>(db.order.size())) {
      SetLastError(ERROR_NO_MORE_ITEMS);
      return 0;
    }
    const SortEntry& e = db.order[static_cast<size_t>(index)];
    db.positioned = true;
    db.after = false;
    db.current = e.oid;
    db.currentKey = e.key;
    db.currentIndex = static_cast<size_t>(index);
    if (lpdwIndex) *lpdwIndex = static_cast<DWORD>(index);
    return e.oid;
  };

  switch (dwSeekType) {
    case CEDB_SEEK_CEOID: {
      if (!RecordInDatabase(v, db.db, dwValue)) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return 0;
      }
      SortKey key;
      if (!db.ReadKey(v, dwValue, &key)) {
        SetLastError(v.Failure());
        return 0;
      }
      db.positioned = true;
      db.after = false;
      db.current = dwValue;
      db.currentKey = key;
      db.currentIndex = ~size_t{0};
      if (lpdwIndex) {
        // The index costs a pass over the order, so it is worked out only when asked for.
        if (!db.EnsureOrder(v)) return SetLastError(v.Failure()), 0;
        size_t i = db.LowerBound(SortEntry{key, dwValue});
        db.currentIndex = i;
        *lpdwIndex = static_cast<DWORD>(i);
      }
      return dwValue;
    }
    case CEDB_SEEK_BEGINNING:
      if (!db.EnsureOrder(v)) return SetLastError(v.Failure()), 0;
      return placeAt(dwValue);
    case CEDB_SEEK_END:
      if (!db.EnsureOrder(v)) return SetLastError(v.Failure()), 0;
      return placeAt(static_cast<int64_t>(db.order.size()) - 1 - static_cast<int64_t>(dwValue));
    case CEDB_SEEK_CURRENT: {
      CEOID cur = db.Resolve(v);
      if (!db.EnsureOrder(v)) return SetLastError(v.Failure()), 0;
      int64_t base;
      if (cur) {
        size_t i = db.LowerBound(SortEntry{db.currentKey, cur});
        base = static_cast<int64_t>(i);
      } else {
        base = static_cast<int64_t>(db.order.size());
      }
      return placeAt(base + static_cast<int32_t>(dwValue));
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

CEOID CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID, LPBYTE* lplpBuffer,
                          LPDWORD lpcbBuffer, HANDLE hHeap) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Target t = Resolve(hDbase);
  if (!t.db) return 0;
  if (!lpcPropID || !lplpBuffer || !lpcbBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (rgPropID && *lpcPropID == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  OpenDatabase& db = *t.db;
  Volume& v = *t.volume;

  thread_local std::vector<Fetched> fetched;
  SortKey key;
  CEOID oid = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    oid = db.Resolve(v);
    if (!oid) {
      SetLastError(ERROR_NO_MORE_ITEMS);
      return 0;
    }
    bool gone = false;
    if (FetchRecord(v, db, oid, &fetched, &key, &gone)) break;
    if (!gone) {
      SetLastError(v.Failure());
      return 0;
    }
    // The current record was deleted elsewhere: the position moves on to the one after it.
    db.after = true;
    db.currentIndex = ~size_t{0};
    oid = 0;
  }
  if (!oid) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return 0;
  }

  // The values to hand back: every stored one, or exactly the ones asked for.
  std::vector<const Fetched*> chosen;
  std::vector<CEPROPID> missing;  // parallel to chosen: propid when not found
  if (rgPropID) {
    for (WORD i = 0; i < *lpcPropID; ++i) {
      const Fetched* hit = nullptr;
      for (const Fetched& f : fetched)
        if (f.propid == rgPropID[i]) hit = &f;
      chosen.push_back(hit);
      missing.push_back(hit ? 0 : rgPropID[i]);
    }
  } else {
    for (const Fetched& f : fetched) {
      chosen.push_back(&f);
      missing.push_back(0);
    }
  }
  if (chosen.size() > 0xFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }

  size_t need = chosen.size() * sizeof(CEPROPVAL);
  for (const Fetched* f : chosen)
    if (f) need += ExtraBytes(*f);
  if (need > 0xFFFFFFFFu) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  if (!*lplpBuffer || *lpcbBuffer < need) {
    if (!(dwFlags & CEDB_ALLOWREALLOC)) {
      *lpcbBuffer = static_cast<DWORD>(need);
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    // The caller's block is grown in place of its own, so its LocalFree releases the new one.
    HLOCAL grown = *lplpBuffer ? LocalReAlloc(*lplpBuffer, need ? need : 1, 0) : LocalAlloc(LMEM_FIXED, need ? need : 1);
    if (!grown) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    *lplpBuffer = static_cast<LPBYTE>(grown);
    *lpcbBuffer = static_cast<DWORD>(need);
  }
  auto* values = reinterpret_cast<CEPROPVAL*>(*lplpBuffer);
  BYTE* extra = *lplpBuffer + chosen.size() * sizeof(CEPROPVAL);
  for (size_t i = 0; i < chosen.size(); ++i) {
    if (chosen[i]) {
      FillValue(*chosen[i], &values[i], extra);
    } else {
      std::memset(&values[i], 0, sizeof(CEPROPVAL));
      values[i].propid = missing[i];
      values[i].wFlags = CEDB_PROPNOTFOUND;
    }
  }
  *lpcPropID = static_cast<WORD>(chosen.size());

  db.current = oid;
  db.currentKey = std::move(key);
  if (db.openFlags & CEDB_AUTOINCREMENT) db.after = true;
  return oid;
}

CEOID CeWriteRecordProps(HANDLE hDbase, CEOID oidRecord, WORD cPropID, CEPROPVAL* rgPropVal) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Target t = Resolve(hDbase);
  if (!t.db) return 0;
  if (cPropID == 0 || !rgPropVal) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (WORD i = 0; i < cPropID; ++i)
    if (!KnownType(TypeFromPropID(rgPropVal[i].propid))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  OpenDatabase& db = *t.db;
  Volume& v = *t.volume;

  Transaction tx(v);
  if (!tx.ok()) return SetLastError(v.Failure()), 0;
  CEOID oid = oidRecord;
  int64_t seq = 0;
  if (oid == 0) {
    Statement add = v.Prepare("INSERT INTO objects(db) VALUES(?)");
    if (!add) return SetLastError(v.Failure()), 0;
    add.Bind(1, db.db);
    if (add.Step() != SQLITE_DONE) return SetLastError(v.Failure()), 0;
    int64_t id = sqlite3_last_insert_rowid(v.sql());
    if (id <= 0 || id > 0xFFFFFFFFll) return SetLastError(ERROR_DISK_FULL), 0;  // identifiers are 32-bit
    oid = static_cast<CEOID>(id);
  } else {
    if (!RecordInDatabase(v, db.db, oid)) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    Statement last = v.Prepare("SELECT COALESCE(MAX(seq), 0) FROM props WHERE oid = ?");
    if (!last) return SetLastError(v.Failure()), 0;
    last.Bind(1, oid);
    if (last.Step() != SQLITE_ROW) return SetLastError(v.Failure()), 0;
    seq = last.Int(0);
  }
  for (WORD i = 0; i < cPropID; ++i) {
    const CEPROPVAL& pv = rgPropVal[i];
    if (pv.wFlags & CEDB_PROPDELETE) {
      Statement del = v.Prepare("DELETE FROM props WHERE oid = ? AND propid = ?");
      if (!del) return SetLastError(v.Failure()), 0;
      del.Bind(1, oid);
      del.Bind(2, pv.propid);
      if (del.Step() != SQLITE_DONE) return SetLastError(v.Failure()), 0;
      continue;
    }
    Statement put = v.Prepare(
        "INSERT INTO props(oid, propid, seq, value) VALUES(?, ?, ?, ?) "
        "ON CONFLICT(oid, propid) DO UPDATE SET value = excluded.value");
    if (!put) return SetLastError(v.Failure()), 0;
    put.Bind(1, oid);
    put.Bind(2, pv.propid);
    put.Bind(3, ++seq);
    if (!BindValue(put.get(), 4, pv)) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    if (put.Step() != SQLITE_DONE) return SetLastError(v.Failure()), 0;
  }
  if (!v.LogChange(db.db, oid, oidRecord == 0 ? DB_CEOID_CREATED : DB_CEOID_CHANGED)) return SetLastError(v.Failure()), 0;
  if (!tx.Commit()) return SetLastError(v.Failure()), 0;
  v.NoteLocalChange();
  return oid;
}

BOOL CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Target t = Resolve(hDatabase);
  if (!t.db) return FALSE;
  OpenDatabase& db = *t.db;
  Volume& v = *t.volume;
  bool orderWasFresh = db.orderStamp == v.ChangeStamp();

  Transaction tx(v);
  if (!tx.ok()) return SetLastError(v.Failure()), FALSE;
  if (!RecordInDatabase(v, db.db, oidRecord)) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  Statement props = v.Prepare("DELETE FROM props WHERE oid = ?");
  if (!props) return SetLastError(v.Failure()), FALSE;
  props.Bind(1, oidRecord);
  if (props.Step() != SQLITE_DONE) return SetLastError(v.Failure()), FALSE;
  Statement obj = v.Prepare("DELETE FROM objects WHERE oid = ?");
  if (!obj) return SetLastError(v.Failure()), FALSE;
  obj.Bind(1, oidRecord);
  if (obj.Step() != SQLITE_DONE) return SetLastError(v.Failure()), FALSE;
  if (!v.LogChange(db.db, oidRecord, DB_CEOID_RECORD_DELETED)) return SetLastError(v.Failure()), FALSE;
  if (!tx.Commit()) return SetLastError(v.Failure()), FALSE;
  v.NoteLocalChange();
  // Deleting while walking the records (delete-all) must not rebuild the order every step.
  if (orderWasFresh) {
    db.orderStamp = v.ChangeStamp();
    db.deletedHere.insert(oidRecord);
  }
  return TRUE;
}
