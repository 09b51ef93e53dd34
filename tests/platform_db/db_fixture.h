// A fresh device with one volume holding a message-like database sorted by property 6, descending.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/db/db.h"
#include "strsafe.h"
#include "winbase.h"
#include "windbase.h"

namespace dbtest {

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
  CEPROPVAL v;
  std::memset(&v, 0, sizeof(v));
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

  CEOID CreateDatabase(const char16_t* name) {
    CEDBASEINFOEX info;
    std::memset(&info, 0, sizeof(info));
    info.wVersion = CEDBASEINFOEX_VERSION;
    info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC;
    StringCchCopyW(info.szDbaseName, CEDB_MAXDBASENAMELEN, name);
    info.wNumSortOrder = 1;
    info.rgSortSpecs[0] = kSort;
    return CeCreateDatabaseEx2(&guid_, &info);
  }

  HANDLE Open(const char16_t* name = u"\\RECV_MSG", CENOTIFYREQUEST* request = nullptr) {
    SORTORDERSPECEX sort = kSort;
    CEOID oid = 0;
    return CeOpenDatabaseInSession(nullptr, &guid_, &oid, name, &sort, CEDB_AUTOINCREMENT, request);
  }

  CEOID Add(HANDLE db, const char16_t* id, const char16_t* number = u"010", short read = 0) {
    CEPROPVAL v[3] = {Text(kNumber, number), Text(kId, id), Short(kRead, read)};
    return CeWriteRecordProps(db, 0, 3, v);
  }

  // Reads the current record (all properties) into a list; 0 oid at the end.
  struct Read {
    CEOID oid = 0;
    std::vector<CEPROPVAL> values;
    std::vector<std::u16string> texts;  // text of each value, "" for non-text
    std::vector<std::string> blobs;     // bytes of each blob value, "" for others
  };
  Read ReadCurrent(HANDLE db, CEPROPID* list = nullptr, WORD listCount = 0) {
    Read r;
    LPBYTE buf = nullptr;
    DWORD size = 0;
    WORD count = listCount;
    r.oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, list, &buf, &size, nullptr);
    if (r.oid) {
      auto* v = reinterpret_cast<CEPROPVAL*>(buf);
      for (WORD i = 0; i < count; ++i) {
        r.values.push_back(v[i]);
        bool text = TypeFromPropID(v[i].propid) == CEVT_LPWSTR && !(v[i].wFlags & CEDB_PROPNOTFOUND);
        r.texts.push_back(text ? std::u16string(v[i].val.lpwstr) : std::u16string());
        bool blob = TypeFromPropID(v[i].propid) == CEVT_BLOB && !(v[i].wFlags & CEDB_PROPNOTFOUND);
        r.blobs.push_back(blob ? std::string(reinterpret_cast<char*>(v[i].val.blob.lpb), v[i].val.blob.dwCount) : "");
        // The values point into the buffer freed below; only the copies above may be used.
        if (text || blob) std::memset(&r.values.back().val, 0, sizeof(CEVALUNION));
      }
    }
    LocalFree(buf);
    return r;
  }
  std::u16string IdOf(const Read& r) {
    for (size_t i = 0; i < r.values.size(); ++i)
      if (r.values[i].propid == kId) return r.texts[i];
    return u"<none>";
  }

  std::filesystem::path VolumeFile() const { return device_->dir() / "MITs Store" / "MMS" / "mms.edb"; }

  CEGUID guid_{};
  std::unique_ptr<parlo_test::TempDevice> device_;
};

}  // namespace dbtest
