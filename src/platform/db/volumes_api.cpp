// Volume and database calls: mounting, locale, creating, opening and describing databases.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>

#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/db/database.h"
#include "platform/db/db.h"
#include "platform/db/volume.h"
#include "strsafe.h"
#include "winbase.h"
#include "windbase.h"

namespace platform::db {
void WatchForChanges();  // change_feed.cpp

namespace {

CallCounts g_counts;

struct StoredSorts {
  WORD count = 0;
  SORTORDERSPECEX orders[CEDB_MAXSORTORDER]{};
};

void RemoveVolumeFiles(const std::string& path) {
  std::error_code ec;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(path + suffix, ec);
}

std::string NameUtf8(LPCWSTR name) { return Utf16ToUtf8(std::u16string_view(name, wcslen16(name))); }

}  // namespace

CallCounts Counts() { return g_counts; }

DWORD VolumeLcid(const CEGUID& guid) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Volume* v = FindVolume(&guid);
  return v ? v->lcid : 0;
}

void UnmountAll() {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  CloseAllDatabases();
  RemoveAllVolumes();
}

}  // namespace platform::db

using namespace platform::db;
using platform::Utf16ToUtf8;
using platform::Utf8ToUtf16;

BOOL CeMountDBVolEx(PCEGUID pGuid, LPCWSTR lpwszDBVol, CEVOLUMEOPTIONS* pOptions, DWORD dwFlags) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  if (!pGuid || !lpwszDBVol || !*lpwszDBVol) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto host = platform::device::HostPath(std::u16string_view(lpwszDBVol, wcslen16(lpwszDBVol)));
  if (!host) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::string path = host->string();
  DWORD disposition = dwFlags & 0xFFFF;  // the high bits are options of the phone's engine
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  if (Volume* mounted = FindVolumeByPath(path)) {
    if (disposition == CREATE_NEW) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS) {
      SetLastError(ERROR_ACCESS_DENIED);  // never wipe a volume that is in use
      return FALSE;
    }
    ++mounted->mounts;
    *pGuid = mounted->guid;
    return TRUE;
  }

  std::error_code ec;
  bool exists = std::filesystem::exists(path, ec);
  bool create = false;
  switch (disposition) {
    case CREATE_NEW:
      if (exists) return SetLastError(ERROR_FILE_EXISTS), FALSE;
      create = true;
      break;
    case CREATE_ALWAYS:
      RemoveVolumeFiles(path);
      create = true;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      create = true;
      break;
    case TRUNCATE_EXISTING:
      if (!exists) return SetLastError(ERROR_FILE_NOT_FOUND), FALSE;
      RemoveVolumeFiles(path);
      create = true;
      break;
  }
  DWORD error = 0;
  std::unique_ptr<Volume> v = Volume::Open(path, create, &error);
  if (!v) {
    SetLastError(error);
    return FALSE;
  }
  if (pOptions && (pOptions->dwFlags & CEDB_DEFAULTTIMEOUT) && pOptions->dwDefaultTimeout)
    sqlite3_busy_timeout(v->sql(), static_cast<int>(std::max<DWORD>(pOptions->dwDefaultTimeout, kBusyTimeoutMs)));
  v->mounts = 1;
  Volume* added = AddVolume(std::move(v));
  ++g_counts.volumesOpened;
  *pGuid = added->guid;
  WatchForChanges();  // the idle poller also ends the volume's read run
  return TRUE;
}

BOOL CeUnmountDBVol(PCEGUID pGuid) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Volume* v = FindVolume(pGuid);
  if (!v) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  if (--v->mounts <= 0) RemoveVolume(pGuid);
  return TRUE;
}

BOOL CeChangeDatabaseLCID(PCEGUID pGuid, DWORD lcid) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Volume* v = FindVolume(pGuid);
  if (!v) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  {
    // The locale it already has is no change: the file is not written, whatever state it is in.
    Statement current = v->Prepare("SELECT value FROM volume WHERE key = 'lcid'");
    if (current && current.Step() == SQLITE_ROW && static_cast<DWORD>(current.Int(0)) == lcid) {
      v->lcid = lcid;
      return TRUE;
    }
  }
  Transaction tx(*v);
  Statement s = v->Prepare("UPDATE volume SET value = ? WHERE key = 'lcid'");
  if (!tx.ok() || !s) return SetLastError(v->Failure()), FALSE;
  s.Bind(1, lcid);
  if (s.Step() != SQLITE_DONE || !tx.Commit()) return SetLastError(v->Failure()), FALSE;
  v->lcid = lcid;
  v->NoteLocalChange();
  ++g_counts.lcidChanges;
  return TRUE;
}

