// Writing sent messages, marking read, deleting, and publishing the unread count.
#include <cstring>
#include <string>

#include "aygshell.h"
#include "store/record_store.h"
#include "store/text_normalize.h"

namespace {

CEPROPVAL ShortValue(CEPROPID id, short v) {
  CEPROPVAL p;
  std::memset(&p, 0, sizeof(p));
  p.propid = id;
  p.val.iVal = v;
  return p;
}

CEPROPVAL TextValue(CEPROPID id, const WCHAR* text) {
  CEPROPVAL p;
  std::memset(&p, 0, sizeof(p));
  p.propid = id;
  p.val.lpwstr = const_cast<LPWSTR>(text);
  return p;
}

}  // namespace

bool RecordStore::WriteSentRecord(int index, const WCHAR* number, const WCHAR* text, int part, MessageRecord* record) {
  if (!record) return false;
  if (!number) number = u"";
  if (!text) text = u"";
  record->dbIndex = index;

  SYSTEMTIME st;
  GetLocalTime(&st);  // one reading for the stored time, the record's time and the identifier
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  SystemTimeToVariantTime(&st, &record->time);
  StringCchPrintfW(record->timeText, kFieldChars, u"%02d/%02d %02d:%02d", st.wMonth, st.wDay, st.wHour, st.wMinute);

  StringCchCopyW(record->number, kFieldChars, number);
  StringCchCopyW(record->text, kTextChars, WrapText(text).c_str());
  record->isRead = 1;
  WCHAR messageId[64];
  StringCchPrintfW(messageId, 64, u"%04d%02d%02d%02d%02d%02d%03d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                   st.wSecond, part);
  StringCchCopyW(record->messageId, kFieldChars, messageId);
  record->isMms = 0;
  record->mmsFlag = 1;

  CEPROPVAL values[8];
  std::memset(values, 0, sizeof(values));
  values[0].propid = PROP_TIME;
  values[0].val.filetime = ft;
  values[1] = TextValue(PROP_NUMBER, number);
  values[2] = TextValue(PROP_TEXT, text);
  values[3] = ShortValue(PROP_READ, 1);
  values[4] = TextValue(PROP_MESSAGE_ID, messageId);
  values[5] = ShortValue(PROP_KIND, 2);
  values[6] = ShortValue(PROP_MMS_FLAG, 1);
  values[7] = ShortValue(PROP_AUX_FLAG, 1);
  CEOID oid = CeWriteRecordProps(DatabaseHandle(index), 0, 8, values);
  if (!oid) return false;
  record->oid = oid;
  return true;
}

StoreError RecordStore::UpdateRecord(int index, MessageRecord* record, bool remove) {
  HANDLE db = DatabaseHandle(index);
  if (!record || db == INVALID_HANDLE_VALUE) return StoreError::kRecordMissing;
  if (!CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, record->oid, 0, nullptr)) return StoreError::kRecordMissing;
  if (remove) {
    if (!CeDeleteRecord(db, record->oid)) return StoreError::kDeleteFailed;
  } else {
    LPBYTE buffer = nullptr;
    DWORD size = 0;
    WORD count = 0;
    if (CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size, nullptr)) {
      auto* values = reinterpret_cast<CEPROPVAL*>(buffer);
      for (WORD i = 0; i < count; ++i) {
        if (values[i].propid == PROP_READ) {
          values[i].val.iVal = 1;
          record->isRead = 1;
        } else if (values[i].propid == PROP_AUX_FLAG) {
          // Undo the inversion applied when a sent record was read, so the stored value stays.
          values[i].val.iVal = static_cast<short>(index == DB_SEND ? (~record->auxFlag) & 1 : record->auxFlag);
        }
      }
      CeWriteRecordProps(db, record->oid, count, values);
    }
    LocalFree(buffer);
  }
  return PublishUnreadCount();
}

StoreError RecordStore::DeleteAllRecords(int index) {
  HANDLE db = DatabaseHandle(index);
  if (db == INVALID_HANDLE_VALUE) return StoreError::kRecordMissing;
  if (!CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) return StoreError::kRecordMissing;
  LPBYTE buffer = nullptr;
  DWORD size = 0;
  bool allDeleted = true;
  for (;;) {
    WORD count = 0;
    // Each read moves on to the next record, so deleting the one just read keeps the walk going.
    CEOID oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size, nullptr);
    if (!oid) break;
    if (!CeDeleteRecord(db, oid)) allDeleted = false;
  }
  LocalFree(buffer);
  const StoreError published = PublishUnreadCount();
  return allDeleted ? published : StoreError::kDeleteAllFailed;
}

int RecordStore::CountUnread(int index) {
  HANDLE db = DatabaseHandle(index);
  if (db == INVALID_HANDLE_VALUE) return 0;
  if (!CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) return 0;
  LPBYTE buffer = nullptr;
  DWORD size = 0;
  int unread = 0;
  CEPROPID readFlag = PROP_READ;
  for (;;) {
    WORD count = 1;
    if (!CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, &readFlag, &buffer, &size, nullptr)) break;
    auto* value = reinterpret_cast<const CEPROPVAL*>(buffer);
    // A record without a read flag has no value to count.
    if (count == 1 && !(value->wFlags & CEDB_PROPNOTFOUND) && static_cast<short>(value->val.iVal) == 0) ++unread;
  }
  LocalFree(buffer);
  return unread;
}

StoreError RecordStore::PublishUnreadCount() {
  // Only received messages are ever unread, so a change to the sent database counts them too.
  DWORD unread = static_cast<DWORD>(CountUnread(DB_RECV));
  if (unread == 0) SHNotificationRemove(&UNREAD_NOTIFICATION_CLSID, UNREAD_NOTIFICATION_ID);
  StoreError error = StoreError::kNone;
  SetStateDword(kUnreadStateKey, kUnreadValue, unread, &error);
  // The second value is written even when the first failed; the first failure is the one told.
  StoreError second = StoreError::kNone;
  SetStateDword(kUnreadStateKey, kUnreadCountValue, unread, &second);
  return error != StoreError::kNone ? error : second;
}

DWORD RecordStore::SetStateDword(const WCHAR* key, const WCHAR* valueName, DWORD value, StoreError* error) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_WRITE, &handle) != ERROR_SUCCESS) {
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, 0, nullptr, &handle, &disposition) != ERROR_SUCCESS) {
      if (error) *error = StoreError::kStateKeyFailed;
      return 0;
    }
  }
  if (RegSetValueExW(handle, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) !=
      ERROR_SUCCESS) {
    if (error) *error = StoreError::kStateValueFailed;
    RegCloseKey(handle);
    return 0;
  }
  RegCloseKey(handle);
  return value;
}
