// Contact book benchmarks: one search key over 10,000 contacts, loading 1,000 contacts with
// pictures from the store and from the cache file, and the search side by side with es-hangul.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "contacts/contact_book.h"
#include "kit/bench_device.h"
#include "pimstore.h"
#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/contacts/picture.h"

namespace {

namespace fs = std::filesystem;

const char* const kFamily[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임",
                               "한", "오", "서", "신", "권", "황", "안", "송", "류", "홍"};
const char* const kGiven[] = {"민", "서", "지", "현", "수", "영", "준", "우", "하", "은", "도", "윤", "예",
                              "진", "성", "철", "희", "다", "연", "태", "혜", "경", "상", "재", "미", "나",
                              "승", "정", "주", "아", "유", "소", "동", "호", "기", "빈", "람", "솔"};
// Lead letters of the key rows, so each query is exactly some keys.
const char* const kQueries[] = {"ㄱ", "ㅇ", "ㅅ", "ㄴ", "ㄱㅈ", "ㅇㅅ", "ㅂㅅㅇ", "ㄹㅎ", "ㅈㄷㅎ", "ㅎㅈ"};

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

std::vector<int> KeysOf(const std::string& query) {
  static const char16_t kLeads[] = u"ㅎㄱㄴㄷㄹㅂㅈㅅㅇㅌ";
  std::vector<int> keys;
  for (char16_t c : platform::Utf8ToUtf16(query))
    for (int d = 0; d < 10; ++d)
      if (kLeads[d] == c) keys.push_back(d);
  return keys;
}

// A device of its own with the given address book and a logged-on application object.
class BenchDevice {
 public:
  explicit BenchDevice(const std::string& vcf) {
    fs::create_directories(dir_ / "Program Files" / "Parlo");
    platform::device::SetRoot(dir_);
    std::ofstream(dir_ / "contacts.vcf", std::ios::binary) << vcf;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    void* obj = nullptr;
    CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &obj);
    app_ = static_cast<IPOutlookApp*>(obj);
    app_->Logon(nullptr);
  }
  ~BenchDevice() {
    app_->Logoff();
    app_->Release();
    CoUninitialize();
  }
  IPOutlookApp* app() const { return app_; }
  fs::path cache() const { return dir_ / "Program Files" / "Parlo" / "allcontacts.dat"; }

 private:
  bench::TempDir temp_;
  const fs::path& dir_ = temp_.path();
  IPOutlookApp* app_ = nullptr;
};

std::string NamesVcf(const std::vector<std::string>& names, bool pictures) {
  std::string vcf;
  std::string photo = pictures ? bench::PhotoLine() : "";
  for (size_t i = 0; i < names.size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "010-%04zu-%04zu", (i * 7919) % 10000, i % 10000);
    vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + names[i] + "\r\nTEL;TYPE=CELL:" + number + "\r\n" + photo +
           "END:VCARD\r\n";
  }
  return vcf;
}

void BM_RunFilterOneKey10k(benchmark::State& state) {
  BenchDevice device(NamesVcf(KoreanNames(10000), false));
  parlo::ContactBook book(device.app());
  book.LoadContacts(false);
  int key = 0;
  for (auto _ : state) {
    book.PushKey(key);
    benchmark::DoNotOptimize(book.RunFilter(true, true, false, true));
    book.PopKey();
    key = (key + 1) % 10;
  }
  fs::remove(device.cache());
}
BENCHMARK(BM_RunFilterOneKey10k)->Unit(benchmark::kMicrosecond);