CEOID CeCreateDatabaseWithProps(PCEGUID pGuid, CEDBASEINFOEX* pInfo, DWORD cPropID, CEPROPID* prgPropID) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Volume* v = FindVolume(pGuid);
  if (!v) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  if (!pInfo || !(pInfo->dwFlags & CEDB_VALIDNAME) || !pInfo->szDbaseName[0]) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  size_t nameLen = 0;
  while (nameLen < CEDB_MAXDBASENAMELEN && pInfo->szDbaseName[nameLen]) ++nameLen;
  if (nameLen >= CEDB_MAXDBASENAMELEN) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  StoredSorts sorts;
  if (pInfo->dwFlags & CEDB_VALIDSORTSPEC) {
    if (pInfo->wNumSortOrder > CEDB_MAXSORTORDER) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    sorts.count = pInfo->wNumSortOrder;
    for (WORD i = 0; i < sorts.count; ++i) {
      if (pInfo->rgSortSpecs[i].wNumProps > CEDB_MAXSORTPROP) return SetLastError(ERROR_INVALID_PARAMETER), 0;
      sorts.orders[i] = pInfo->rgSortSpecs[i];
    }
  }
  std::string name = Utf16ToUtf8(std::u16string_view(pInfo->szDbaseName, nameLen));

  Transaction tx(*v);
  if (!tx.ok()) return SetLastError(v->Failure()), 0;
  Statement exists = v->Prepare("SELECT 1 FROM databases WHERE name = ?");
  if (!exists) return SetLastError(v->Failure()), 0;
  sqlite3_bind_text(exists.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  if (exists.Step() == SQLITE_ROW) return SetLastError(ERROR_ALREADY_EXISTS), 0;
  Statement obj = v->Prepare("INSERT INTO objects(db) VALUES(0)");
  if (!obj || obj.Step() != SQLITE_DONE) return SetLastError(v->Failure()), 0;
  int64_t oid = sqlite3_last_insert_rowid(v->sql());
  if (oid <= 0 || oid > 0xFFFFFFFFll) return SetLastError(ERROR_DISK_FULL), 0;
  Statement add = v->Prepare("INSERT INTO databases(oid, name, type, sorts) VALUES(?, ?, ?, ?)");
  if (!add) return SetLastError(v->Failure()), 0;
  add.Bind(1, oid);
  sqlite3_bind_text(add.get(), 2, name.c_str(), -1, SQLITE_TRANSIENT);
  add.Bind(3, (pInfo->dwFlags & CEDB_VALIDTYPE) ? pInfo->dwDbaseType : 0);
  sqlite3_bind_blob(add.get(), 4, &sorts, sizeof(sorts), SQLITE_TRANSIENT);
  if (add.Step() != SQLITE_DONE || !tx.Commit()) return SetLastError(v->Failure()), 0;
  v->NoteLocalChange();
  return static_cast<CEOID>(oid);
}

CEOID CeCreateDatabaseEx2(PCEGUID pGuid, CEDBASEINFOEX* pInfo) { return CeCreateDatabaseWithProps(pGuid, pInfo, 0, nullptr); }

BOOL CeDeleteDatabaseEx(PCEGUID pGuid, CEOID oid) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Volume* v = FindVolume(pGuid);
  if (!v) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  Transaction tx(*v);
  if (!tx.ok()) return SetLastError(v->Failure()), FALSE;
  Statement find = v->Prepare("SELECT 1 FROM databases WHERE oid = ?");
  if (!find) return SetLastError(v->Failure()), FALSE;
  find.Bind(1, oid);
  if (find.Step() != SQLITE_ROW) return SetLastError(ERROR_FILE_NOT_FOUND), FALSE;
  for (const char* sql : {"DELETE FROM props WHERE oid IN (SELECT oid FROM objects WHERE db = ?1)",
                          "DELETE FROM objects WHERE db = ?1 OR oid = ?1", "DELETE FROM databases WHERE oid = ?1"}) {
    Statement s = v->Prepare(sql);
    if (!s) return SetLastError(v->Failure()), FALSE;
    s.Bind(1, oid);
    if (s.Step() != SQLITE_DONE) return SetLastError(v->Failure()), FALSE;
  }
  if (!v->LogChange(0, oid, DB_CEOID_DATABASE_DELETED) || !tx.Commit()) return SetLastError(v->Failure()), FALSE;
  v->NoteLocalChange();
  return TRUE;
}

