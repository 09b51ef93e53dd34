// Mounting the volume and opening the databases.
#include "store/record_store.h"

#include <cstring>
#include <initializer_list>

#include "settings/settings.h"

namespace {

const WCHAR* const kDatabaseNames[kDbCount] = {u"\\RECV_MSG", u"\\SEND_MSG", u"\\MMS_CONTENTS"};

// The locale is given as text, as the phone's own settings hold it.
DWORD HexValue(const WCHAR* text) {
  DWORD v = 0;
  for (; *text; ++text) {
    WCHAR c = *text;
    int d = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
    if (d < 0) break;
    v = v * 16 + static_cast<DWORD>(d);
  }
  return v;
}

}  // namespace

void RecordStore::SetStorePath(const WCHAR* path) { StringCchCopyW(storePath_, kPathChars, path ? path : u""); }

HANDLE RecordStore::DatabaseHandle(int index) const {
  return index >= 0 && index < kDbCount ? handles_[index] : INVALID_HANDLE_VALUE;
}

bool RecordStore::OpenStore(HWND notifyWindow, DWORD* openError) {
  if (openError) *openError = 0;
  mounted_ = 0;
  damaged_ = false;
  std::memset(&request_, 0, sizeof(request_));
  request_.dwSize = 20;  // the phone's size of the request
  request_.hwnd = notifyWindow;
  request_.dwFlags = CEDB_EXNOTIFICATION;
  for (HANDLE& h : handles_) h = INVALID_HANDLE_VALUE;
  if (!MountVolume(storePath_[0] ? storePath_ : kDefaultStorePath)) {
    // A phone without a message volume is quiet about it; a damaged one is not.
    if (openError && GetLastError() == ERROR_INTERNAL_DB_CORRUPTION) *openError = ERROR_INTERNAL_DB_CORRUPTION;
    return false;
  }
  for (int index : {DB_RECV, DB_SEND}) {
    if (!OpenDatabase(index)) {
      if (openError) *openError = GetLastError();
      return false;
    }
  }
  return true;
}

bool RecordStore::MountVolume(const WCHAR* path) {
  if (mounted_) return true;
  CEVOLUMEOPTIONS options;
  std::memset(&options, 0, sizeof(options));
  options.wVersion = 1;
  options.cbBufferPool = 0x40000;
  options.dwFlags = CEDB_BUFFERPOOL;
  std::memset(&volume_, 0, sizeof(volume_));
  mounted_ = CeMountDBVolEx(&volume_, path, &options, 0x80000000 | OPEN_EXISTING) ? 1 : 0;
  const DWORD mountError = GetLastError();
  // Korean collation; tried even when the mount failed, as the phone's own software does.
  CeChangeDatabaseLCID(&volume_, HexValue(u"0412"));
  if (!mounted_) SetLastError(mountError);  // why the mount failed, not why the locale did
  return mounted_ != 0;
}

bool RecordStore::OpenDatabase(int index) {
  if (index < 0 || index >= kDbCount) return false;
  if (handles_[index] != INVALID_HANDLE_VALUE) return true;
  WCHAR name[kPathChars];
  StringCchCopyW(name, kPathChars, kDatabaseNames[index]);

  SORTORDERSPECEX sort;
  std::memset(&sort, 0, sizeof(sort));
  sort.wVersion = 2;
  sort.wNumProps = 1;
  sort.wKeyFlags = 0;
  sort.rgPropID[0] = PROP_MESSAGE_ID;
  sort.rgdwFlags[0] = CEDB_SORT_DESCENDING;

  CEOID oid = 0;
  handles_[index] = CeOpenDatabaseInSession(nullptr, &volume_, &oid, name, &sort, CEDB_AUTOINCREMENT,
                                            index == DB_RECV ? &request_ : nullptr);
  return handles_[index] != INVALID_HANDLE_VALUE;
}

bool RecordStore::FreeNotification(CENOTIFICATION* notification) {
  return CeFreeNotification(&request_, notification) != FALSE;
}
