#include "store/store_error.h"

const WCHAR* StoreErrorText(StoreError error) {
  switch (error) {
    case StoreError::kDeleteFailed: return u"[Error 02]Can't Delete SMS Message from DB!!";
    case StoreError::kDeleteAllFailed: return u"[Error 01]Can't Delete SMS Message from DB!!";
    case StoreError::kStateKeyFailed: return u"[Error]Can't open Column Size Registry!!";
    case StoreError::kStateValueFailed: return u"[Error]Can't Write Column Size to Registry!!";
    case StoreError::kNone:
    case StoreError::kRecordMissing: break;
  }
  return nullptr;
}

const WCHAR* OpenErrorText(DWORD error) {
  switch (error) {
    case 2: return u"The database specified by either poid or lpwszName does not exist.";
    case 6: return u"The hSession parameter is equal to INVALID_HANDLE_VALUE.";
    case 8: return u"There is not enough memory to allocate the database handle.";
    case 87: return u"One or more parameters are invalid.";
    case 1168: return u"The volume specified by pGuid does not exist.";
    case ERROR_INTERNAL_DB_CORRUPTION: return u"The message database is damaged; it was left as it is.";
  }
  return u"unknown-error";
}
