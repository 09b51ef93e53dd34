#include "kit/bench_device.h"

#include <stdlib.h>

#include <algorithm>
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

std::string CameraJpeg(int index) {
  static std::string scenes[4];
  std::string& scene = scenes[index % 4];
  if (scene.empty()) {
    const int w = 4000, h = 3000;
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
    uint32_t seed = 2166136261u + static_cast<uint32_t>(index % 4);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1664525u + 1013904223u;
        int grain = static_cast<int>(seed >> 28) - 8;  // +-8 of sensor noise
        double fx = x / static_cast<double>(w), fy = y / static_cast<double>(h);
        double light = 0.55 + 0.35 * std::sin(3.1 * fx + index % 4) * std::cos(2.3 * fy);
        bool edge = (static_cast<int>(x / 37.0 + y / 53.0) + index) % 7 == 0;  // objects with hard edges
        uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = static_cast<uint8_t>(std::clamp(light * 230 + grain + (edge ? 40 : 0), 0.0, 255.0));
        p[1] = static_cast<uint8_t>(std::clamp(light * 190 + grain + 30 * fy, 0.0, 255.0));
        p[2] = static_cast<uint8_t>(std::clamp(light * 150 + grain + (edge ? -50 : 0), 0.0, 255.0));
        p[3] = 255;
      }
    scene = platform::contacts::EncodeJpeg(w, h, px, 90);
    if (scene.size() < 4) std::abort();
  }
  // A COM segment right after SOI: "\xFF\xFE", its length, then the text.
  std::string text = "contact " + std::to_string(index);
  size_t length = text.size() + 2;
  return scene.substr(0, 2) + "\xFF\xFE" + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF) + text +
         scene.substr(2);
}

std::string CameraContactsVcf(int count, bool photos) {
  std::string vcf;
  for (int i = 0; i < count; ++i) {
    std::string number = platform::Utf16ToUtf8(CorrespondentNumber(5000 + i));
    vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + std::to_string(i) + "\r\nTEL;TYPE=CELL:" + number + "\r\n";
    if (photos) {
      // Folded at 75 characters, as address books export them.
      std::string line = "PHOTO;ENCODING=b;TYPE=JPEG:" + platform::contacts::EncodeBase64(CameraJpeg(i));
      vcf += line.substr(0, 75) + "\r\n";
      for (size_t at = 75; at < line.size(); at += 74) vcf += " " + line.substr(at, 74) + "\r\n";
    }
    vcf += "END:VCARD\r\n";
  }
  return vcf;
}

}  // namespace bench
