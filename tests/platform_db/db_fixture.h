// A fresh device with one volume holding a message-like database sorted by property 6, descending.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kit/db_records.h"
#include "kit/temp_device.h"
#include "platform/db/db.h"

namespace dbtest {

using parlo_test::ReadAt;
using parlo_test::ReadCurrent;
using Read = parlo_test::ReadRecord;

constexpr CEPROPID kTime = 0x00010040;
constexpr CEPROPID kNumber = 0x0002001F;
constexpr CEPROPID kRead = 0x00050002;
constexpr CEPROPID kId = 0x0006001F;
constexpr CEPROPID kBlob = 0x00070041;
constexpr CEPROPID kCount = 0x00080013;  // UI4
inline const char16_t kVolumePath[] = u"\\MITs Store\\MMS\\mms.edb";

// The message databases' order: message identifier, descending.
inline const SORTORDERSPECEX kSort = {SORTORDERSPECEX_VERSION, 1, 0, 0, {kId}, {CEDB_SORT_DESCENDING}};

inline CEPROPVAL Value(CEPROPID id) {
  CEPROPVAL v{};
  v.propid = id;
  return v;
}
inline CEPROPVAL Text(CEPROPID id, const char16_t* s) {
  CEPROPVAL v = Value(id);
  v.val.lpwstr = const_cast<LPWSTR>(s);
  return v;
}
inline CEPROPVAL Short(CEPROPID id, short s) {
  CEPROPVAL v = Value(id);
  v.val.iVal = s;
  return v;
}

// Creates the volume and a database; opens it with the descending sort on property 6.
class DbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::db::UnmountAll();
    device_ = std::make_unique<parlo_test::TempDevice>();
    ASSERT_TRUE(CeMountDBVolEx(&guid_, kVolumePath, nullptr, CREATE_NEW));
    CreateDatabase(u"\\RECV_MSG");
  }
  void TearDown() override {
    platform::db::UnmountAll();
    device_.reset();
  }

  CEOID CreateDatabase(const char16_t* name) { return parlo_test::CreateDatabase(&guid_, name, kSort); }

  HANDLE Open(const char16_t* name = u"\\RECV_MSG", CENOTIFYREQUEST* request = nullptr) {
    SORTORDERSPECEX sort = kSort;
    CEOID oid = 0;
    return CeOpenDatabaseInSession(nullptr, &guid_, &oid, name, &sort, CEDB_AUTOINCREMENT, request);
  }

  CEOID Add(HANDLE db, const char16_t* id, const char16_t* number = u"010", short read = 0) {
    CEPROPVAL v[3] = {Text(kNumber, number), Text(kId, id), Short(kRead, read)};
    return CeWriteRecordProps(db, 0, 3, v);
  }

  int CountRecords(HANDLE db) {
    CEDBASEINFOEX info{};
    info.wVersion = 2;
    return CeGetDBInformationByHandle(db, &info) ? static_cast<int>(info.dwNumRecords) : -1;
  }
  std::u16string IdOf(const parlo_test::ReadRecord& r) {
    for (size_t i = 0; i < r.values.size(); ++i)
      if (r.values[i].propid == kId) return r.texts[i];
    return u"<none>";
  }

  std::filesystem::path VolumeFile() const { return device_->dir() / "MITs Store" / "MMS" / "mms.edb"; }

  CEGUID guid_{};
  std::unique_ptr<parlo_test::TempDevice> device_;
};

}  // namespace dbtest
