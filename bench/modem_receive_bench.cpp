// A message the mock modem reports as received, until it is on screen: the mock ModemManager
// (python3-dbusmock on a private bus) announces it, parlo --network modem fetches it, stores it
// in the received database and shows it at the top of the list. The clock runs from the call that
// makes the mock announce it to the first `screen` answer that shows it, so the mock's own work
// and the polling are counted too: an upper bound.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "e2e/process.h"
#include "kit/bench_device.h"
#include "modem/mock_modem_bus.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

bool Shows(e2e::Parlo& parlo, const std::string& text) {
  const json screen = parlo.Send("screen");
  for (const json& t : screen["texts"])
    if (t["text"] == text) return true;
  return false;
}

void BM_ModemMessageOnScreen(benchmark::State& state) {
  if (!std::getenv("PARLO_BIN_DIR"))
    setenv("PARLO_BIN_DIR", fs::read_symlink("/proc/self/exe").parent_path().c_str(), 1);
  if (!modem_test::MockModemBus::Missing().empty()) return state.SkipWithError("no dbus-daemon or python3-dbusmock");
  modem_test::MockModemBus bus;
  if (!bus.problem().empty()) return state.SkipWithError(bus.problem().c_str());
  bench::TempDir dir;
  if (e2e::Run("parlo-device", {"--device", dir.path().string(), "init", "--demo"}).exitCode != 0)
    return state.SkipWithError("no device");
  e2e::Parlo parlo(dir.path(), {"--network", "modem"});
  parlo.Send("idle");
  int n = 0;
  for (auto _ : state) {
    const std::string number = "0107000" + std::to_string(1000 + n++ % 9000);
    const auto start = std::chrono::steady_clock::now();
    bus.AddReceived(number, "bench", "");
    while (!Shows(parlo, number)) {
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  parlo.Send("quit");
}
BENCHMARK(BM_ModemMessageOnScreen)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
