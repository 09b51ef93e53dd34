// A fresh device whose message volume the test fills as the phone's messaging software would,
// with message boxes answered at once and recorded.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "aygshell.h"
#include "kit/db_records.h"
#include "kit/temp_device.h"
#include "platform/db/db.h"
#include "platform/device/registry/registry_store.h"
#include "platform/device/shell/shell_notifications.h"
#include "platform/ui/ui_state.h"
#include "settings/settings.h"
#include "store/record_store.h"
#include "windows.h"

namespace storetest {

inline const char16_t kRecv[] = u"\\RECV_MSG";
inline const char16_t kSend[] = u"\\SEND_MSG";

struct Message {
  std::u16string number = u"010-1234-5678";
  std::u16string text = u"hello";
  short read = 0;
  std::u16string id = u"20240305140709000";
  short kind = 0;
  short aux = 0;
  short mms = 0;
  SYSTEMTIME time{2024, 3, 2, 5, 14, 7, 9, 0};
};

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::db::UnmountAll();
    platform::device::registry::Close();
    device_ = std::make_unique<parlo_test::TempDevice>();
    platform::ui::SetMessageBoxAutoAnswer([](const platform::ui::MessageBoxInfo&) { return IDOK; });
    platform::ui::ClearMessageBoxLog();
  }
  void TearDown() override {
    store_.reset();
    platform::db::UnmountAll();
    platform::device::registry::Close();
    platform::ui::SetMessageBoxAutoAnswer(nullptr);
    device_.reset();
  }

  // The phone's side: the volume with the named databases, sorted by message identifier.
  void MakeVolume(std::vector<const char16_t*> databases = {kRecv, kSend}) {
    ASSERT_TRUE(CeMountDBVolEx(&phone_, kDefaultStorePath, nullptr, CREATE_NEW));
    for (const char16_t* name : databases)
      ASSERT_NE(parlo_test::CreateDatabase(&phone_, name, {2, 1, 0, 0, {PROP_MESSAGE_ID}, {CEDB_SORT_DESCENDING}}), 0u);
  }

  HANDLE PhoneHandle(const char16_t* name) {
    CEOID oid = 0;
    return CeOpenDatabaseInSession(nullptr, &phone_, &oid, name, nullptr, CEDB_AUTOINCREMENT, nullptr);
  }

  // Writes a message with all eight properties (or `only` of them) as the phone does.
  CEOID Put(const char16_t* db, const Message& m, std::vector<CEPROPID> only = {}) {
    std::vector<CEPROPVAL> v;
    auto add = [&](CEPROPID id, auto set) {
      if (!only.empty() && std::find(only.begin(), only.end(), id) == only.end()) return;
      CEPROPVAL p{};
      p.propid = id;
      set(p.val);
      v.push_back(p);
    };
    add(PROP_TIME, [&](CEVALUNION& u) { SystemTimeToFileTime(&m.time, &u.filetime); });
    add(PROP_NUMBER, [&](CEVALUNION& u) { u.lpwstr = const_cast<LPWSTR>(m.number.c_str()); });
    add(PROP_TEXT, [&](CEVALUNION& u) { u.lpwstr = const_cast<LPWSTR>(m.text.c_str()); });
    add(PROP_READ, [&](CEVALUNION& u) { u.iVal = m.read; });
    add(PROP_MESSAGE_ID, [&](CEVALUNION& u) { u.lpwstr = const_cast<LPWSTR>(m.id.c_str()); });
    add(PROP_KIND, [&](CEVALUNION& u) { u.iVal = m.kind; });
    add(PROP_AUX_FLAG, [&](CEVALUNION& u) { u.iVal = m.aux; });
    add(PROP_MMS_FLAG, [&](CEVALUNION& u) { u.iVal = m.mms; });
    HANDLE h = PhoneHandle(db);
    CEOID oid = CeWriteRecordProps(h, 0, static_cast<WORD>(v.size()), v.data());
    platform::db::CloseDatabaseHandle(h);
    return oid;
  }

  // One record as stored, read back through the phone's own handle.
  parlo_test::ReadRecord Stored(const char16_t* db, CEOID oid) {
    HANDLE h = PhoneHandle(db);
    parlo_test::ReadRecord r = parlo_test::ReadAt(h, oid);
    platform::db::CloseDatabaseHandle(h);
    return r;
  }
  short StoredShort(const char16_t* db, CEOID oid, CEPROPID id) {
    const parlo_test::ReadRecord r = Stored(db, oid);
    for (const CEPROPVAL& v : r.values)
      if (v.propid == id) return v.val.iVal;
    return -999;
  }

  std::optional<DWORD> StateValue(const char16_t* name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return std::nullopt;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
  }

  void AddUnreadNotification() {
    SHNOTIFICATIONDATA n{};
    n.cbStruct = sizeof(n);
    n.dwID = UNREAD_NOTIFICATION_ID;
    n.clsid = UNREAD_NOTIFICATION_CLSID;
    n.pszTitle = u"New message";
    ASSERT_EQ(SHNotificationAdd(&n), ERROR_SUCCESS);
  }
  bool UnreadNotificationShown() {
    std::vector<platform::device::ShellNotification> list;
    platform::device::ListShellNotifications(&list);
    return std::any_of(list.begin(), list.end(), [](auto& n) {
      return n.clsid == "{592A0D12-F0AC-411B-A175-8B348238F1FD}" && n.id == UNREAD_NOTIFICATION_ID;
    });
  }

  RecordStore* NewStore() {
    store_ = std::make_unique<RecordStore>();
    return store_.get();
  }
  RecordStore* OpenedStore() {
    EXPECT_TRUE(NewStore()->OpenStore(nullptr));
    return store_.get();
  }
  // The record `oid` as the store reads it from database `db`.
  MessageRecord ReadBack(int db, CEOID oid) {
    MessageRecord r;
    r.oid = oid;
    EXPECT_TRUE(store_->ReadRecordById(db, &r)) << oid;
    return r;
  }

  std::vector<platform::ui::MessageBoxInfo> Boxes() { return platform::ui::MessageBoxLog(); }

  CEGUID phone_{};
  std::unique_ptr<parlo_test::TempDevice> device_;
  std::unique_ptr<RecordStore> store_;
};

}  // namespace storetest
