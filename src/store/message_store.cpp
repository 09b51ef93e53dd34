// MessageStore: the single store object, mounting the volume and opening the databases.
#include "store/message_store.h"

#include <cstring>

#include "winuser_ui.h"

const CLSID UNREAD_NOTIFICATION_CLSID = {0x592A0D12, 0xF0AC, 0x411B, {0xA1, 0x75, 0x8B, 0x34, 0x82, 0x38, 0xF1, 0xFD}};
const WCHAR kUnreadStateKey[] = u"\\System\\State\\Messages\\SMS\\Unread";
const WCHAR kDefaultStorePath[] = u"\\MITs Store\\MMS\\mms.edb";

namespace {

MessageStore* g_store = nullptr;

const WCHAR* const kDatabaseNames[kDbCount] = {u"\\RECV_MSG", u"\\SEND_MSG", u"\\MMS_CONTENTS"};

const WCHAR* OpenErrorText(DWORD error) {
  switch (error) {
    case 2: return u"The database specified by either poid or lpwszName does not exist.";
    case 6: return u"The hSession parameter is equal to INVALID_HANDLE_VALUE.";
    case 8: return u"There is not enough memory to allocate the database handle.";
    case 87: return u"One or more parameters are invalid.";
    case 1168: return u"The volume specified by pGuid does not exist.";
  }
  return u"unknown-error";
}

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

MessageStore* MessageStore::Instance() {
  if (!g_store) g_store = new MessageStore();
  return g_store;
}

void MessageStore::Destroy() {
  delete g_store;
  g_store = nullptr;
}

MessageStore::~MessageStore() {
  // Destroying the store releases the model's records; the stored messages stay.
  for (auto& entry : conversations)
    for (MessageRecord* record : entry.second) delete record;
  // The open database keeps its own copy of the request, so it can go with the store.
  delete request_;
}

void MessageStore::SetStorePath(const WCHAR* path) { StringCchCopyW(storePath_, kPathChars, path ? path : u""); }

HANDLE MessageStore::DatabaseHandle(int index) const {
  return index >= 0 && index < kDbCount ? handles_[index] : INVALID_HANDLE_VALUE;
}

bool MessageStore::OpenStore(HWND notifyWindow) {
  notifyWindow_ = notifyWindow;
  mounted_ = 0;
  if (!request_) request_ = new CENOTIFYREQUEST;
  std::memset(request_, 0, sizeof(*request_));
  request_->dwSize = 20;  // the phone's size of the request
  request_->hwnd = notifyWindow;
  request_->dwFlags = CEDB_EXNOTIFICATION;
  request_->hHeap = nullptr;
  request_->dwParam = 0;
  for (HANDLE& h : handles_) h = INVALID_HANDLE_VALUE;
  if (!MountVolume(storePath_[0] ? storePath_ : kDefaultStorePath)) return false;
  if (!OpenDatabase(DB_RECV)) return false;
  return OpenDatabase(DB_SEND);
}

bool MessageStore::MountVolume(const WCHAR* path) {
  if (mounted_) return true;
  CEVOLUMEOPTIONS options;
  std::memset(&options, 0, sizeof(options));
  options.wVersion = 1;
  options.cbBufferPool = 0x40000;
  options.dwFlags = CEDB_BUFFERPOOL;
  std::memset(&volume_, 0, sizeof(volume_));
  mounted_ = CeMountDBVolEx(&volume_, path, &options, 0x80000000 | OPEN_EXISTING) ? 1 : 0;
  // Korean collation; tried even when the mount failed, as the phone's program does.
  CeChangeDatabaseLCID(&volume_, HexValue(u"0412"));
  return mounted_ != 0;
}

bool MessageStore::OpenDatabase(int index) {
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
                                            index == DB_RECV ? request_ : nullptr);
  if (handles_[index] != INVALID_HANDLE_VALUE) return true;

  WCHAR text[512];
  StringCchCopyW(text, 512, OpenErrorText(GetLastError()));
  MessageBoxW(nullptr, text, u"ERROR", MB_OK);
  return false;
}

bool MessageStore::FreeNotification(CENOTIFICATION* notification) {
  return CeFreeNotification(request_, notification) != FALSE;
}
