// The phone's messaging software: receiving, recording sent messages, deleting, listing, and
// the demo store of a fresh device. Only init creates the store.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "aygshell.h"
#include "commands.h"
#include "arguments.h"
#include "store.h"
#include "platform/base/clock.h"
#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/db/db.h"
#include "platform/device/shell/shell_notifications.h"
#include "settings/settings.h"
#include "store/record_store.h"
#include "windbase.h"
#include "windows.h"

namespace parlo_device {
namespace {

// The limits of the program's record buffers, less their terminators.
constexpr size_t kMaxText = kTextChars - 1, kMaxNumber = kFieldChars - 1;

std::string TimeText(const FILETIME& ft) {
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&ft, &st)) return "";
  char text[36];  // six fields of up to five digits each, five separators
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond);
  return text;
}

nlohmann::json ValueJson(const CEPROPVAL& v) {
  switch (TypeFromPropID(v.propid)) {
    case CEVT_I2: return v.val.iVal;
    case CEVT_UI2: return v.val.uiVal;
    case CEVT_I4: return v.val.lVal;
    case CEVT_UI4: return v.val.ulVal;
    case CEVT_BOOL: return v.val.boolVal != 0;
    case CEVT_R8: return v.val.dblVal;
    case CEVT_FILETIME: return TimeText(v.val.filetime);
    case CEVT_LPWSTR: return platform::Utf16ToUtf8(v.val.lpwstr ? v.val.lpwstr : u"");
    case CEVT_BLOB: {
      std::string hex;
      char b[3];
      for (DWORD i = 0; i < v.val.blob.dwCount; ++i) {
        std::snprintf(b, sizeof(b), "%02x", v.val.blob.lpb[i]);
        hex += b;
      }
      return hex;
    }
  }
  return nullptr;
}

std::string PropKey(CEPROPID id) {
  char key[16];
  std::snprintf(key, sizeof(key), "0x%08X", id);
  return key;
}

int CountUnread(HANDLE recv) {
  int unread = 0;
  ForEachRecord(recv, [&](CEOID, const CEPROPVAL* v, WORD n) {
    for (WORD i = 0; i < n; ++i)
      if (v[i].propid == PROP_READ && !(v[i].wFlags & CEDB_PROPNOTFOUND) && v[i].val.iVal == 0) ++unread;
  });
  return unread;
}

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

// A message as the phone's software stores it, checked before anything is written.
struct NewMessage {
  std::u16string number, text, id;
  SYSTEMTIME time{};
  bool mms = false;
};

// `at` is null when no time was given (now); an empty one is a bad time like any other.
NewMessage Prepare(const std::string& number, const std::string& text, const char* at, bool mms) {
  NewMessage m;
  m.number = Wide(number, "the number");
  m.text = Wide(text, "the text");
  m.mms = mms;
  if (m.number.size() > kMaxNumber) throw UsageError{"the number is longer than 31 characters"};
  if (m.text.size() > kMaxText) throw UsageError{"the text is longer than 259 characters"};
  if (m.number.find(u'\0') != std::u16string::npos || m.text.find(u'\0') != std::u16string::npos)
    throw UsageError{"the number or text holds a NUL character"};
  if (at) {
    if (!IsTimeShape(at) || !platform::clock::ParseLocalTime(at, &m.time))
      throw UsageError{"--at wants a local time as \"YYYY-MM-DD HH:MM:SS\", not \"" + std::string(at) + "\""};
  } else {
    GetLocalTime(&m.time);
    m.time.wMilliseconds = 0;
  }
  return m;
}

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

CEOID Receive(Store& store, const NewMessage& m, bool read = false) {
  return Write(store.recv(), m, read ? 1 : 0, m.mms ? 1 : 0, 0, 0);
}

CEOID RecordSent(Store& store, const NewMessage& m) { return Write(store.send(), m, 1, m.mms ? 3 : 2, 1, 1); }

void PrintOid(CEOID oid, const char* db) {
  nlohmann::json out = {{"oid", oid}, {"db", db}};
  std::puts(out.dump().c_str());
}

std::string MessageLines(HANDLE db, const char* name) {
  std::string lines;
  ForEachRecord(db, [&](CEOID oid, const CEPROPVAL* v, WORD n) {
    nlohmann::json props = nlohmann::json::object();
    for (WORD i = 0; i < n; ++i) props[PropKey(v[i].propid)] = ValueJson(v[i]);
    nlohmann::json line = {{"oid", oid}, {"db", name}, {"props", props}};
    lines += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  });
  return lines;
}

}  // namespace

