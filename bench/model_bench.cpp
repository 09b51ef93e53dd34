// LoadAll over 20,000 received messages from 500 numbers, beside its phases on their own: reading
// the same records with ReadRecordAt, and naming the 500 numbers; what is left is sorting and
// grouping. Also the heap the loaded model holds per message.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/base/clock.h"
#include "platform/base/device_root.h"
#include <fstream>

#include <objbase.h>
#include <pimstore.h>

#include "contacts/contact_book.h"
#include "platform/gdi/window_dc.h"
#include "store/message_store.h"

namespace {

constexpr int kRecords = 20000;
constexpr int kNumbers = 500;
constexpr int kContacts = 1000;

struct Device {
  std::filesystem::path dir;

  Device() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "parlo-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    dir = tmpl;
    platform::device::SetRoot(dir);
    SYSTEMTIME start{};
    platform::clock::ParseLocalTime("2024-03-05 14:07:09", &start);
    platform::clock::UseVirtual(start);
    platform::gdi::CreateScreen(480, 800, 192, 192);
    Fill();
    LoadContacts();
    if (!MessageStore::Instance()->OpenStore(nullptr)) std::abort();
  }
  ~Device() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // 1,000 contacts, half of them owning one of the message numbers.
  void LoadContacts() {
    std::ofstream vcf(dir / "contacts.vcf");
    for (int i = 0; i < kContacts; ++i) {
      char number[32];
      std::snprintf(number, sizeof number, "010-%04d-%04d", 1000 + i, i < kNumbers / 2 ? i * 7 : 9999 - i);
      vcf << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " << i << "\r\nTEL;TYPE=CELL:" << number
          << "\r\nEND:VCARD\r\n";
    }
    vcf.close();
    CoInitializeEx(nullptr, 0);
    void* object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &object)))
      std::abort();
    auto* app = static_cast<IPOutlookApp*>(object);
    if (FAILED(app->Logon(nullptr))) std::abort();
    parlo::ContactBook& book = parlo::ContactBook::Instance(app);
    book.LoadContacts(false);
    if (book.Count() != kContacts) std::abort();
  }

  void Fill() {
    CEGUID guid{};
    if (!CeMountDBVolEx(&guid, kDefaultStorePath, nullptr, CREATE_NEW)) std::abort();
    for (const char16_t* name : {u"\\RECV_MSG", u"\\SEND_MSG"}) {
      CEDBASEINFOEX info;
      std::memset(&info, 0, sizeof(info));
      info.wVersion = CEDBASEINFOEX_VERSION;
      info.dwFlags = CEDB_VALIDNAME;
      StringCchCopyW(info.szDbaseName, CEDB_MAXDBASENAMELEN, name);
      if (!CeCreateDatabaseEx2(&guid, &info)) std::abort();
    }
    CEOID oid = 0;
    HANDLE db = CeOpenDatabaseInSession(nullptr, &guid, &oid, u"\\RECV_MSG", nullptr, 0, nullptr);
    for (int i = 0; i < kRecords; ++i) {
      WCHAR number[32], id[32];
      StringCchPrintfW(number, 32, u"010-%04d-%04d", 1000 + i % kNumbers, (i % kNumbers) * 7);
      StringCchPrintfW(id, 32, u"2024%02d%02d%06d%03d", 1 + i % 12, 1 + i % 28, (i * 7919) % 1000000, i % 1000);
      SYSTEMTIME st{2024, static_cast<WORD>(1 + i % 12), 0, static_cast<WORD>(1 + i % 28),
                    static_cast<WORD>(i % 24), static_cast<WORD>(i % 60), static_cast<WORD>(i % 60), 0};
      FILETIME ft{};
      SystemTimeToFileTime(&st, &ft);
      CEPROPVAL v[8];
      std::memset(v, 0, sizeof(v));
      v[0].propid = PROP_TIME;
      v[0].val.filetime = ft;
      v[1].propid = PROP_NUMBER;
      v[1].val.lpwstr = number;
      v[2].propid = PROP_TEXT;
      v[2].val.lpwstr = const_cast<LPWSTR>(u"안녕하세요, 오늘 회의는 세 시에 시작합니다. 늦지 마세요!");
      v[3].propid = PROP_READ;
      v[3].val.iVal = static_cast<short>(i % 2);
      v[4].propid = PROP_MESSAGE_ID;
      v[4].val.lpwstr = id;
      v[5].propid = PROP_KIND;
      v[6].propid = PROP_AUX_FLAG;
      v[7].propid = PROP_MMS_FLAG;
      if (!CeWriteRecordProps(db, 0, 8, v)) std::abort();
    }
  }
};

Device& TheDevice() {
  static Device device;
  return device;
}

void BM_ReadRecordAtAlone(benchmark::State& state) {
  TheDevice();
  MessageStore* store = MessageStore::Instance();
  for (auto _ : state) {
    for (int i = 0; i < kRecords; ++i) {
      auto* r = new MessageRecord();
      store->ReadRecordAt(DB_RECV, i, r);
      benchmark::DoNotOptimize(r);
      delete r;
    }
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The naming phase on its own: one contact lookup per distinct number.
void BM_NameLookupsAlone(benchmark::State& state) {
  TheDevice();
  parlo::ContactBook& book = parlo::ContactBook::Instance(nullptr);
  std::vector<std::u16string> numbers;
  for (int i = 0; i < kNumbers; ++i) {
    WCHAR number[32];
    StringCchPrintfW(number, 32, u"010-%04d-%04d", 1000 + i, i * 7);
    numbers.emplace_back(number);
  }
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
  TheDevice();
  MessageStore* store = MessageStore::Instance();
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
