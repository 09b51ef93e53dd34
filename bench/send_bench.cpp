// Sending a 10-part message (cut into parts, each through the short-message service to the
// outbox, recorded in the sent database and put into its conversation) beside ten plain SQLite
// inserts of the same rows, one transaction each, into the same volume file. The repaint that
// follows a send is the compose view's, not measured here.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <string>

#include "compose/send_text.h"
#include "contacts/contact_book.h"
#include "kit/bench_device.h"
#include "model/message_store.h"
#include "platform/sms/simulated_network.h"
#include "settings/settings.h"

namespace {

constexpr int kParts = 10;

struct Device {
  bench::TempDir dir;
  Settings settings;
  parlo::ContactBook contacts{nullptr};
  std::unique_ptr<MessageStore> store;

  Device() {
    bench::UseDevice(dir.path());
    bench::FillReceived(2000, 97, true);  // a store in use, not an empty one
    if (!platform::sms::WriteOwnNumber(u"01055501234", nullptr)) std::abort();
    settings.Load();
    store = std::make_unique<MessageStore>(settings, &contacts);
    if (!store->OpenStore(nullptr)) std::abort();
    store->LoadAll();
  }
};

Device& TheDevice() {
  static Device device;
  return device;
}

std::u16string TenPartText() {
  std::u16string text;
  for (int i = 0; i < kParts * 80; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
  return text;
}

void BM_SendTenPartMessage(benchmark::State& state) {
  Device& device = TheDevice();
  const std::u16string text = TenPartText();
  for (auto _ : state) {
    compose::ComposedMessage message;
    message.recipient = u"01012345678";
    message.text = text;
    if (compose::SendComposedText(message, *device.store, device.contacts) != compose::SEND_OK)
      state.SkipWithError("the send failed");
  }
  state.SetItemsProcessed(state.iterations() * kParts);
}

// The rows WriteSentRecord writes for one part (an object, its eight properties, the change that
// tells other processes), each part in a transaction of its own, as the store commits them.
void BM_PlainSqliteTenInserts(benchmark::State& state) {
  const std::string path = (TheDevice().dir.path() / "MITs Store" / "MMS" / "mms.edb").string();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) std::abort();
  sqlite3_busy_timeout(db, 5000);
  sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);  // as the store's own connection
  sqlite3_stmt *object = nullptr, *prop = nullptr, *change = nullptr, *which = nullptr;
  sqlite3_prepare_v2(db, "SELECT oid FROM databases WHERE name = '\\SEND_MSG'", -1, &which, nullptr);
  if (!which || sqlite3_step(which) != SQLITE_ROW) std::abort();
  const int64_t sendDb = sqlite3_column_int64(which, 0);
  sqlite3_finalize(which);
  sqlite3_prepare_v2(db, "INSERT INTO objects(db) VALUES(?)", -1, &object, nullptr);
  sqlite3_prepare_v2(db,
                     "INSERT INTO props(oid, propid, seq, value) VALUES(?, ?, ?, ?) "
                     "ON CONFLICT(oid, propid) DO UPDATE SET value = excluded.value",
                     -1, &prop, nullptr);
  sqlite3_prepare_v2(db, "INSERT INTO changes(db, oid, type) VALUES(?, ?, ?)", -1, &change, nullptr);
  if (!object || !prop || !change) std::abort();

  const std::u16string text = TenPartText().substr(0, 80);
  const std::u16string number = u"01012345678", id = u"20240305140709000";
  const int64_t filetime = 133540444290000000;
  for (auto _ : state) {
    for (int part = 0; part < kParts; ++part) {
      sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
      sqlite3_bind_int64(object, 1, sendDb);
      sqlite3_step(object);
      sqlite3_reset(object);
      const int64_t oid = sqlite3_last_insert_rowid(db);
      const struct {
        int64_t propid;
        const std::u16string* text;
        int64_t value;
      } values[] = {{0x00010040, nullptr, filetime}, {0x0002001F, &number, 0}, {0x0003001F, &text, 0},
                    {0x00050002, nullptr, 1},        {0x0006001F, &id, 0},     {0x000A0002, nullptr, 2},
                    {0x000F0002, nullptr, 1},        {0x000E0002, nullptr, 1}};
      int seq = 0;
      for (const auto& v : values) {
        sqlite3_bind_int64(prop, 1, oid);
        sqlite3_bind_int64(prop, 2, v.propid);
        sqlite3_bind_int64(prop, 3, ++seq);
        if (v.text)
          sqlite3_bind_text16(prop, 4, v.text->data(), static_cast<int>(v.text->size() * 2), SQLITE_TRANSIENT);
        else
          sqlite3_bind_int64(prop, 4, v.value);
        if (sqlite3_step(prop) != SQLITE_DONE) state.SkipWithError("an insert failed");
        sqlite3_reset(prop);
      }
      sqlite3_bind_int64(change, 1, sendDb);
      sqlite3_bind_int64(change, 2, oid);
      sqlite3_bind_int64(change, 3, 1);
      sqlite3_step(change);
      sqlite3_reset(change);
      if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) state.SkipWithError("commit failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kParts);
  sqlite3_finalize(object);
  sqlite3_finalize(prop);
  sqlite3_finalize(change);
  sqlite3_close(db);
}

}  // namespace

BENCHMARK(BM_SendTenPartMessage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteTenInserts)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
