#include "kit/bench_device.h"

#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/base/clock.h"
#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/contacts/picture.h"
#include "platform/contacts/text_decode.h"
#include "settings/settings.h"
#include "store/record_store.h"

namespace bench {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "parlo-bench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) std::abort();
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void UseDevice(const std::filesystem::path& root) {
  platform::device::SetRoot(root);
  SYSTEMTIME start{};
  platform::clock::ParseLocalTime("2024-03-05 14:07:09", &start);
  platform::clock::UseVirtual(start);
}

std::u16string CorrespondentNumber(int i) {
  char number[32];
  std::snprintf(number, sizeof number, "010-%04d-%04d", 1000 + i, (i * 7) % 10000);
  return platform::Utf8ToUtf16(number);
}

void FillReceived(int count, int correspondents, bool createVolume) {
  CEGUID guid{};
  if (!CeMountDBVolEx(&guid, kDefaultStorePath, nullptr, createVolume ? CREATE_NEW : OPEN_EXISTING)) std::abort();
  if (createVolume) {
    for (const char16_t* name : {u"\\RECV_MSG", u"\\SEND_MSG"}) {
      CEDBASEINFOEX info;
      std::memset(&info, 0, sizeof(info));
      info.wVersion = CEDBASEINFOEX_VERSION;
      info.dwFlags = CEDB_VALIDNAME;
      StringCchCopyW(info.szDbaseName, CEDB_MAXDBASENAMELEN, name);
      if (!CeCreateDatabaseEx2(&guid, &info)) std::abort();
    }
  }
  CEOID oid = 0;
  HANDLE db = CeOpenDatabaseInSession(nullptr, &guid, &oid, u"\\RECV_MSG", nullptr, 0, nullptr);
  if (db == INVALID_HANDLE_VALUE) std::abort();
  for (int i = 0; i < count; ++i) {
    std::u16string number = CorrespondentNumber(i % correspondents);
    WCHAR id[32];
    StringCchPrintfW(id, 32, u"2024%02d%02d%06d%03d", 1 + i % 12, 1 + i % 28, (i * 7919) % 1000000, i % 1000);
    const WCHAR* text = i % 3 ? u"안녕하세요, 오늘 회의는 세 시에 시작합니다. 늦지 마세요!" : u"See you at the station at 7.";
    SYSTEMTIME st{2024, static_cast<WORD>(1 + i % 12), 0, static_cast<WORD>(1 + i % 28), static_cast<WORD>(i % 24),
                  static_cast<WORD>(i % 60), static_cast<WORD>(i % 60), 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    CEPROPVAL v[8];
    std::memset(v, 0, sizeof(v));
    v[0].propid = PROP_TIME;
    v[0].val.filetime = ft;
    v[1].propid = PROP_NUMBER;
    v[1].val.lpwstr = number.data();
    v[2].propid = PROP_TEXT;
    v[2].val.lpwstr = const_cast<LPWSTR>(text);
    v[3].propid = PROP_READ;
    v[3].val.iVal = static_cast<short>(i % 2);
    v[4].propid = PROP_MESSAGE_ID;
    v[4].val.lpwstr = id;
    v[5].propid = PROP_KIND;
    v[6].propid = PROP_AUX_FLAG;
    v[7].propid = PROP_MMS_FLAG;
    if (!CeWriteRecordProps(db, 0, 8, v)) std::abort();
  }
  CloseHandle(db);
  CeUnmountDBVol(&guid);
}

std::string PhotoLine() {
  const int s = 96;
  std::vector<uint8_t> px(s * s * 4);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      uint8_t* p = &px[(y * s + x) * 4];
      bool in = std::hypot(x - 47.5, y - 47.5) < 43;
      p[0] = in ? 200 : 240;
      p[1] = in ? 80 : 240;
      p[2] = in ? 60 : 240;
      p[3] = 255;
    }
  using namespace platform::contacts;
  return "PHOTO;ENCODING=b;TYPE=JPEG:" + EncodeBase64(EncodeJpeg(s, s, px, 85)) + "\r\n";
}

std::string ContactsVcf(int count, int owning, bool pictures) {
  std::string photo = pictures ? PhotoLine() : "";
  std::string vcf;
  for (int i = 0; i < count; ++i) {
    std::string number = platform::Utf16ToUtf8(i < owning ? CorrespondentNumber(i) : CorrespondentNumber(5000 + i));
    vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + std::to_string(i) + "\r\nTEL;TYPE=CELL:" + number + "\r\n" +
           photo + "END:VCARD\r\n";
  }
  return vcf;
}

}  // namespace bench
