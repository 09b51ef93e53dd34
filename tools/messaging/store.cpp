#include "messaging/store.h"

#include <cstring>

#include "platform/base/text.h"
#include "platform/db/db.h"
#include "settings/settings.h"
#include "store/message_record.h"

namespace parlo_device {
std::string StoreProblem(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "the device has no message store yet (run parlo-device init first)";
    case ERROR_BADDB: return "the message store file is not a message database; left as it is";
    case ERROR_INTERNAL_DB_CORRUPTION: return "the message store is damaged; left as it is";
    case ERROR_ACCESS_DENIED: return "the message store is read-only, or another program holds it too long";
    case ERROR_DISK_FULL: return "the disk is full";
    case ERROR_NOT_ENOUGH_MEMORY: return "out of memory";
  }
  return "message store error " + std::to_string(error);
}

Store::Store(bool create) {
  if (!CeMountDBVolEx(&guid_, kDefaultStorePath, nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING))
    throw UsageError{StoreProblem(GetLastError())};
  mounted_ = true;
  // A Korean phone's message volume sorts in Korean; the program asks for the same at every start.
  if (create) CeChangeDatabaseLCID(&guid_, 0x0412);
  session_ = CeCreateSession(&guid_);
  if (session_ == INVALID_HANDLE_VALUE) throw UsageError{StoreProblem(GetLastError())};
  for (const char16_t* name : {u"\\RECV_MSG", u"\\SEND_MSG"}) {
    if (create) Create(name);
    handles_.push_back(Open(name));
  }
}

Store::~Store() {
  for (HANDLE h : handles_) platform::db::CloseDatabaseHandle(h);
  // Closing the session gives up a change that was not committed.
  if (session_ != INVALID_HANDLE_VALUE) platform::db::CloseDatabaseHandle(session_);
  if (mounted_) CeUnmountDBVol(&guid_);
}

HANDLE Store::Extra(const char16_t* name) {
  Create(name);
  handles_.push_back(Open(name));
  return handles_.back();
}

void Store::Begin() {
  if (!CeBeginTransaction(session_, CEDB_ISOLEVEL_SERIALIZABLE)) throw UsageError{StoreProblem(GetLastError())};
}

void Store::Commit() {
  if (!CeEndTransaction(session_, TRUE)) throw UsageError{StoreProblem(GetLastError())};
}

void Store::Create(const char16_t* name) {
  CEDBASEINFOEX info;
  std::memset(&info, 0, sizeof(info));
  info.wVersion = CEDBASEINFOEX_VERSION;
  info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDSORTSPEC;
  StringCchCopyW(info.szDbaseName, CEDB_MAXDBASENAMELEN, name);
  info.wNumSortOrder = 1;
  info.rgSortSpecs[0].wVersion = SORTORDERSPECEX_VERSION;
  info.rgSortSpecs[0].wNumProps = 1;
  info.rgSortSpecs[0].rgPropID[0] = PROP_MESSAGE_ID;
  info.rgSortSpecs[0].rgdwFlags[0] = CEDB_SORT_DESCENDING;
  if (!CeCreateDatabaseEx2(&guid_, &info) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw UsageError{"cannot create " + platform::Utf16ToUtf8(name) + ": " + StoreProblem(GetLastError())};
}

HANDLE Store::Open(const char16_t* name) {
  CEOID oid = 0;
  HANDLE h = CeOpenDatabaseInSession(session_, &guid_, &oid, name, nullptr, CEDB_AUTOINCREMENT, nullptr);
  if (h != INVALID_HANDLE_VALUE) return h;
  if (GetLastError() == ERROR_FILE_NOT_FOUND)
    throw UsageError{"the message store has no " + platform::Utf16ToUtf8(name)};
  throw UsageError{StoreProblem(GetLastError())};
}

}  // namespace parlo_device
