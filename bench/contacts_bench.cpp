// Contact book benchmarks: one search key over 10,000 contacts (names and numbers), loading 1,000
// contacts with pictures from the store and from the cache file, and camera photos to thumbnails.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "contacts/contact_book.h"
#include "kit/bench_device.h"
#include "kit/korean_book.h"
#include "platform/contacts/picture.h"

namespace {

namespace fs = std::filesystem;

using bench::BookDevice;
using bench::KoreanNames;
using bench::NamesVcf;

void BM_RunFilterOneKey10k(benchmark::State& state) {
  BookDevice device(NamesVcf(KoreanNames(10000), false));
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
  BookDevice device(NamesVcf(KoreanNames(1000), true));
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
  BookDevice device(NamesVcf(KoreanNames(1000), true));
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

}  // namespace

BENCHMARK_MAIN();
