#include "platform/device/shell/shell_notifications.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

#include "aygshell.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"
#include "platform/device/registry/registry_store.h"

namespace platform::device {
namespace {

constexpr size_t kMaxText = 4096;  // characters of a title or body kept

std::string Column(sqlite3_stmt* s, int col) {
  auto p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
  return p ? std::string(p, sqlite3_column_bytes(s, col)) : std::string();
}

std::string NowText() {
  SYSTEMTIME st = clock::LocalNow();
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond);
  return buf;
}

std::string Bounded(LPCWSTR text) {
  if (!text) return {};
  std::u16string_view v(text);
  return Utf16ToUtf8(v.substr(0, std::min(v.size(), kMaxText)));
}

}  // namespace

std::string ClsidToString(const CLSID& c) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", c.Data1, c.Data2, c.Data3,
                c.Data4[0], c.Data4[1], c.Data4[2], c.Data4[3], c.Data4[4], c.Data4[5], c.Data4[6], c.Data4[7]);
  return buf;
}

bool ClsidFromString(std::string_view text, CLSID* out) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  static const int dashes[] = {9, 14, 19, 24};
  std::string hex;
  for (size_t i = 1; i < 37; ++i) {
    if (std::find(std::begin(dashes), std::end(dashes), static_cast<int>(i)) != std::end(dashes)) {
      if (text[i] != '-') return false;
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    hex.push_back(text[i]);
  }
  auto take = [&](size_t pos, size_t n) { return static_cast<uint32_t>(std::stoul(hex.substr(pos, n), nullptr, 16)); };
  out->Data1 = take(0, 8);
  out->Data2 = static_cast<uint16_t>(take(8, 4));
  out->Data3 = static_cast<uint16_t>(take(12, 4));
  for (int i = 0; i < 8; ++i) out->Data4[i] = static_cast<uint8_t>(take(16 + 2 * i, 2));
  return true;
}

LONG AddShellNotification(const ShellNotification& n) {
  return registry::WithWriteTransaction([&](sqlite3* db) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db,
                                "INSERT INTO shell_notifications(clsid, id, priority, duration, flags, title, html, time) "
                                "VALUES(?,?,?,?,?,?,?,?) ON CONFLICT(clsid, id) DO UPDATE SET priority=excluded.priority, "
                                "duration=excluded.duration, flags=excluded.flags, title=excluded.title, "
                                "html=excluded.html, time=excluded.time",
                                -1, &s, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_bind_text(s, 1, n.clsid.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 2, n.id);
    sqlite3_bind_int64(s, 3, n.priority);
    sqlite3_bind_int64(s, 4, n.duration);
    sqlite3_bind_int64(s, 5, n.flags);
    sqlite3_bind_text(s, 6, n.title.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 7, n.html.c_str(), -1, SQLITE_TRANSIENT);
    std::string time = n.time.empty() ? NowText() : n.time;
    sqlite3_bind_text(s, 8, time.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(s);
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  });
}

LONG RemoveShellNotification(const CLSID& clsid, DWORD id, bool* found) {
  if (found) *found = false;
  std::string key = ClsidToString(clsid);
  return registry::WithWriteTransaction([&](sqlite3* db) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, "DELETE FROM shell_notifications WHERE clsid=? AND id=?", -1, &s, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_bind_text(s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 2, id);
    rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if (found) *found = sqlite3_changes(db) > 0;
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  });
}

LONG ListShellNotifications(std::vector<ShellNotification>* out) {
  out->clear();
  return registry::WithReader([&](sqlite3* db) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(
        db, "SELECT clsid, id, priority, duration, flags, title, html, time FROM shell_notifications ORDER BY seq", -1,
        &s, nullptr);
    if (rc != SQLITE_OK) return rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      ShellNotification n;
      n.clsid = Column(s, 0);
      n.id = static_cast<DWORD>(sqlite3_column_int64(s, 1));
      n.priority = static_cast<int>(sqlite3_column_int64(s, 2));
      n.duration = static_cast<DWORD>(sqlite3_column_int64(s, 3));
      n.flags = static_cast<DWORD>(sqlite3_column_int64(s, 4));
      n.title = Column(s, 5);
      n.html = Column(s, 6);
      n.time = Column(s, 7);
      out->push_back(std::move(n));
    }
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  });
}

}  // namespace platform::device

using namespace platform::device;

LRESULT SHNotificationAdd(SHNOTIFICATIONDATA* data) {
  if (!data || data->cbStruct < sizeof(SHNOTIFICATIONDATA)) return ERROR_INVALID_PARAMETER;
  ShellNotification n;
  n.clsid = ClsidToString(data->clsid);
  n.id = data->dwID;
  n.priority = data->npPriority;
  n.duration = data->csDuration;
  n.flags = data->grfFlags;
  n.title = Bounded(data->pszTitle);
  n.html = Bounded(data->pszHTML);
  return AddShellNotification(n);
}

LRESULT SHNotificationRemove(const CLSID* clsid, DWORD id) {
  if (!clsid) return ERROR_INVALID_PARAMETER;
  bool found = false;
  LONG st = RemoveShellNotification(*clsid, id, &found);
  if (st != ERROR_SUCCESS) return st;
  return found ? ERROR_SUCCESS : ERROR_NOT_FOUND;
}
