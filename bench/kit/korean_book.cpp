#include "kit/korean_book.h"

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "pimstore.h"
#include "platform/base/device_root.h"

namespace bench {
namespace {

namespace fs = std::filesystem;

const char* const kFamily[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임",
                               "한", "오", "서", "신", "권", "황", "안", "송", "류", "홍"};
const char* const kGiven[] = {"민", "서", "지", "현", "수", "영", "준", "우", "하", "은", "도", "윤", "예",
                              "진", "성", "철", "희", "다", "연", "태", "혜", "경", "상", "재", "미", "나",
                              "승", "정", "주", "아", "유", "소", "동", "호", "기", "빈", "람", "솔"};

}  // namespace

std::vector<std::string> KoreanNames(int n) {
  std::vector<std::string> names;
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t m) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % m;
  };
  for (int i = 0; i < n; ++i)
    names.push_back(std::string(kFamily[next(20)]) + kGiven[next(38)] + kGiven[next(38)]);
  return names;
}

std::string NamesVcf(const std::vector<std::string>& names, bool pictures) {
  std::string vcf;
  std::string photo = pictures ? PhotoLine() : "";
  for (size_t i = 0; i < names.size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "010-%04zu-%04zu", (i * 7919) % 10000, i % 10000);
    vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + names[i] + "\r\nTEL;TYPE=CELL:" + number + "\r\n" + photo +
           "END:VCARD\r\n";
  }
  return vcf;
}

BookDevice::BookDevice(const std::string& vcf) {
  const fs::path& dir = temp_.path();
  fs::create_directories(dir / "Program Files" / "Parlo");
  platform::device::SetRoot(dir);
  std::ofstream(dir / "contacts.vcf", std::ios::binary) << vcf;
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  void* obj = nullptr;
  CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &obj);
  app_ = static_cast<IPOutlookApp*>(obj);
  app_->Logon(nullptr);
}

BookDevice::~BookDevice() {
  app_->Logoff();
  app_->Release();
  CoUninitialize();
}

fs::path BookDevice::cache() const { return temp_.path() / "Program Files" / "Parlo" / "allcontacts.dat"; }

}  // namespace bench