HANDLE CeOpenDatabaseInSession(HANDLE hSession, PCEGUID pGuid, PCEOID poid, LPCWSTR lpszName, SORTORDERSPECEX* pSort,
                               DWORD dwFlags, CENOTIFYREQUEST* pRequest) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  if (hSession && !FindSession(hSession)) return SetLastError(ERROR_INVALID_HANDLE), INVALID_HANDLE_VALUE;
  Volume* v = FindVolume(pGuid);
  if (!v) return SetLastError(ERROR_NOT_FOUND), INVALID_HANDLE_VALUE;
  bool byOid = poid && *poid;
  if (!byOid && (!lpszName || !*lpszName)) return SetLastError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  // The phone's request is 20 bytes; here pointers make it larger. Either size is accepted.
  if (pRequest && pRequest->dwSize != 20 && pRequest->dwSize != sizeof(CENOTIFYREQUEST))
    return SetLastError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  if (pSort && pSort->wNumProps > CEDB_MAXSORTPROP) return SetLastError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;

  Statement find = byOid ? v->Prepare("SELECT oid, sorts FROM databases WHERE oid = ?")
                         : v->Prepare("SELECT oid, sorts FROM databases WHERE name = ?");
  if (!find) return SetLastError(v->Failure()), INVALID_HANDLE_VALUE;
  std::string name;
  if (byOid) {
    find.Bind(1, *poid);
  } else {
    name = NameUtf8(lpszName);
    sqlite3_bind_text(find.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  }
  int found = find.Step();
  if (found == SQLITE_DONE) return SetLastError(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
  if (found != SQLITE_ROW) return SetLastError(v->Failure()), INVALID_HANDLE_VALUE;

  auto db = std::make_shared<OpenDatabase>();
  db->volume = v->guid;
  db->db = static_cast<CEOID>(find.Int(0));
  db->openFlags = dwFlags;
  const SORTORDERSPECEX* sort = pSort;
  StoredSorts stored;
  if (!sort) {
    // No order asked for: the database's first own sort order, if it has one.
    const void* blob = sqlite3_column_blob(find.get(), 1);
    if (blob && sqlite3_column_bytes(find.get(), 1) == sizeof(StoredSorts)) std::memcpy(&stored, blob, sizeof(stored));
    if (stored.count > 0) sort = &stored.orders[0];
  }
  // Only the first key of a sort order orders records; equal keys fall back to creation order.
  if (sort && sort->wNumProps > 0) {
    db->sortProp = sort->rgPropID[0];
    db->sortFlags = sort->rgdwFlags[0];
  }
  if (pRequest) {
    db->hasRequest = true;
    db->request = *pRequest;
    db->requestAddress = pRequest;
    db->lastChangeSeen = v->LastChangeSeq();
  }
  if (poid) *poid = db->db;
  HANDLE h = AddDatabase(std::move(db));
  if (h == INVALID_HANDLE_VALUE) return SetLastError(ERROR_NOT_ENOUGH_MEMORY), INVALID_HANDLE_VALUE;
  return h;
}

BOOL CeGetDBInformationByHandle(HANDLE hDbase, PCEDBASEINFOEX pInfo) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  auto db = FindDatabase(hDbase);
  Volume* v = db ? FindVolume(&db->volume) : nullptr;
  if (!v) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
  if (!pInfo) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  Statement d = v->Prepare("SELECT name, type, sorts FROM databases WHERE oid = ?");
  Statement n = v->Prepare(
      "SELECT COUNT(*), (SELECT COALESCE(SUM(LENGTH(p.value)), 0) FROM props p JOIN objects o ON o.oid = p.oid "
      "WHERE o.db = ?1) FROM objects WHERE db = ?1");
  if (!d || !n) return SetLastError(ERROR_NOT_ENOUGH_MEMORY), FALSE;
  d.Bind(1, db->db);
  n.Bind(1, db->db);
  for (int rc : {d.Step(), n.Step()}) {
    // No row: the database is gone; an error: the file could not be read.
    if (rc != SQLITE_ROW) return SetLastError(rc == SQLITE_DONE ? ERROR_INVALID_HANDLE : ErrorFromSqlite(rc)), FALSE;
  }
  CEDBASEINFOEX info{};
  info.wVersion = CEDBASEINFOEX_VERSION;
  info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC;
  std::u16string name = Utf8ToUtf16(reinterpret_cast<const char*>(sqlite3_column_text(d.get(), 0)));
  StringCchCopyW(info.szDbaseName, CEDB_MAXDBASENAMELEN, name.c_str());
  info.dwDbaseType = static_cast<DWORD>(d.Int(1));
  StoredSorts sorts;
  const void* blob = sqlite3_column_blob(d.get(), 2);
  if (blob && sqlite3_column_bytes(d.get(), 2) == sizeof(StoredSorts)) std::memcpy(&sorts, blob, sizeof(sorts));
  info.wNumSortOrder = sorts.count;
  for (WORD i = 0; i < sorts.count && i < CEDB_MAXSORTORDER; ++i) info.rgSortSpecs[i] = sorts.orders[i];
  info.dwNumRecords = static_cast<DWORD>(n.Int(0));
  info.dwSize = static_cast<DWORD>(std::min<int64_t>(n.Int(1), 0xFFFFFFFFll));
  *pInfo = info;
  return TRUE;
}
