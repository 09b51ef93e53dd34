// Reading a 20,000-message received database position by position through the store, beside
// one plain SQLite query that reads the same rows in the same order.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <string>

#include "kit/bench_device.h"
#include "store/record_store.h"

namespace {

constexpr int kRecords = 20000;

struct Device {
  bench::TempDir dir;
  RecordStore store;

  Device() {
    bench::UseDevice(dir.path());
    bench::FillReceived(kRecords, 97, true);
    if (!store.OpenStore(nullptr) || store.CountRecords(DB_RECV) != kRecords) std::abort();
  }
};

Device& TheDevice() {
  static Device device;
  return device;
}

void BM_ReadRecordAtEveryPosition(benchmark::State& state) {
  RecordStore* store = &TheDevice().store;
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
  std::string path = (TheDevice().dir.path() / "MITs Store" / "MMS" / "mms.edb").string();
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
