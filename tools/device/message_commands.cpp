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
#include "messaging/message_writer.h"
#include "messaging/store.h"
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
    CEOID oid = WriteReceived(store, m);
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
    CEOID oid = WriteSent(store, m);
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
      WriteReceived(store, m, d.read);
    else
      WriteSent(store, m);
  }
  PublishUnread(store.recv(), true);
  store.Commit();
}

}  // namespace parlo_device