void BM_LoadFromStore1000WithPictures(benchmark::State& state) {
  BenchDevice device(NamesVcf(KoreanNames(1000), true));
  for (auto _ : state) {
    fs::remove(device.cache());
    auto book = std::make_unique<parlo::ContactBook>(device.app());
    book->SetPictureBox(120, 120);
    benchmark::DoNotOptimize(book->LoadContacts(true));
    state.PauseTiming();
    book.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadFromStore1000WithPictures)->Unit(benchmark::kMillisecond);

void LoadFromCache(benchmark::State& state, bool pictures) {
  BenchDevice device(NamesVcf(KoreanNames(1000), true));
  { parlo::ContactBook(device.app()).LoadContacts(true); }  // writes the cache at its end
  for (auto _ : state) {
    auto book = std::make_unique<parlo::ContactBook>(device.app());
    book->SetPictureBox(120, 120);
    benchmark::DoNotOptimize(book->LoadContacts(pictures));
    state.PauseTiming();
    book.reset();
    state.ResumeTiming();
  }
}
void BM_LoadFromCache1000(benchmark::State& state) { LoadFromCache(state, false); }
void BM_LoadFromCache1000WithPictures(benchmark::State& state) { LoadFromCache(state, true); }
BENCHMARK(BM_LoadFromCache1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFromCache1000WithPictures)->Unit(benchmark::kMillisecond);

// One 12-megapixel camera photo to the 120 x 90 it is shown in: at the smallest DCT scale that
// covers it (what a start does now) and at full size (what it did before).
void CameraPhotoToThumbnail(benchmark::State& state, bool scaled) {
  std::string jpeg = bench::CameraJpeg(0);
  state.counters["jpeg_MB"] = static_cast<double>(jpeg.size()) / 1e6;
  for (auto _ : state) {
    platform::contacts::Pixels covering;
    bool ok = scaled ? platform::contacts::DecodePictureToCover(jpeg, 120, 90, &covering)
                     : platform::contacts::DecodePicture(jpeg, &covering);
    if (!ok) state.SkipWithError("cannot decode");
    benchmark::DoNotOptimize(platform::contacts::ResizePixels(covering, 120, 90));
  }
}
void BM_CameraPhotoToThumbnailScaled(benchmark::State& state) { CameraPhotoToThumbnail(state, true); }
void BM_CameraPhotoToThumbnailFullDecode(benchmark::State& state) { CameraPhotoToThumbnail(state, false); }
BENCHMARK(BM_CameraPhotoToThumbnailScaled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CameraPhotoToThumbnailFullDecode)->Unit(benchmark::kMillisecond)->Iterations(3);

// Our filter and es-hangul on the same 10,000 names and the same queries, each searching the
// whole list for every query.
void CompareWithEsHangul() {
  std::vector<std::string> names = KoreanNames(10000);
  BenchDevice device(NamesVcf(names, false));
  parlo::ContactBook book(device.app());
  book.LoadContacts(false);
  const int rounds = 300;
  long found = 0;
  auto runAll = [&] {
    for (const char* q : kQueries) {
      for (int k : KeysOf(q)) book.PushKey(k);
      found += book.RunFilter(true, false, false, true);
      for (size_t i = 0; i < KeysOf(q).size(); ++i) book.PopKey();
    }
  };
  for (int i = 0; i < 20; ++i) runAll();
  found = 0;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) runAll();
  double ours = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
                (rounds * std::size(kQueries));
  fs::remove(device.cache());

  fs::path data = fs::temp_directory_path() / "parlo-es-hangul-data";
  fs::create_directories(data);
  {
    std::ofstream n(data / "names.txt"), q(data / "queries.txt");
    for (auto& name : names) n << name << "\n";
    for (const char* query : kQueries) q << query << "\n";
  }
  std::printf("\nInitial-consonant search, %zu names, %zu queries, whole list each time:\n", names.size(),
              std::size(kQueries));
  std::printf("  parlo RunFilter : %10.0f ns per query (%.0f results per round)\n", ours,
              static_cast<double>(found) / rounds);
  fs::path script = fs::path(PARLO_SOURCE_DIR) / "bench" / "es_hangul" / "compare.mjs";
  std::string command = "node '" + script.string() + "' '" + data.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  char line[512] = {};
  double theirs = 0, theirResults = 0;
  if (pipe && std::fgets(line, sizeof line, pipe)) {
    const char* ns = std::strstr(line, "\"ns_per_query\":");
    const char* rs = std::strstr(line, "\"results_per_round\":");
    if (ns) theirs = std::atof(ns + 15);
    if (rs) theirResults = std::atof(rs + 20);
  }
  if (pipe) pclose(pipe);
  if (theirs > 0) {
    std::printf("  es-hangul (node): %10.0f ns per query (%.0f results per round)\n", theirs, theirResults);
    std::printf("  ratio es-hangul / parlo: %.1fx\n", theirs / ours);
  } else {
    std::printf("  es-hangul: not run (npm install in bench/es_hangul, and node on PATH)\n");
  }
  fs::remove_all(data);
}

}  // namespace

int main(int argc, char** argv) {
  // The side-by-side run is part of a full run; a filtered run measures only what it names.
  bool filtered = false;
  for (int i = 1; i < argc; ++i) filtered = filtered || std::strncmp(argv[i], "--benchmark_filter", 18) == 0;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!filtered) CompareWithEsHangul();
  return 0;
}
