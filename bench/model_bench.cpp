// LoadAll over 20,000 received messages from 500 numbers, beside its phases on their own: reading
// the same records with ReadRecordAt, and naming the 500 numbers; what is left is sorting and
// grouping. Also the heap the loaded model holds per message.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <objbase.h>
#include <pimstore.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "contacts/contact_book.h"
#include "kit/bench_device.h"
#include "model/message_store.h"
#include "settings/settings.h"

namespace {

constexpr int kRecords = 20000;
constexpr int kNumbers = 500;
constexpr int kContacts = 1000;

struct Device {
  bench::TempDir dir;
  Settings settings;
  std::unique_ptr<parlo::ContactBook> book;
  std::unique_ptr<MessageStore> store;

  Device() {
    bench::UseDevice(dir.path());
    bench::FillReceived(kRecords, kNumbers, true);
    LoadContacts();
    store = std::make_unique<MessageStore>(settings, book.get());
    if (!store->OpenStore(nullptr)) std::abort();
  }

  // 1,000 contacts, half of them owning one of the message numbers.
  void LoadContacts() {
    std::ofstream(dir.path() / "contacts.vcf") << bench::ContactsVcf(kContacts, kNumbers / 2, false);
    CoInitializeEx(nullptr, 0);
    void* object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &object)))
      std::abort();
    auto* app = static_cast<IPOutlookApp*>(object);
    if (FAILED(app->Logon(nullptr))) std::abort();
    book = std::make_unique<parlo::ContactBook>(app);
    book->LoadContacts(false);
    if (book->Count() != kContacts) std::abort();
  }
};

Device& TheDevice() {
  static Device device;
  return device;
}

void BM_ReadRecordAtAlone(benchmark::State& state) {
  RecordStore& store = TheDevice().store->Records();
  for (auto _ : state) {
    for (int i = 0; i < kRecords; ++i) {
      auto r = std::make_unique<MessageRecord>();
      store.ReadRecordAt(DB_RECV, i, r.get());
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The naming phase on its own: one contact lookup per distinct number.
void BM_NameLookupsAlone(benchmark::State& state) {
  const parlo::ContactBook& book = *TheDevice().book;
  std::vector<std::u16string> numbers;
  for (int i = 0; i < kNumbers; ++i) numbers.push_back(bench::CorrespondentNumber(i));
  for (auto _ : state) {
    int named = 0;
    for (const std::u16string& number : numbers) {
      WCHAR name[64];
      DWORD oid = 0;
      named += book.LookupNameByNumber(&oid, number.c_str(), name, 64) == S_OK;
    }
    if (named != kNumbers / 2) state.SkipWithError("unexpected number of named senders");
  }
  state.SetItemsProcessed(state.iterations() * kNumbers);
}

void BM_LoadAll(benchmark::State& state) {
  MessageStore* store = TheDevice().store.get();
  size_t modelBytes = 0;
  for (auto _ : state) {
    size_t before = mallinfo2().uordblks;
    store->LoadAll();
    state.PauseTiming();
    modelBytes = mallinfo2().uordblks - before;
    if (store->ConversationCount() != kNumbers) state.SkipWithError("unexpected conversation count");
    if (store->DisplayNameFor(u"01010000000") != std::u16string(u"Contact 0"))
      state.SkipWithError("contacts were not looked up");
    store->ClearModel();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  // Heap held by the model once loaded, records, conversations and sender index together.
  state.counters["bytes_per_message"] = static_cast<double>(modelBytes) / kRecords;
}

}  // namespace

BENCHMARK(BM_ReadRecordAtAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameLookupsAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