void AddMessageCommands(CLI::App& app) {
  struct Args {
    std::string number, text, at, db;
    bool mms = false;
    std::string oid;
  };
  auto args = std::make_shared<Args>();

  CLI::App* receive = app.add_subcommand("receive", "the phone receives a message (unread, in \\RECV_MSG)");
  receive->add_option("--from", args->number, "the sender's number")->required();
  receive->add_flag("--mms", args->mms, "a multimedia message");
  receive->add_option("--at", args->at, "local time \"YYYY-MM-DD HH:MM:SS\" (default: now)");
  receive->add_option("text", args->text, "the message text")->required();
  receive->callback([args, receive] {
    NewMessage m = Prepare(args->number, args->text, receive->count("--at") ? args->at.c_str() : nullptr, args->mms);
    Store store(false);
    // The identifier is chosen and written, and the count published, as one change.
    store.Begin();
    CEOID oid = Receive(store, m);
    PublishUnread(store.recv(), true);
    store.Commit();
    PrintOid(oid, "recv");
  });

  CLI::App* sent = app.add_subcommand("record-sent", "other software on the phone sent a message (in \\SEND_MSG)");
  sent->add_option("--to", args->number, "the recipient's number")->required();
  sent->add_flag("--mms", args->mms, "a multimedia message");
  sent->add_option("--at", args->at, "local time \"YYYY-MM-DD HH:MM:SS\" (default: now)");
  sent->add_option("text", args->text, "the message text")->required();
  sent->callback([args, sent] {
    NewMessage m = Prepare(args->number, args->text, sent->count("--at") ? args->at.c_str() : nullptr, args->mms);
    Store store(false);
    store.Begin();
    CEOID oid = RecordSent(store, m);
    store.Commit();
    PrintOid(oid, "send");
  });

  CLI::App* del = app.add_subcommand("delete", "the phone's messaging software deletes a message");
  del->add_option("--oid", args->oid, "the message's object identifier")->required();
  del->callback([args] {
    CEOID oid = ParseOid(args->oid);
    Store store(false);
    store.Begin();
    for (HANDLE db : {store.recv(), store.send()}) {
      if (!CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr)) {
        if (GetLastError() == ERROR_NO_MORE_ITEMS) continue;
        throw UsageError{StoreProblem(GetLastError())};
      }
      if (!CeDeleteRecord(db, oid))
        throw UsageError{"cannot delete message " + std::to_string(oid) + ": " + StoreProblem(GetLastError())};
      if (db == store.recv()) PublishUnread(store.recv(), false);
      store.Commit();
      return;
    }
    throw UsageError{"there is no message with oid " + std::to_string(oid)};
  });

  CLI::App* list = app.add_subcommand("messages", "every stored message, one JSON object a line, in sort order");
  list->add_option("--db", args->db, "recv or send (default: both)")->check(CLI::IsMember({"recv", "send"}));
  list->callback([args] {
    std::error_code ec;
    auto host = platform::device::HostPath(kDefaultStorePath);
    if (!host || !std::filesystem::exists(*host, ec)) return;  // no store yet: no messages
    Store store(false);
    // Printed only once the whole store was read: a damaged one prints nothing but why.
    std::string lines;
    if (args->db.empty() || args->db == "recv") lines += MessageLines(store.recv(), "recv");
    if (args->db.empty() || args->db == "send") lines += MessageLines(store.send(), "send");
    std::fputs(lines.c_str(), stdout);
  });

  app.add_subcommand("notifications", "the shell notifications present now, oldest first")->callback([] {
    std::vector<platform::device::ShellNotification> all;
    if (platform::device::ListShellNotifications(&all) != ERROR_SUCCESS)
      throw UsageError{"cannot read the shell notifications"};
    for (const auto& n : all) {
      nlohmann::json line = {{"clsid", n.clsid}, {"id", n.id},       {"priority", n.priority}, {"duration", n.duration},
                             {"flags", n.flags}, {"title", n.title}, {"html", n.html},         {"time", n.time}};
      std::puts(line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    }
  });
}

void CreateMessageStore() { Store store(true); }

void WriteDemoMessages() {
  struct Demo {
    bool received;
    const char* number;
    const char* at;
    const char* text;
    bool read;
    bool mms;
  };
  static const Demo kDemo[] = {
      {true, "010-1234-5678", "2024-03-04 12:10:05", "내일 점심 같이 먹을래?", true, false},
      {false, "010-1234-5678", "2024-03-04 12:12:40", "좋아, 12시에 회사 앞에서 보자", true, false},
      {true, "010-1234-5678", "2024-03-05 09:30:00", "회의 자료 보냈어. 확인 부탁해!", false, false},
      {true, "010-2345-6789", "2024-03-03 20:01:13", "생일 축하해요! 좋은 하루 보내세요", true, false},
      {false, "010-2345-6789", "2024-03-03 20:05:51", "고마워요~ 다음에 밥 살게요", true, false},
      {true, "010-2345-6789", "2024-03-05 08:15:30", "[사진] 어제 찍은 사진이에요", false, true},
      {true, "+82 10-3456-7890", "2024-03-05 10:02:44", "Are we still on for the meeting at 3pm?", false, false},
      {false, "+82 10-3456-7890", "2024-03-05 10:04:02", "Yes, see you at 3.", true, false},
      {true, "02-555-0199", "2024-03-02 16:45:00", "[Web발신] 주문하신 상품이 배송되었습니다.", true, false},
      {true, "1588-1234", "2024-03-05 11:20:09",
       "Your verification code is 482913. It expires in five minutes; never share it with anyone, not even our staff.",
       false, false},
      {true, "", "2024-03-01 07:00:00", "Network notice: service maintenance tonight 2-4 AM.", true, false},
      {false, "010-9876-5432", "2024-03-04 18:30:00", "I'll call you back later.", true, false},
  };
  Store store(true);
  store.Begin();
  bool empty = !CeSeekDatabaseEx(store.recv(), CEDB_SEEK_BEGINNING, 0, 0, nullptr) &&
               !CeSeekDatabaseEx(store.send(), CEDB_SEEK_BEGINNING, 0, 0, nullptr);
  if (!empty) return;  // a store with messages is the user's: leave it
  for (const Demo& d : kDemo) {
    NewMessage m = Prepare(d.number, d.text, d.at, d.mms);
    if (d.received)
      Receive(store, m, d.read);
    else
      RecordSent(store, m);
  }
  PublishUnread(store.recv(), true);
  store.Commit();
}

}  // namespace parlo_device
