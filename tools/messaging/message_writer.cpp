#include "messaging/message_writer.h"

#include <cstdio>
#include <cstring>

#include "aygshell.h"
#include "platform/base/text.h"
#include "store/record_store.h"

namespace parlo_device {
namespace {

// The phone's message identifier: the time to the second and a three-digit sequence that keeps
// identifiers unique when several messages share a second.
std::u16string MessageIdFor(HANDLE db, const SYSTEMTIME& t) {
  char stamp[32];
  std::snprintf(stamp, sizeof(stamp), "%04d%02d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  std::u16string prefix = platform::Utf8ToUtf16(stamp);
  int next = 0;
  ForEachRecord(db, [&](CEOID, const CEPROPVAL* v, WORD n) {
    for (WORD i = 0; i < n; ++i)
      if (v[i].propid == PROP_MESSAGE_ID && !(v[i].wFlags & CEDB_PROPNOTFOUND) && v[i].val.lpwstr) {
        std::u16string id = v[i].val.lpwstr;
        // Another program's identifier may end in anything: only three digits count.
        auto digit = [&](size_t k) { return id[k] >= u'0' && id[k] <= u'9'; };
        if (id.size() == 17 && id.compare(0, 14, prefix) == 0 && digit(14) && digit(15) && digit(16)) {
          int seq = (id[14] - u'0') * 100 + (id[15] - u'0') * 10 + (id[16] - u'0');
          if (seq >= next) next = seq + 1;
        }
      }
  });
  if (next > 999) throw UsageError{"too many messages in one second"};
  char seq[12];  // room for any int, though `next` is 0..999 here
  std::snprintf(seq, sizeof(seq), "%03d", next);
  return prefix + platform::Utf8ToUtf16(seq);
}

CEOID Write(HANDLE db, const NewMessage& m, short read, short kind, short aux, short mmsFlag) {
  std::u16string id = MessageIdFor(db, m.time);
  FILETIME ft{};
  SystemTimeToFileTime(&m.time, &ft);
  CEPROPVAL v[8];
  std::memset(v, 0, sizeof(v));
  v[0].propid = PROP_TIME;
  v[0].val.filetime = ft;
  v[1].propid = PROP_NUMBER;
  v[1].val.lpwstr = const_cast<LPWSTR>(m.number.c_str());
  v[2].propid = PROP_TEXT;
  v[2].val.lpwstr = const_cast<LPWSTR>(m.text.c_str());
  v[3].propid = PROP_READ;
  v[3].val.iVal = read;
  v[4].propid = PROP_MESSAGE_ID;
  v[4].val.lpwstr = const_cast<LPWSTR>(id.c_str());
  v[5].propid = PROP_KIND;
  v[5].val.iVal = kind;
  v[6].propid = PROP_AUX_FLAG;
  v[6].val.iVal = aux;
  v[7].propid = PROP_MMS_FLAG;
  v[7].val.iVal = mmsFlag;
  CEOID oid = CeWriteRecordProps(db, 0, 8, v);
  if (!oid) throw UsageError{"cannot write the message: " + StoreProblem(GetLastError())};
  return oid;
}

int CountUnread(HANDLE recv) {
  int unread = 0;
  ForEachRecord(recv, [&](CEOID, const CEPROPVAL* v, WORD n) {
    for (WORD i = 0; i < n; ++i)
      if (v[i].propid == PROP_READ && !(v[i].wFlags & CEDB_PROPNOTFOUND) && v[i].val.iVal == 0) ++unread;
  });
  return unread;
}

}  // namespace

CEOID WriteReceived(Store& store, const NewMessage& m, bool read) {
  return Write(store.recv(), m, read ? 1 : 0, m.mms ? 1 : 0, 0, 0);
}

CEOID WriteSent(Store& store, const NewMessage& m) { return Write(store.send(), m, 1, m.mms ? 3 : 2, 1, 1); }

// The phone's messaging software keeps the system's unread count and the new-message bubble.
void PublishUnread(HANDLE recv, bool announce) {
  DWORD unread = static_cast<DWORD>(CountUnread(recv));
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUnreadStateKey, 0, nullptr, 0, 0, nullptr, &key, &disposition) != ERROR_SUCCESS)
    throw UsageError{"cannot write the unread count to the registry"};
  LONG a = RegSetValueExW(key, kUnreadValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&unread), sizeof(unread));
  LONG b = RegSetValueExW(key, kUnreadCountValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&unread), sizeof(unread));
  RegCloseKey(key);
  if (a != ERROR_SUCCESS || b != ERROR_SUCCESS) throw UsageError{"cannot write the unread count to the registry"};
  if (unread == 0) {
    SHNotificationRemove(&UNREAD_NOTIFICATION_CLSID, UNREAD_NOTIFICATION_ID);
  } else if (announce) {
    std::u16string html = u"<p>" + platform::Utf8ToUtf16(std::to_string(unread)) + u" new message(s)</p>";
    SHNOTIFICATIONDATA n;
    std::memset(&n, 0, sizeof(n));
    n.cbStruct = sizeof(n);
    n.dwID = UNREAD_NOTIFICATION_ID;
    n.npPriority = SHNP_INFORM;
    n.csDuration = 15;
    n.clsid = UNREAD_NOTIFICATION_CLSID;
    n.pszTitle = u"New message";
    n.pszHTML = html.c_str();
    SHNotificationAdd(&n);
  }
}

}  // namespace parlo_device
