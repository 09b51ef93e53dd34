// Reading stored messages into MessageRecords, by object identifier or by position.
#include <cstring>
#include <string>

#include "store/record_store.h"
#include "store/text_normalize.h"

namespace {

void CopyField(WCHAR* field, size_t chars, const std::u16string& value) { StringCchCopyW(field, chars, value.c_str()); }

std::u16string TextOf(const CEPROPVAL& value) {
  return value.val.lpwstr ? std::u16string(value.val.lpwstr) : std::u16string();
}

}  // namespace

void RecordStore::NoteFailure() {
  if (GetLastError() == ERROR_INTERNAL_DB_CORRUPTION) damaged_ = true;
}

int RecordStore::CountRecords(int index) {
  HANDLE db = DatabaseHandle(index);
  if (db == INVALID_HANDLE_VALUE) return 0;
  CEDBASEINFOEX info;
  std::memset(&info, 0, sizeof(info));
  info.wVersion = 2;
  if (!CeGetDBInformationByHandle(db, &info)) {
    NoteFailure();
    return 0;
  }
  return static_cast<int>(info.dwNumRecords);
}

void RecordStore::ApplyProperty(int index, const CEPROPVAL& value, MessageRecord* record) {
  if (value.wFlags & CEDB_PROPNOTFOUND) return;
  bool sent = index == DB_SEND;
  switch (value.propid) {
    case PROP_TIME: {
      SYSTEMTIME st;
      if (!FileTimeToSystemTime(&value.val.filetime, &st)) return;
      SystemTimeToVariantTime(&st, &record->time);
      StringCchPrintfW(record->timeText, kFieldChars, u"%02d/%02d %02d:%02d", st.wMonth, st.wDay, st.wHour,
                       st.wMinute);
      break;
    }
    case PROP_NUMBER: {
      std::u16string number = TrimNumber(TextOf(value));
      std::erase(number, u'-');
      CopyField(record->number, kFieldChars, number);
      break;
    }
    case PROP_TEXT:
      CopyField(record->text, kTextChars, textMode_ == 0 ? WrapText(TextOf(value)) : TextOf(value));
      break;
    case PROP_READ:
      record->isRead = sent ? 1 : value.val.iVal;
      break;
    case PROP_MESSAGE_ID:
      CopyField(record->messageId, kFieldChars, TextOf(value));
      break;
    case PROP_KIND:
      record->isMms = sent ? (value.val.iVal == 3 ? 1 : 0) : value.val.iVal;
      break;
    case PROP_AUX_FLAG:
      record->auxFlag = sent ? (~value.val.iVal) & 1 : value.val.iVal;
      break;
    case PROP_MMS_FLAG:
      record->mmsFlag = value.val.iVal;
      break;
  }
}

// Reads every property of the database's current record into `record`.
bool RecordStore::ReadCurrent(int index, HANDLE db, MessageRecord* record, CEOID* oid) {
  LPBYTE buffer = nullptr;
  DWORD size = 0;
  WORD count = 0;
  *oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size, GetProcessHeap());
  if (!*oid) {
    NoteFailure();
    LocalFree(buffer);
    return false;
  }
  record->dbIndex = index;
  auto* values = reinterpret_cast<const CEPROPVAL*>(buffer);
  for (WORD i = 0; i < count; ++i) ApplyProperty(index, values[i], record);
  LocalFree(buffer);
  return true;
}

bool RecordStore::ReadRecordById(int index, MessageRecord* record) {
  HANDLE db = DatabaseHandle(index);
  if (!record || db == INVALID_HANDLE_VALUE) return false;
  if (!CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, record->oid, 0, nullptr)) return false;
  CEOID oid;
  return ReadCurrent(index, db, record, &oid);
}

bool RecordStore::ReadRecordAt(int index, int position, MessageRecord* record) {
  HANDLE db = DatabaseHandle(index);
  if (!record || db == INVALID_HANDLE_VALUE || position < 0) return false;
  if (!CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, static_cast<DWORD>(position), 0, nullptr)) {
    NoteFailure();
    return false;
  }
  CEOID oid;
  if (!ReadCurrent(index, db, record, &oid)) return false;
  record->oid = oid;
  return true;
}
