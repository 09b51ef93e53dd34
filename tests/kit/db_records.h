// Making a database and reading a record's values back through the database API alone, as the
// phone's own software would: shared by the tests of the database layer and of the message store.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "strsafe.h"
#include "winbase.h"
#include "windbase.h"

namespace parlo_test {

// Creates database `name` on the volume `guid`, kept in the order `sort`; its oid, 0 when refused.
inline CEOID CreateDatabase(CEGUID* guid, const char16_t* name, const SORTORDERSPECEX& sort) {
  CEDBASEINFOEX info{};
  info.wVersion = CEDBASEINFOEX_VERSION;
  info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC;
  StringCchCopyW(info.szDbaseName, CEDB_MAXDBASENAMELEN, name);
  info.wNumSortOrder = 1;
  info.rgSortSpecs[0] = sort;
  return CeCreateDatabaseEx2(guid, &info);
}

// One record as read: its oid (0 when none was read) and its values in the order read.
struct ReadRecord {
  CEOID oid = 0;
  std::vector<CEPROPVAL> values;      // texts and blobs pointed into a freed buffer: zeroed here
  std::vector<std::u16string> texts;  // the text of each value, "" for others
  std::vector<std::string> blobs;     // the bytes of each blob value, "" for others
};

// Reads the current record of `db`: the `listCount` properties of `list`, or all of them.
inline ReadRecord ReadCurrent(HANDLE db, CEPROPID* list = nullptr, WORD listCount = 0) {
  ReadRecord r;
  LPBYTE buf = nullptr;
  DWORD size = 0;
  WORD count = listCount;
  r.oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, list, &buf, &size, nullptr);
  for (WORD i = 0; r.oid && i < count; ++i) {
    CEPROPVAL v = reinterpret_cast<CEPROPVAL*>(buf)[i];
    const bool found = !(v.wFlags & CEDB_PROPNOTFOUND), text = found && TypeFromPropID(v.propid) == CEVT_LPWSTR,
               blob = found && TypeFromPropID(v.propid) == CEVT_BLOB;
    r.texts.push_back(text ? std::u16string(v.val.lpwstr) : std::u16string());
    r.blobs.push_back(blob ? std::string(reinterpret_cast<char*>(v.val.blob.lpb), v.val.blob.dwCount) : "");
    if (text || blob) std::memset(&v.val, 0, sizeof(CEVALUNION));
    r.values.push_back(v);
  }
  LocalFree(buf);
  return r;
}

// Seeks record `oid` of `db` and reads it; nothing (0 oid) when there is no such record.
inline ReadRecord ReadAt(HANDLE db, CEOID oid, CEPROPID* list = nullptr, WORD listCount = 0) {
  return CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr) ? ReadCurrent(db, list, listCount) : ReadRecord{};
}

}  // namespace parlo_test
