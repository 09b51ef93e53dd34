// Reading a 20,000-message received database position by position through the store, beside
// one plain SQLite query that reads the same rows in the same order.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/base/clock.h"
#include "platform/base/device_root.h"
#include "store/message_store.h"

namespace {

constexpr int kRecords = 20000;

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
    Fill();
    MessageStore* store = MessageStore::Instance();
    if (!store->OpenStore(nullptr) || store->CountRecords(DB_RECV) != kRecords) std::abort();
  }
  ~Device() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // The phone's side: a volume whose received database holds kRecords messages.
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
      StringCchPrintfW(number, 32, u"010-%04d-%04d", i % 97, i % 9973);
      // Identifiers out of insertion order, so the sort has work to do.
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
      v[1].val.lpwstr = number;
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
  }
};

Device& TheDevice() {
  static Device device;
  return device;
}

void BM_ReadRecordAtEveryPosition(benchmark::State& state) {
  TheDevice();
  MessageStore* store = MessageStore::Instance();
  for (auto _ : state) {
    int read = 0;
    for (int i = 0; i < kRecords; ++i) {
      MessageRecord r;
      read += store->ReadRecordAt(DB_RECV, i, &r) ? 1 : 0;
      benchmark::DoNotOptimize(r);
    }
    if (read != kRecords) state.SkipWithError("a record could not be read");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The same rows, in the same order, with the same values fetched, in one query.
void BM_PlainSqliteQuery(benchmark::State& state) {
  std::string path = (TheDevice().dir / "MITs Store" / "MMS" / "mms.edb").string();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
  // The same page cache as the store's own connection, so neither side reads pages twice.
  sqlite3_exec(db, "PRAGMA cache_size=-8192", nullptr, nullptr, nullptr);
  sqlite3_stmt* stmt = nullptr;
  const char* sql =
      "SELECT p.oid, p.propid, p.value FROM props p JOIN ("
      "  SELECT o.oid, k.value AS key FROM objects o LEFT JOIN props k ON k.oid = o.oid AND k.propid = 393247"
      "  WHERE o.db = (SELECT oid FROM databases WHERE name = '\\RECV_MSG')) r ON r.oid = p.oid "
      "ORDER BY r.key DESC, r.oid DESC, p.seq";
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) std::abort();
  for (auto _ : state) {
    int64_t rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int64(stmt, 0));
      if ((sqlite3_column_int64(stmt, 1) & 0xFFFF) == 31)
        benchmark::DoNotOptimize(sqlite3_column_text16(stmt, 2));
      else
        benchmark::DoNotOptimize(sqlite3_column_int64(stmt, 2));
      ++rows;
    }
    sqlite3_reset(stmt);
    if (rows != kRecords * 8) state.SkipWithError("unexpected row count");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

}  // namespace

BENCHMARK(BM_ReadRecordAtEveryPosition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteQuery)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
